// The batch tools through the view and their dialogs: bookmarks with the output pane's tab,
// 定型入力, ファイル連結, 指定範囲をファイル出力 and printing to a PDF.
#include "view/QuorvaneView.h"

#include "base/CommandIds.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "panes/OutputListCtrl.h"
#include "panes/OutputWnd.h"
#include "tools/ConnectDlg.h"
#include "tools/FixedInputDlg.h"
#include "tools/MaskedEdit2.h"
#include "tools/RangeFilePrintDlg.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A frame that hands the view a real output pane.
class PaneFrame : public QWidget
{
public:
    COutputWnd* pane = new COutputWnd(this);
    bool event(QEvent* e) override
    {
        if (auto* m = um::Cast<um::GetOutputPane>(e)) {
            m->result = pane;
            return true;
        }
        return QWidget::event(e);
    }
};

struct ToolsUi : ::testing::Test
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;
    PaneFrame frame;
    CQuorvaneView* view = nullptr;
    QString path;

    void Open(const QByteArray& bytes)
    {
        settings->WriteDefaultGroup();
        path = files.Write("doc.bin", bytes);
        ASSERT_TRUE(doc.OnOpenDocument(path, false));
        doc.WaitForLoader();
        doc.SetEditLock(0);
        view = new CQuorvaneView(&doc, &frame);
        frame.resize(900, 500);
        view->resize(880, 480);
        view->OnInitialUpdate();
        frame.pane->SetTargetFinder([this] { return view; });
    }
    QByteArray Bytes()
    {
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    void MoveTo(uint64_t a)
    {
        uint64_t to = a;
        um::SetCursor::Send(view, &to, false);
    }
    bool Enabled(int id)
    {
        CmdUI ui;
        view->OnUpdateCommand(id, ui);
        return ui.enabled;
    }
    QString Cell(int row, int column) { return frame.pane->BookmarkList()->CellText(row, column); }
};

} // namespace

TEST_F(ToolsUi, BookmarksFollowTheCommandsTheTabAndListFiles)
{
    Open(QByteArray(0x100, 'a'));
    EXPECT_FALSE(Enabled(ID_BOOKMARK_SAVE_LIST));
    for (uint64_t a : {0x30, 0x10, 0x20}) {
        MoveTo(a);
        EXPECT_TRUE(view->OnCommand(ID_BOOKMARK));
    }
    EXPECT_TRUE(Enabled(ID_BOOKMARK_SAVE_LIST));
    ASSERT_EQ(frame.pane->BookmarkRowCount(), 3);
    EXPECT_EQ(Cell(0, 0), "00000000-00000010");
    EXPECT_EQ(Cell(2, 0), "00000000-00000030");

    // Shift+F2 / Shift+F3 from 0x20; nothing below the first one.
    view->OnCommand(ID_BOOKMARK_NEXT);
    EXPECT_EQ(view->Cursor(), 0x30u);
    view->OnCommand(ID_BOOKMARK_PREV);
    view->OnCommand(ID_BOOKMARK_PREV);
    EXPECT_EQ(view->Cursor(), 0x10u);
    view->OnCommand(ID_BOOKMARK_PREV);
    EXPECT_EQ(view->Cursor(), 0x10u);

    // A description edited in the tab reaches the view; a stale row index changes nothing.
    Q_EMIT frame.pane->BookmarkList()->descriptionEdited(1, QStringLiteral("見出し"));
    EXPECT_EQ(view->Bookmarks().List()[1].description, QStringLiteral("見出し"));
    const QString text = QStringLiteral("x");
    EXPECT_EQ(um::SetBookmarkText::Send(view, 3, &text), 0);
    EXPECT_EQ(um::SetBookmarkText::Send(view, -1, &text), 0);

    // Saved and loaded back, in the file's order; the tab is refilled.
    const QString list = files.Path("marks.lst");
    ASSERT_TRUE(view->SaveBookmarkList(list));
    view->OnCommand(ID_BOOKMARK_CLEAR);
    EXPECT_EQ(frame.pane->BookmarkRowCount(), 0);
    EXPECT_FALSE(Enabled(ID_BOOKMARK_SAVE_LIST));
    ASSERT_TRUE(view->LoadBookmarkList(list));
    ASSERT_EQ(frame.pane->BookmarkRowCount(), 3);
    EXPECT_EQ(Cell(1, 1), QStringLiteral("見出し"));
    files.Write("raw.lst", QByteArray::fromHex("5000000010000000"));
    view->LoadBookmarkList(files.Path("raw.lst"));
    EXPECT_EQ(Cell(0, 0), "00000000-00000050");
    EXPECT_EQ(Cell(1, 0), "00000000-00000010");
    // An unreadable list empties the bookmarks and says why.
    EXPECT_FALSE(view->LoadBookmarkList(files.Path("missing.lst")));
    EXPECT_EQ(frame.pane->BookmarkRowCount(), 0);
    EXPECT_EQ(prompts.asked.back().caption, QStringLiteral("エラー"));

    // Toggling twice at one place leaves the list as it was.
    MoveTo(0x40);
    view->OnCommand(ID_BOOKMARK);
    view->OnCommand(ID_BOOKMARK);
    EXPECT_EQ(frame.pane->BookmarkRowCount(), 0);
}

TEST_F(ToolsUi, FixedInputDialogFiltersImportsAndWrites)
{
    Open(QByteArray(0x100, '\0'));
    MoveTo(0x40);
    view->OnCommand(ID_BOOKMARK);
    MoveTo(0x10);
    CFixedInputDlg dlg(view->Cursor(), &view->Bookmarks(), view);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("定型入力"));
    // Binary mode: only hex digits and spaces, upper-cased; Enter makes no new line.
    QTest::keyClicks(dlg.DataEdit(), "4g1 x42");
    QTest::keyClick(dlg.DataEdit(), Qt::Key_Return);
    EXPECT_EQ(dlg.DataText(), "41 42");
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("カーソル位置取り込み") || b->text() == QStringLiteral("ブックマーク取り込み"))
            b->click();
    EXPECT_EQ(dlg.AddressText(), "10\n40\n");
    EXPECT_EQ(dlg.DataEdit()->accessibleName(), QStringLiteral("データ"));
    EXPECT_EQ(dlg.Mode(), 0);
    EXPECT_EQ(dlg.CodeName(), "Shift-JIS");
    ASSERT_TRUE(view->RunFixedInput(dlg.Mode(), dlg.CodeName(), dlg.DataText(), dlg.AddressText()));
    EXPECT_EQ(Bytes().mid(0x10, 2), "AB");
    EXPECT_EQ(Bytes().mid(0x40, 2), "AB");
    EXPECT_EQ(doc.UndoJournal().size(), 2u);

    // String mode takes everything, Enter included.
    for (QRadioButton* r : dlg.findChildren<QRadioButton*>())
        if (r->text() == QStringLiteral("文字列"))
            r->click();
    dlg.DataEdit()->clear();
    QTest::keyClicks(dlg.DataEdit(), "xy");
    EXPECT_EQ(dlg.DataText(), "xy");
    // A mistyped address writes nothing and says which line.
    EXPECT_FALSE(view->RunFixedInput(1, "ASCII", "Z", "10\nQ"));
    EXPECT_EQ(doc.UndoJournal().size(), 2u);
    EXPECT_TRUE(prompts.LastText().contains("2"));
}

TEST_F(ToolsUi, ConnectDialogTakesDroppedFilesAndConcatenates)
{
    Open(QByteArray("0123456789"));
    const QString other = files.Write("other.bin", "WXYZ");
    CConnectDlg dlg(view);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("ファイル連結"));
    EXPECT_EQ(dlg.Position(), 2);
    EXPECT_EQ(dlg.Action(), 0);
    dlg.DropPaths({files.dir.path()}); // a folder is ignored
    EXPECT_TRUE(dlg.Path().isEmpty());
    dlg.DropPaths({other, files.dir.path()});
    EXPECT_EQ(dlg.Path(), other);
    for (QRadioButton* r : dlg.findChildren<QRadioButton*>())
        if (r->text() == QStringLiteral("カーソル位置") || r->text() == QStringLiteral("上書"))
            r->click();
    EXPECT_EQ(dlg.Position(), 1);
    EXPECT_EQ(dlg.Action(), 1);
    MoveTo(8);
    ASSERT_TRUE(view->RunConcat(dlg.Path(), static_cast<ConcatPosition>(dlg.Position()), static_cast<ConcatAction>(dlg.Action())));
    EXPECT_EQ(Bytes(), "01234567WXYZ");
    EXPECT_EQ(view->Cursor(), 8u);
    EXPECT_TRUE(doc.IsModified());
    view->OnCommand(ID_EDIT_UNDO);
    EXPECT_EQ(Bytes(), "0123456789");
}

TEST_F(ToolsUi, RangeOutputDialogChecksInOrderAndWritesTheRange)
{
    Open(QByteArray("0123456789ABCDEFGHIJKLMNOPQRSTUV"));
    uint64_t s = 0x10, e = 0x1F;
    um::SelectRange::Send(view, s, e);
    CRangeFilePrintDlg dlg(doc.GetFileSize(), view->Cursor(), view->SelStart(), view->SelEnd(), view);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("指定範囲をファイル出力"));
    QTest::keyClicks(dlg.StartEdit(), "1g-f"); // lower case passes as typed, others not
    EXPECT_EQ(dlg.StartEdit()->text(), "1f");
    dlg.show();
    dlg.accept(); // the end is empty (0): start > end
    EXPECT_EQ(prompts.LastText(), QStringLiteral("開始アドレスが不正な値です。"));
    EXPECT_TRUE(dlg.isVisible());
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("選択範囲"))
            b->click();
    EXPECT_EQ(dlg.StartEdit()->text(), "10");
    EXPECT_EQ(dlg.EndEdit()->text(), "1F");
    dlg.accept();
    EXPECT_EQ(prompts.LastText(), QStringLiteral("出力先が未入力です。"));
    const QString out = files.Path("range.bin");
    dlg.DestinationEdit()->setText(out);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_TRUE(view->RunRangeOutput(dlg.Request()));
    EXPECT_EQ(TempFiles::Read(out), "GHIJKLMNOPQRSTUV");
}

TEST_F(ToolsUi, PrintToPdfPaintsEveryPageUntilEof)
{
    Open(QByteArray(3000, 'q'));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        pages = view->PrintTo(writer, false);
    }
    EXPECT_GT(pages, 1);
    EXPECT_TRUE(buffer.data().startsWith("%PDF"));
    // The selection alone fits one page.
    um::SelectRange::Send(view, uint64_t(5), uint64_t(7));
    QBuffer one;
    one.open(QIODevice::WriteOnly);
    QPdfWriter writer(&one);
    EXPECT_EQ(view->PrintTo(writer, true), 1);
}

TEST_F(ToolsUi, PrintedPagesKeepMarginsAGapUnderTheHeaderAndUseTheWidth)
{
    Open(QByteArray(3000, 'q'));
    // A PDF page without margins of its own: the program keeps 12 mm of paper around the text.
    const QString pdf = files.Path("layout.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                         QPageLayout::Millimeter));
        ASSERT_GT(view->PrintTo(writer, false), 1);
    }
    QProcess tool;
    tool.start("pdftotext", {"-bbox", pdf, "-"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << "pdftotext (poppler-utils) is needed";
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());

    struct Word { double xMin, yMin, xMax, yMax; QString text; int page; };
    std::vector<Word> words;
    double pageWidth = 0, pageHeight = 0;
    int page = -1;
    static const QRegularExpression pageTag(R"re(<page width="([\d.]+)" height="([\d.]+)")re");
    static const QRegularExpression wordTag(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (const QString& line : html.split('\n')) {
        if (const auto m = pageTag.match(line); m.hasMatch()) {
            pageWidth = m.captured(1).toDouble();
            pageHeight = m.captured(2).toDouble();
            ++page;
        } else if (const auto w = wordTag.match(line); w.hasMatch()) {
            words.push_back({w.captured(1).toDouble(), w.captured(2).toDouble(), w.captured(3).toDouble(),
                             w.captured(4).toDouble(), w.captured(5), page});
        }
    }
    ASSERT_GT(pageWidth, 500.0);
    ASSERT_FALSE(words.empty());
    const double margin = 12.0 / 25.4 * 72.0 - 1.0; // points, less rounding
    double left = pageWidth, right = 0;
    for (const Word& w : words) {
        if (w.text.contains('/') || w.text.endsWith(".bin"))
            continue; // the path line may be shortened anywhere; it starts at the margin too
        EXPECT_GE(w.xMin, margin) << w.text.toStdString();
        EXPECT_GE(w.yMin, margin) << w.text.toStdString();
        EXPECT_LE(w.xMax, pageWidth - margin) << w.text.toStdString();
        EXPECT_LE(w.yMax, pageHeight - margin) << w.text.toStdString();
        left = std::min(left, w.xMin);
        right = std::max(right, w.xMax);
    }
    // The rows take most of the width between the margins.
    EXPECT_GT(right - left, 0.85 * (pageWidth - 2 * (margin + 1.0)));

    // On the first page the first row stands clear of the column header.
    double headerBottom = -1, firstRowTop = -1;
    for (const Word& w : words) {
        if (w.page == 0 && w.text == "Address")
            headerBottom = w.yMax;
        if (w.page == 0 && w.text == "00000000")
            firstRowTop = w.yMin;
    }
    ASSERT_GT(headerBottom, 0);
    ASSERT_GT(firstRowTop, 0);
    EXPECT_GT(firstRowTop - headerBottom, 3.0);

    // Every row is printed once, and "EOF" after the last byte.
    int rows = 0, eof = 0;
    static const QRegularExpression address("^[0-9A-F]{8}$");
    for (const Word& w : words) {
        rows += address.match(w.text).hasMatch() && w.text.endsWith('0') && w.xMin < left + 5;
        eof += w.text == "EOF";
    }
    EXPECT_EQ(rows, 188);
    EXPECT_EQ(eof, 1);
}
