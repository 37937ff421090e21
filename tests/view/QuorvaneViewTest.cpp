// Tests of the hex view widget: painting, keyboard and mouse, messages, direct edit mode.
#include "view/QuorvaneView.h"

#include "TestSettings.h"
#include "RecordingFrame.h"
#include "ScriptedPrompter.h"
#include "base/CommandIds.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "view/MyScrollBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr uint32_t kAddressBk = 0xC0C0C0;
constexpr uint32_t kTextBk = 0xFFFFFF;
constexpr uint32_t kSelBk = 0xFF0000;  // blue
constexpr uint32_t kEofBk = 0x00FF00;  // green
constexpr uint32_t kFindBk = 0x00FFFF; // yellow
constexpr uint32_t kDiffpBk = 0xFF00FF; // magenta
constexpr uint32_t kDiffmBk = 0xFFFF00; // cyan

QColor Rgb(uint32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// A settings group with a known font and distinct colours, a file, its document and a view.
struct ViewFixture
{
    TestSettings settings;
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    QString path;
    CQuorvaneDoc doc;
    std::unique_ptr<RecordingFrame> frame;
    CQuorvaneView* view = nullptr;

    ViewFixture()
    {
        settings->WriteDefaultGroup();
        settings->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans Mono"));
        settings->SetGroupSetting(SettingId::FontSize, 12, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_AddressBk, kAddressBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_TextBk, kTextBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_SelBk, kSelBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_EOFBk, kEofBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_FindBk, kFindBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_DiffpBk, kDiffpBk, QStringLiteral("*.*"));
        settings->SetGroupSetting(SettingId::Color_DiffmBk, kDiffmBk, QStringLiteral("*.*"));
        path = dir.path() + QStringLiteral("/data.bin");
    }
    ~ViewFixture()
    {
        frame.reset();
        doc.OnCloseDocument();
    }

    void WriteFile(const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // Opens the file and shows a view of it in a frame `height` pixels high.
    void Open(int height = 400, int width = 900)
    {
        ASSERT_TRUE(doc.OnOpenDocument(path));
        frame = std::make_unique<RecordingFrame>();
        auto* layout = new QVBoxLayout(frame.get());
        layout->setContentsMargins(0, 0, 0, 0);
        view = new CQuorvaneView(&doc, frame.get());
        layout->addWidget(view);
        view->OnInitialUpdate();
        frame->resize(width, height);
        frame->show();
        QApplication::processEvents();
    }

    // Paints without the caret (it inverts what it covers).
    QImage Paint()
    {
        view->clearFocus();
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        QPainter p(&image);
        view->PaintView(p, image.size());
        return image;
    }

    const CViewLayout& L() const { return view->Layout(); }
    QRect HexRect(int screenRow, int column, int chars = 2) const
    {
        return QRect(L().HexCellX(column), L().TextY(screenRow), chars * L().m_charWidth, L().m_lineHeight);
    }
    QPoint HexPoint(int screenRow, int column) const
    {
        return QPoint(L().HexCellX(column) + 2, L().TextY(screenRow) + 2);
    }
};

// The share of the pixels of `r` that have colour `c`.
double Share(const QImage& image, const QRect& r, uint32_t c)
{
    const QRgb want = Rgb(c).rgb();
    int hits = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x, ++all)
            hits += (image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF);
    return all ? double(hits) / all : 0.0;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

void SendWheel(QWidget* w, int delta)
{
    const QPoint pos(50, 50);
    QWheelEvent e(QPointF(pos), QPointF(w->mapToGlobal(pos)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

QByteArray Counting(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = char(i);
    return b;
}

} // namespace

TEST(QuorvaneView, GeometryComesFromTheGroupFontOrTheFixedPitchFallback)
{
    ViewFixture f;
    f.WriteFile(Counting(100));
    f.Open();
    ASSERT_TRUE(f.view->UsesRequestedFont());
    QFont known(QStringLiteral("DejaVu Sans Mono"));
    known.setPixelSize(16); // 12 points at 96 per inch
    const QFontMetrics fm(known);
    EXPECT_EQ(f.L().m_charWidth, fm.horizontalAdvance(QLatin1Char(' ')));
    EXPECT_EQ(f.L().m_lineHeight, fm.height());
    EXPECT_EQ(f.L().m_rowPitch, fm.height() + fm.horizontalAdvance(QLatin1Char(' ')));
    EXPECT_EQ(f.view->PageRows(), f.view->viewport()->height() / f.L().m_rowPitch - 1);

    // A face that does not exist here (or is proportional) gives way to a fixed-pitch font.
    f.settings->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("FixedSys"));
    um::Relayout::Send(f.view);
    EXPECT_FALSE(f.view->UsesRequestedFont());
    EXPECT_TRUE(QFontInfo(f.view->ViewFont()).fixedPitch());
    f.settings->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans"));
    f.settings->SetGroupSetting(SettingId::FontSize, 24, QStringLiteral("*.*"));
    um::Relayout::Send(f.view);
    EXPECT_FALSE(f.view->UsesRequestedFont());
    EXPECT_TRUE(QFontInfo(f.view->ViewFont()).fixedPitch());
    EXPECT_EQ(f.view->ViewFont().pixelSize(), 32);
    EXPECT_EQ(f.view->PageRows(), f.view->viewport()->height() / f.L().m_rowPitch - 1);
}

TEST(QuorvaneView, PaintsHeaderCursorSelectionAndEndOfFile)
{
    ViewFixture f;
    f.WriteFile(Counting(17));
    f.Open();
    uint64_t at = 5;
    um::SetCursor::Send(f.view, &at, false);
    QImage img = f.Paint();
    const int cw = f.L().m_charWidth;

    // Header band and address column in the address colour; the cursor's column and row address
    // in the selection colour.
    EXPECT_GT(Share(img, QRect(f.L().CharColumnEnd() + 20, 1, 20, 2), kAddressBk), 0.99);
    EXPECT_GT(Share(img, QRect(f.L().HexCellX(5), 3, 2 * cw, f.L().m_lineHeight), kSelBk), 0.5);
    EXPECT_LT(Share(img, QRect(f.L().HexCellX(6), 3, 2 * cw, f.L().m_lineHeight), kSelBk), 0.01);
    EXPECT_GT(Share(img, QRect(cw, f.L().TextY(0), 8 * cw, f.L().m_lineHeight), kSelBk), 0.5);
    EXPECT_LT(Share(img, QRect(cw, f.L().TextY(1), 8 * cw, f.L().m_lineHeight), kSelBk), 0.01);
    // Row 1 holds one byte and then "EOF" in column 1; the rest of it and the rows below are blank.
    EXPECT_GT(Share(img, f.HexRect(1, 0), kTextBk), 0.5);
    EXPECT_GT(Share(img, f.HexRect(1, 1, 3), kEofBk), 0.3);
    EXPECT_GT(Share(img, QRect(f.L().HexCellX(3), f.L().TextY(1), 200, f.L().m_lineHeight), kTextBk), 0.999);
    EXPECT_GT(Share(img, QRect(f.L().m_addrWidth + 1, f.L().TextY(2), 600, 3 * f.L().m_rowPitch), kTextBk), 0.999);
    // The caret stands on the cursor's hex cell.
    EXPECT_EQ(f.view->CaretRect().topLeft(), QPoint(f.L().HexCellX(5), f.L().TextY(0)));

    // A selection and a highlighted hit: the selection wins where they overlap.
    um::SelectRange::Send(f.view, 2, 4);
    f.view->SetFindHighlight(4, 3);
    img = f.Paint();
    for (int j = 2; j <= 4; ++j)
        EXPECT_GT(Share(img, f.HexRect(0, j), kSelBk), 0.5) << j;
    EXPECT_GT(Share(img, f.HexRect(0, 5), kFindBk), 0.5);
    EXPECT_GT(Share(img, f.HexRect(0, 6), kFindBk), 0.5);
    EXPECT_GT(Share(img, f.HexRect(0, 7), kTextBk), 0.5);
    // The text column follows the same colours.
    EXPECT_GT(Share(img, QRect(f.L().CharCellX(3), f.L().TextY(0), cw, f.L().m_lineHeight), kSelBk), 0.5);
}

TEST(QuorvaneView, ComparedBytesShowWhichSideIsGreater)
{
    ViewFixture f;
    f.WriteFile(QByteArray("\x41\x41\x41\x41", 4));
    f.Open();
    const QString partnerPath = f.dir.path() + QStringLiteral("/partner.bin");
    {
        QFile p(partnerPath);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write(QByteArray("\x40\x41\x42", 3));
    }
    for (bool direct : {false, true}) {
        CQuorvaneDoc partner;
        ASSERT_TRUE(partner.OnOpenDocument(partnerPath, direct));
        f.doc.SetDiffPartner(&partner);
        const QImage img = f.Paint();
        EXPECT_GT(Share(img, f.HexRect(0, 0, 3), kDiffpBk), 0.4) << direct; // 41 over 40: "41+"
        EXPECT_GT(Share(img, f.HexRect(0, 1), kTextBk), 0.4) << direct;     // equal
        EXPECT_GT(Share(img, f.HexRect(0, 2, 3), kDiffmBk), 0.4) << direct; // 41 under 42: "41-"
        EXPECT_GT(Share(img, f.HexRect(0, 3), kTextBk), 0.4) << direct;     // past the partner's end
        f.doc.SetDiffPartner(nullptr);
    }
}

TEST(QuorvaneView, EndOfFileRowsOfEmptyAndWholeRowFiles)
{
    {
        ViewFixture f;
        f.WriteFile(QByteArray());
        f.Open();
        const QImage img = f.Paint();
        EXPECT_GT(Share(img, f.HexRect(0, 0, 3), kEofBk), 0.3);
        EXPECT_EQ(f.view->CaretRect().topLeft(), QPoint(f.L().HexCellX(0), f.L().TextY(0)));
        EXPECT_GT(Share(img, QRect(f.L().m_addrWidth + 1, f.L().TextY(1), 600, f.L().m_rowPitch), kTextBk), 0.999);
        // Nothing to select; the menu jumps stay on the end-of-file cell.
        EXPECT_TRUE(f.view->OnCommand(ID_SELECT_ALL));
        EXPECT_EQ(f.view->SelStart(), CQuorvaneView::kNone);
        f.view->OnCommand(ID_JUMP_END);
        EXPECT_EQ(f.view->Cursor(), 0u);
    }
    {
        ViewFixture f;
        f.WriteFile(Counting(32));
        f.Open();
        const QImage img = f.Paint();
        EXPECT_LT(Share(img, f.HexRect(1, 15), kEofBk), 0.01);
        EXPECT_GT(Share(img, f.HexRect(2, 0, 3), kEofBk), 0.3);
    }
}

TEST(QuorvaneView, TextColumnDrawsJapaneseInTheViewsCode)
{
    ViewFixture f;
    // "あ" in Shift-JIS with its lead byte in column 15; "日本" in UTF-8 on the next row.
    QByteArray bytes(15, 'A');
    bytes += QByteArray("\x82\xA0", 2);
    bytes += QByteArray("\xE6\x97\xA5\xE6\x9C\xAC", 6);
    f.WriteFile(bytes);
    f.Open();
    EXPECT_EQ(f.view->GetCharCode(), CharCode::ShiftJis); // the group's default
    const int cw = f.L().m_charWidth;
    const auto inked = [&](const QImage& img, int row, int cell, int cells) {
        return 1.0 - Share(img, QRect(f.L().CharCellX(cell), f.L().TextY(row), cells * cw, f.L().m_lineHeight), kTextBk);
    };
    QImage img = f.Paint();
    EXPECT_GT(inked(img, 0, 15, 2), 0.05); // the kana at the end of row 0, reaching into the margin
    EXPECT_LT(inked(img, 1, 0, 1), 0.01);  // its trail byte: a blank cell

    f.view->OnCommand(ID_CHARCODE_UTF8);
    EXPECT_EQ(f.view->GetCharCode(), CharCode::Utf8);
    img = f.Paint();
    EXPECT_GT(inked(img, 1, 1, 3), 0.05); // 日 over cells 1..3
    EXPECT_GT(inked(img, 1, 4, 3), 0.05); // 本 over cells 4..6
    EXPECT_EQ(f.frame->log.last(), QStringLiteral("charcode 6 0"));
    CmdUI ui;
    EXPECT_TRUE(f.view->OnUpdateCommand(ID_CHARCODE_UTF8, ui));
    EXPECT_TRUE(ui.checked);
    EXPECT_TRUE(f.view->OnUpdateCommand(ID_CHARCODE_SJIS, ui));
    EXPECT_FALSE(ui.checked);
}

TEST(QuorvaneView, KeyboardNavigationThroughTheWidget)
{
    ViewFixture f;
    f.WriteFile(Counting(64));
    f.Open();
    uint64_t five = 5;
    um::SetCursor::Send(f.view, &five, false);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(f.view->Cursor(), 8u);
    EXPECT_EQ(f.view->SelStart(), 5u);
    EXPECT_EQ(f.view->SelEnd(), 7u);
    QTest::keyClick(f.view, Qt::Key_Down);
    EXPECT_EQ(f.view->Cursor(), 24u);
    EXPECT_EQ(f.view->SelStart(), CQuorvaneView::kNone);

    // Tab stays in the view; Shift+Tab hands the focus to the properties pane.
    f.frame->log.clear();
    QTest::keyClick(f.view, Qt::Key_Tab);
    EXPECT_TRUE(f.frame->log.isEmpty());
    QTest::keyClick(f.view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.frame->log, QStringList{QStringLiteral("focus 0")});

    QTest::keyClick(f.view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.view->SelStart(), 0u);
    EXPECT_EQ(f.view->SelEnd(), 63u);
    EXPECT_EQ(f.view->Cursor(), 63u);
    QTest::keyClick(f.view, Qt::Key_Home);
    EXPECT_EQ(f.view->Cursor(), 0u);
    EXPECT_EQ(f.view->SelEnd(), 63u); // Home leaves the selection
    QTest::keyClick(f.view, Qt::Key_End);
    EXPECT_EQ(f.view->Cursor(), 64u);
}

TEST(QuorvaneView, MouseClicksDragsAndWheel)
{
    ViewFixture f;
    f.WriteFile(Counting(16 * 200));
    f.Open(300);
    QWidget* vp = f.view->viewport();
    SendMouse(vp, QEvent::MouseButtonPress, f.HexPoint(2, 3), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(f.view->Cursor(), 2u * 16 + 3);
    EXPECT_FALSE(f.view->InCharColumn());
    SendMouse(vp, QEvent::MouseMove, f.HexPoint(3, 1), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.view->SelStart(), 35u);
    EXPECT_EQ(f.view->SelEnd(), 48u);
    SendMouse(vp, QEvent::MouseButtonRelease, f.HexPoint(3, 1), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(f.view->Cursor(), 49u);

    // Dragging below the window scrolls it a row at a time.
    SendMouse(vp, QEvent::MouseButtonPress, f.HexPoint(0, 0), Qt::LeftButton, Qt::LeftButton);
    SendMouse(vp, QEvent::MouseMove, QPoint(f.L().HexCellX(0), vp->height() + 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.view->TopRow(), 1u);
    SendMouse(vp, QEvent::MouseButtonRelease, QPoint(0, 0), Qt::LeftButton, Qt::NoButton);

    // A click in the text column puts the caret there.
    const QPoint text(f.L().CharCellX(9) + 1, f.L().TextY(0) + 2);
    SendMouse(vp, QEvent::MouseButtonPress, text, Qt::LeftButton, Qt::LeftButton);
    SendMouse(vp, QEvent::MouseButtonRelease, text, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(f.view->InCharColumn());
    EXPECT_EQ(f.view->Cursor(), 1u * 16 + 9);

    // One notch scrolls a row, three notches three; half notches add up.
    SendWheel(vp, -120);
    EXPECT_EQ(f.view->TopRow(), 2u);
    SendWheel(vp, -360);
    EXPECT_EQ(f.view->TopRow(), 5u);
    SendWheel(vp, 60);
    EXPECT_EQ(f.view->TopRow(), 5u);
    SendWheel(vp, 60);
    EXPECT_EQ(f.view->TopRow(), 4u);
    // The bar's own buttons and page clicks.
    f.view->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(f.view->TopRow(), 4u + f.view->PageRows());
    f.view->ScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(f.view->TopRow(), 200u);
}

TEST(QuorvaneView, WindowMessagesFromThePanes)
{
    ViewFixture f;
    f.WriteFile(Counting(0x1000));
    f.Open();
    // Set-up asked for the panes and showed the code.
    EXPECT_EQ(f.frame->log.mid(0, 4),
              (QStringList{QStringLiteral("charcode 2 1"), QStringLiteral("pane"), QStringLiteral("pane"), QStringLiteral("pane")}));

    uint64_t amount = 0x800;
    um::AddrJump::Send(f.view, um::JumpAbsolute, &amount);
    EXPECT_EQ(f.view->Cursor(), 0x800u);
    EXPECT_LE(f.view->TopRow(), 0x80u);
    EXPECT_GT(f.view->TopRow() + f.view->PageRows(), 0x80u);
    amount = 0x900;
    um::AddrJump::Send(f.view, um::JumpBackward, &amount);
    EXPECT_EQ(f.view->Cursor(), 0u);
    amount = 0x5000;
    um::AddrJump::Send(f.view, um::JumpForward, &amount);
    EXPECT_EQ(f.view->Cursor(), 0x1000u);

    uint64_t target = 0x1000; // the end-of-file cell: ignored
    uint64_t back = 0;
    um::SetCursor::Send(f.view, &target, false);
    EXPECT_EQ(f.view->Cursor(), 0x1000u);
    target = 0x123;
    um::SetCursor::Send(f.view, &target, false);
    EXPECT_EQ(f.view->Cursor(), 0x123u);
    um::SetCursor::Send(f.view, &back, true); // writes the cursor into the record first
    EXPECT_EQ(back, 0x123u);

    uint64_t last = 0, top = 1;
    const uint64_t* cursor = um::GetPos::Send(f.view, &last, &top);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(*cursor, 0x123u);
    EXPECT_EQ(last, 0xFFFu);
    EXPECT_EQ(top, f.view->TopRow() * 16);

    uint64_t s = 0, e = 0;
    um::GetSel::Send(f.view, &s, &e);
    EXPECT_EQ(s, CQuorvaneView::kNone);
    um::SelectRange::Send(f.view, 0x10, 0x1F);
    um::GetSel::Send(f.view, &s, &e);
    EXPECT_EQ(s, 0x10u);
    EXPECT_EQ(e, 0x1Fu);
    EXPECT_EQ(f.view->Cursor(), 0x1Fu);

    um::SetCharCode::Send(f.view, int(CharCode::Ebcdik));
    EXPECT_EQ(f.view->GetCharCode(), CharCode::Ebcdik);

    // After a reload the view is back at the top without marks; a shorter file pulls the cursor in.
    f.WriteFile(Counting(0x10));
    f.doc.OnOpenDocument(f.path);
    um::Reset::Send(f.view);
    EXPECT_EQ(f.view->TopRow(), 0u);
    EXPECT_EQ(f.view->SelStart(), CQuorvaneView::kNone);
    EXPECT_EQ(f.view->Cursor(), 0x10u);
    EXPECT_EQ(f.view->RowCount(), 1u);
}

TEST(QuorvaneView, ActivationTellsTheFrameInOrder)
{
    ViewFixture f;
    f.WriteFile(Counting(300));
    f.Open();
    f.frame->log.clear();
    f.view->OnActivateView(true);
    EXPECT_EQ(f.frame->log, (QStringList{QStringLiteral("status3 上書"), QStringLiteral("direct 0"),
                                         QStringLiteral("charcode 2 0"), QStringLiteral("size 300"),
                                         QStringLiteral("bitmap"), QStringLiteral("byteorder 0")}));
    f.frame->log.clear();
    EXPECT_TRUE(f.view->OnCommand(ID_BYTEORDER_BIG));
    EXPECT_EQ(f.view->GetByteOrder(), 1);
    EXPECT_EQ(f.frame->log, QStringList{QStringLiteral("byteorder 1")});
    CmdUI ui;
    f.view->OnUpdateCommand(ID_BYTEORDER_BIG, ui);
    EXPECT_TRUE(ui.checked);
    f.view->OnUpdateCommand(ID_BYTEORDER_LITTLE, ui);
    EXPECT_FALSE(ui.checked);
    EXPECT_FALSE(f.view->OnCommand(ID_FILE_SAVE)); // not the view's
}

TEST(QuorvaneView, CursorPositionIsStoredAndRestoredPerPath)
{
    ViewFixture f;
    f.WriteFile(Counting(0x100));
    f.settings->SetGroupSetting(SettingId::CursorRestore, 1, QStringLiteral("*.*"));
    f.settings->WriteCursorPosition(f.path, 0x80);
    f.settings->WriteCursorPosition(f.path.toUpper(), 0x40);
    f.Open(120); // a short window: the restored cursor lies below it and is not scrolled to
    EXPECT_EQ(f.view->Cursor(), 0x80u);
    EXPECT_EQ(f.view->TopRow(), 0u);
    uint64_t at = 0x33;
    um::SetCursor::Send(f.view, &at, false);
    f.frame.reset(); // closing the window stores the position
    EXPECT_EQ(f.settings->ReadCursorPosition(f.path), std::optional<uint32_t>(0x33));

    // A stored position past the end of a file that shrank stays inside it.
    f.settings->WriteCursorPosition(f.path, 0x5000);
    f.Open();
    EXPECT_EQ(f.view->Cursor(), 0x100u);
}

TEST(QuorvaneView, HugeSparseFileInDirectEditMode)
{
    ViewFixture f;
    const qint64 size = 5LL << 30;
    {
        QFile file(f.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));
        ASSERT_TRUE(file.seek(size - 4));
        file.write("TAIL", 4);
        ASSERT_TRUE(file.seek(0x12345670));
        file.write("MID!", 4);
    }
    f.Open(400);
    ASSERT_TRUE(f.doc.IsDirectEdit());
    EXPECT_EQ(f.doc.EditLock(), 1u);
    EXPECT_EQ(f.L().m_addrChars, 9);
    EXPECT_TRUE(f.view->ScrollBar()->isVisible());
    EXPECT_EQ(f.view->ScrollBar()->maximum(), 100000 - f.view->PageRows() + 1);

    // To the end: the window on disk follows the first visible row and holds the last bytes.
    f.view->OnCommand(ID_JUMP_END);
    EXPECT_EQ(f.view->Cursor(), uint64_t(size));
    EXPECT_EQ(f.doc.WindowFirstRow(), f.view->TopRow());
    EXPECT_EQ(f.doc.ByteAt(size - 4), 'T');
    EXPECT_EQ(f.doc.ByteAt(size - 1), 'L');
    EXPECT_EQ(f.view->ScrollBar()->value(), f.view->ScrollBar()->maximum());
    QImage img = f.Paint();
    EXPECT_GT(Share(img, f.HexRect(int(f.view->Cursor() / 16 - f.view->TopRow()), 0, 3), kEofBk), 0.3);

    // Every scroll re-reads the rows on screen.
    SendWheel(f.view->viewport(), 120);
    EXPECT_EQ(f.doc.WindowFirstRow(), f.view->TopRow());
    uint64_t mid = 0x12345670;
    um::AddrJump::Send(f.view, um::JumpAbsolute, &mid);
    EXPECT_EQ(f.doc.WindowFirstRow(), f.view->TopRow());
    EXPECT_EQ(f.doc.ByteAt(0x12345673), '!');
    // Dragging the scaled thumb half way shows the middle of the file.
    CMyScrollBar* bar = f.view->ScrollBar();
    bar->setSliderPosition(50000 - f.view->PageRows() + 1);
    bar->triggerAction(QAbstractSlider::SliderMove);
    EXPECT_EQ(f.view->TopRow(), uint64_t(size) / 16 / 2);
    EXPECT_EQ(f.doc.WindowFirstRow(), f.view->TopRow());
    f.view->ScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(f.view->TopRow(), 0u);
    EXPECT_EQ(f.doc.WindowFirstRow(), 0u);

    // Activation lights the direct edit indicator.
    f.frame->log.clear();
    f.view->OnActivateView(true);
    EXPECT_TRUE(f.frame->log.contains(QStringLiteral("direct 1")));
    EXPECT_TRUE(f.prompter.asked.empty());
}

TEST(QuorvaneView, RepaintsWhenBackgroundLoadingEnds)
{
    ViewFixture f;
    f.WriteFile(QByteArray(3 * 1024 * 1024, '\x5A'));
    f.Open();
    int paints = 0;
    struct Counter : QObject
    {
        int* n;
        explicit Counter(int* c) : n(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                ++*n;
            return false;
        }
    } counter(&paints);
    f.view->viewport()->installEventFilter(&counter);
    f.doc.WaitForLoader();
    QElapsedTimer t;
    t.start();
    while (paints == 0 && t.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_GT(paints, 0);
    EXPECT_EQ(f.doc.ByteAt(3 * 1024 * 1024 - 1), 0x5A);
}

TEST(QuorvaneView, SynchronizedScrollingMovesTheOtherViews)
{
    ViewFixture f;
    f.WriteFile(Counting(16 * 500));
    f.Open();
    auto* second = new CQuorvaneView(&f.doc, f.frame.get());
    f.frame->layout()->addWidget(second);
    second->OnInitialUpdate();
    QApplication::processEvents();
    CQuorvaneView::SetSynchronizedScrolling(true);
    SendWheel(f.view->viewport(), -360);
    EXPECT_EQ(f.view->TopRow(), 3u);
    EXPECT_EQ(second->TopRow(), 3u);
    CQuorvaneView::SetSynchronizedScrolling(false);
    SendWheel(f.view->viewport(), -120);
    EXPECT_EQ(second->TopRow(), 3u);
}
