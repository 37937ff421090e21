// The 構造体編集 pane in the main frame: choosing a file and a structure, moving the base, expanding,
// editing a WORD and a varsize count, 選択, and the structure colours in the view.
#include "structs/OutputStructWnd.h"

#include "app/ChildFrame.h"
#include "base/CommandIds.h"
#include "app/MainFrame.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "structs/StructRowModel.h"
#include "view/QuorvaneView.h"

#include "FrameTest.h"

#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>

namespace {

constexpr uint32_t kTextBk = 0xFFFFFF;
constexpr uint32_t kRangeBk = 0x0000FF;  // red
constexpr uint32_t kMemberBk = 0xFF0000; // blue

const char kDef[] =
    "// for the pane's test\n"
    "struct REC\n{\n\tWORD id;\n\tvarsize 1;\n\tbyte data[varsize];\n\tchar tag[4];\n}\n"
    "struct PAIR\n{\n\tREC first;\n\tword last;\n}\n";

struct PaneTest : FrameTest
{
    COutputStructWnd* pane = nullptr;
    CQuorvaneView* view = nullptr;
    CQuorvaneDoc* doc = nullptr;

    void SetUp() override
    {
        settings->WriteDefaultGroup();
        settings->SetGroupSetting(SettingId::Color_TextBk, kTextBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_StructRangeBk, kRangeBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_StructSelBk, kMemberBk, QStringLiteral("*.*"));
        files.Write("b.def", "struct B\n{\nbyte b;\n}\n");
        files.Write("a.def", kDef);
        frame = std::make_unique<CMainFrame>();
        // The pane reads the definitions of a folder of the test's own.
        QDockWidget* dock = frame->Pane(ID_PANE_STRUCT);
        delete dock->widget();
        pane = new COutputStructWnd(dock, {files.dir.path()});
        dock->setWidget(pane);
        frame->resize(1200, 800);
        frame->show();
        dock->show();
        dock->raise();
        // id 0102, count 2, data AA BB, tag "XYZ\0", then more bytes.
        const QString data = files.Write("data.bin", Bytes({0x01, 0x02, 0x02, 0xAA, 0xBB, 'X', 'Y', 'Z', 0, 0x03,
                                                            0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B}));
        ASSERT_TRUE(frame->OpenDocumentFile(data));
        view = frame->ActiveView();
        doc = frame->ActiveDocument();
        QApplication::processEvents();
    }

    static QByteArray Bytes(std::initializer_list<int> values)
    {
        QByteArray b;
        for (int v : values)
            b.append(char(v));
        return b;
    }
    QString Cell(int row, int column) const { return pane->Model()->index(row, column).data().toString(); }
    QStringList Labels() const
    {
        QStringList l;
        for (int i = 0; i < pane->Model()->rowCount(); ++i)
            l << Cell(i, 0);
        return l;
    }
    QByteArray DocBytes(int from, int n) const
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b.append(char(doc->ByteAt(uint64_t(from + i))));
        return b;
    }
    // The colour of byte `column` of screen row 0 in the hex column.
    QRgb ByteColour(int column)
    {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&image);
        view->PaintView(p, image.size());
        const CViewLayout& L = view->Layout();
        // The colour most pixels of the cell have (the glyphs cover few of them).
        std::map<QRgb, int> counts;
        for (int y = L.TextY(0); y < L.TextY(0) + L.m_lineHeight; ++y)
            for (int x = L.HexCellX(column); x < L.HexCellX(column) + 2 * L.m_charWidth; ++x)
                ++counts[image.pixel(x, y) & 0xFFFFFF];
        return std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    }
    static QRgb Rgb(uint32_t c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF) & 0xFFFFFF; }
};

} // namespace

TEST_F(PaneTest, ChooseAFileAndAStructureMoveTheBaseAndExpand)
{
    ASSERT_EQ(um::GetStructPane::Send(frame.get()), pane);
    ASSERT_EQ(pane->FileList()->count(), 2);
    EXPECT_EQ(pane->FileList()->itemText(0), "a.def");
    EXPECT_EQ(pane->StructList()->count(), 0);
    EXPECT_EQ(pane->AddressLabel()->text(), "0x00000000-00000000");
    pane->MoveBase(CStructBase::Move::ForwardByte); // no structure yet: nothing moves
    EXPECT_EQ(pane->Base(), 0u);

    pane->LoadDefinitionFile(0);
    EXPECT_EQ(pane->StructList()->count(), 2);
    EXPECT_EQ(pane->StructList()->currentText(), "REC");
    EXPECT_EQ(Labels(), (QStringList{"id", "1", "data[2]", "tag[4]"}));
    EXPECT_EQ(Cell(0, 1), QStringLiteral("0102 '\u0102'"));
    EXPECT_EQ(Cell(0, 2), "WORD");
    EXPECT_EQ(Cell(2, 1), QStringLiteral("\u00AA\u00BB"));
    EXPECT_EQ(Cell(3, 1), "XYZ");
    EXPECT_EQ(pane->Model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("データ"));

    // ">>" steps over the 9-byte record: the count there is 0x0B... past the end reads 0.
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_FORWARD_RECORD), Qt::LeftButton);
    EXPECT_EQ(pane->AddressLabel()->text(), "0x00000000-00000009");
    EXPECT_EQ(view->Cursor(), 9u); // the view moved to the structure
    EXPECT_EQ(Cell(1, 1), "05");
    EXPECT_EQ(Cell(2, 0), "data[5]");
    pane->MoveBase(CStructBase::Move::BackRecord); // 9 - (2+1+5+4) < 0: to 0
    EXPECT_EQ(pane->Base(), 0u);
    // "-" takes the view's cursor.
    um::SetCursor::Send(view, nullptr, false);
    uint64_t three = 3;
    um::SetCursor::Send(view, &three, false);
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_TO_CURSOR), Qt::LeftButton);
    EXPECT_EQ(pane->Base(), 3u);
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_BACK_BYTE), Qt::LeftButton);
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_BACK_BYTE), Qt::LeftButton);
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_BACK_BYTE), Qt::LeftButton);
    QTest::mouseClick(pane->Button(COutputStructWnd::IDC_BACK_BYTE), Qt::LeftButton);
    EXPECT_EQ(pane->Base(), 0u);

    // The nested structure: expand PAIR.first, then its array; collapse removes both levels.
    pane->ChooseStructure(1);
    EXPECT_EQ(Labels(), (QStringList{"first", "last"}));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("0403 '\u0403'"));
    pane->ToggleRow(0);
    EXPECT_EQ(Labels(), (QStringList{"first", "id", "1", "data[2]", "tag[4]", "last"}));
    // Enter on a row outside the value column expands it, as a double click does.
    pane->TreeList()->setCurrentIndex(pane->Model()->index(3, 0));
    QTest::keyClick(pane->TreeList(), Qt::Key_Return);
    EXPECT_EQ(Labels(), (QStringList{"first", "id", "1", "data[2]", "data[0]", "data[1]", "tag[4]", "last"}));
    EXPECT_EQ(Cell(5, 1), QStringLiteral("BB '\u00BB'"));
    pane->ToggleRow(0);
    EXPECT_EQ(Labels(), (QStringList{"first", "last"}));
}

TEST_F(PaneTest, EditsSelectionAndColours)
{
    pane->LoadDefinitionFile(0);
    QTableView* list = pane->TreeList();

    // Edit the WORD in place: the bytes change in the document, big-endian, with an undo record.
    const QModelIndex id = pane->Model()->index(0, CStructRowModel::ColValue);
    list->setCurrentIndex(id);
    list->edit(id);
    QApplication::processEvents();
    auto* editor = list->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "0102");
    editor->selectAll();
    QTest::keyClicks(editor, "1g2x3"); // only hexadecimal digits get in, upper-cased
    EXPECT_EQ(editor->text(), "123");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(DocBytes(0, 2), Bytes({0x01, 0x23}));
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->UndoJournal().size(), 1u);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("0123 '\u0123'"));

    // The varsize count: the array and everything after it follow.
    ASSERT_TRUE(pane->Model()->setData(pane->Model()->index(1, 1), "3"));
    EXPECT_EQ(DocBytes(2, 1), Bytes({0x03}));
    EXPECT_EQ(Labels(), (QStringList{"id", "1", "data[3]", "tag[4]"}));
    EXPECT_EQ(Cell(3, 1), "YZ");

    // Selecting a row sends its range; 選択 selects its bytes in the view.
    list->setCurrentIndex(pane->Model()->index(2, 0));
    pane->SelectRowBytes();
    EXPECT_EQ(view->SelStart(), 3u);
    EXPECT_EQ(view->SelEnd(), 5u);
    um::Reset::Send(view); // then clear it so the colours underneath show
    list->setCurrentIndex(pane->Model()->index(3, 0)); // tag[4]: bytes 6..9
    QApplication::processEvents();

    // Structure colours: the whole record (0..9 exclusive of 10) and the member inside it.
    view->clearFocus();
    EXPECT_EQ(ByteColour(7), Rgb(kMemberBk));
    EXPECT_EQ(ByteColour(4), Rgb(kRangeBk));
    EXPECT_EQ(ByteColour(11), Rgb(kTextBk));
    // A hidden pane shows no structure colours.
    frame->Pane(ID_PANE_STRUCT)->hide();
    QApplication::processEvents();
    EXPECT_EQ(ByteColour(4), Rgb(kTextBk));
}

TEST_F(PaneTest, ParseErrorsAreReportedWithTheirLine)
{
    files.Write("bad.def", "struct A\n{\nbyte a;\n}\nstruct B\n{\nbyte d[varsize];\n}\n");
    COutputStructWnd fresh(nullptr, {files.dir.path()});
    ASSERT_EQ(fresh.FileList()->count(), 3);
    ASSERT_EQ(fresh.FileList()->itemText(2), "bad.def");
    fresh.LoadDefinitionFile(2);
    EXPECT_EQ(prompter.LastText(), QStringLiteral("bad.def の 7 行目: [varsize] より前に varsize の値がありません。"));
    EXPECT_EQ(fresh.StructList()->count(), 2); // what was read before the bad line stays
    EXPECT_EQ(fresh.Model()->rowCount(), 1);
}

TEST_F(PaneTest, AVarsizeEditUnderAnExpandedRowKeepsRowsSelectionAndRanges)
{
    pane->LoadDefinitionFile(0);
    pane->ChooseStructure(1);
    pane->ToggleRow(0);
    ASSERT_EQ(Labels(), (QStringList{"first", "id", "1", "data[2]", "tag[4]", "last"}));
    QTableView* list = pane->TreeList();
    const QModelIndex count = pane->Model()->index(2, CStructRowModel::ColValue);
    list->setCurrentIndex(count);
    list->edit(count);
    QApplication::processEvents();
    auto* editor = list->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "3");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(DocBytes(2, 1), Bytes({0x03}));

    // The list and its rows agree, the expansion stayed, every row shows its own values.
    EXPECT_EQ(pane->Model()->rowCount(), int(pane->Session().Tree().RowCount()));
    EXPECT_EQ(Labels(), (QStringList{"first", "id", "1", "data[3]", "tag[4]", "last"}));
    EXPECT_EQ(Cell(3, 1), QStringLiteral("\u00AA\u00BBX"));
    EXPECT_EQ(Cell(4, 1), "YZ");
    EXPECT_EQ(Cell(5, 1), QStringLiteral("0504 '\u0504'"));
    // The edited field is still the current row, and the view has the new ranges: the structure
    // is now 12 bytes, the member is the count's byte.
    EXPECT_EQ(list->currentIndex().row(), 2);
    um::Reset::Send(view);
    view->clearFocus();
    QApplication::processEvents();
    EXPECT_EQ(ByteColour(2), Rgb(kMemberBk));
    EXPECT_EQ(ByteColour(11), Rgb(kRangeBk));
    EXPECT_EQ(ByteColour(12), Rgb(kTextBk));

    // Ctrl+Z takes the edit back like any other; the list follows the count in the data on its
    // next refresh, still expanded and on the same row.
    ASSERT_TRUE(doc->CanUndo());
    view->Undo();
    EXPECT_EQ(DocBytes(0, 4), Bytes({0x01, 0x02, 0x02, 0xAA}));
    EXPECT_FALSE(doc->CanUndo());
    pane->RefreshValues();
    EXPECT_EQ(Labels(), (QStringList{"first", "id", "1", "data[2]", "tag[4]", "last"}));
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(Cell(4, 1), "XYZ");
    um::Reset::Send(view);
    QApplication::processEvents();
    EXPECT_EQ(ByteColour(10), Rgb(kRangeBk));
    EXPECT_EQ(ByteColour(11), Rgb(kTextBk));
}

TEST_F(PaneTest, AVanishedDirectEditFileIsReportedAfterThePaintAndOnce)
{
    const QString gone = files.Write("gone.bin", Bytes({0x01, 0x02, 0x03, 0x04}));
    ASSERT_TRUE(frame->OpenDocumentFile(gone, true));
    QApplication::processEvents();
    ASSERT_TRUE(QFile::remove(gone));
    prompter.asked.clear();
    pane->LoadDefinitionFile(1); // b.def: no varsize field, so only the paint reads values
    ASSERT_EQ(Labels(), (QStringList{"b"}));
    // (The view reports the file on its own when the structure range moves its cursor.)
    const size_t before = prompter.asked.size();
    // The list reads the file while it paints: the failure is shown after the paint, once.
    pane->TreeList()->viewport()->repaint();
    EXPECT_EQ(prompter.asked.size(), before);
    Flush();
    EXPECT_EQ(prompter.asked.size(), before + 1);
    // The file's name, then the system's text for the failure.
    EXPECT_TRUE(prompter.LastText().startsWith(gone + QLatin1Char('\n'))) << prompter.LastText().toStdString();
    EXPECT_TRUE(prompter.LastText().endsWith(QStringLiteral("No such file or directory")));
    pane->TreeList()->viewport()->repaint();
    Flush();
    EXPECT_EQ(prompter.asked.size(), before + 1);
    EXPECT_EQ(Cell(0, 1), "00");
}
