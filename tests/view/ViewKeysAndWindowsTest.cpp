// The view in daily use: typing after Page Down keeps the rows still, Ctrl with the movement and
// deletion keys, keypad Insert, sideways scrolling, two windows of one direct-edit document, and
// a search on disk that shows its progress and can be stopped.
#include "SearchViewFixture.h"

#include "view/MyScrollBar.h"
#include "view/WorkProgress.h"

#include <QImage>
#include <QProgressDialog>
#include <QScrollBar>
#include <QTimer>

namespace {

QByteArray Counting(int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; ++i)
        b[i] = static_cast<char>(i * 7 + i / 256);
    return b;
}

// A view of its own document in a frame of the given size.
struct KeysFixture
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    QString path;
    CQuorvaneDoc doc;
    std::unique_ptr<RecordingFrame> frame;
    CQuorvaneView* view = nullptr;

    KeysFixture(const QByteArray& bytes, QSize size, bool direct = false)
    {
        settings->WriteDefaultGroup();
        settings->SetGroupFontName(QStringLiteral("*.*"), QStringLiteral("DejaVu Sans Mono"));
        path = files.Write("keys.bin", bytes);
        EXPECT_TRUE(doc.OnOpenDocument(path, direct));
        frame = std::make_unique<RecordingFrame>();
        auto* layout = new QVBoxLayout(frame.get());
        layout->setContentsMargins(0, 0, 0, 0);
        view = new CQuorvaneView(&doc, frame.get());
        layout->addWidget(view);
        view->OnInitialUpdate();
        frame->resize(size);
        frame->show();
        view->setFocus();
        QApplication::processEvents();
    }
    ~KeysFixture()
    {
        frame.reset();
        doc.OnCloseDocument();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view, key, mods); }
    QByteArray Bytes()
    {
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
};

} // namespace

TEST(ViewKeys, EditingOnTheFirstVisibleRowKeepsTheRowsStill)
{
    KeysFixture f(Counting(6400), QSize(900, 400));
    const uint64_t page = static_cast<uint64_t>(f.view->PageRows());
    ASSERT_GT(page, 3u);
    // Page Down leaves the cursor on the top row; typing, Delete and Backspace there change the
    // bytes without pulling the view back by a page.
    for (int i = 0; i < 3; ++i)
        f.Key(Qt::Key_PageDown);
    const uint64_t top = f.view->TopRow();
    ASSERT_GT(top, page);
    ASSERT_EQ(f.view->Cursor() / 16, top);
    const uint64_t at = f.view->Cursor();
    f.Key(Qt::Key_4);
    EXPECT_EQ(f.view->TopRow(), top);
    f.Key(Qt::Key_1);
    EXPECT_EQ(f.view->TopRow(), top);
    EXPECT_EQ(static_cast<uint8_t>(f.Bytes()[static_cast<qsizetype>(at)]), 0x41);
    f.Key(Qt::Key_Left);
    f.Key(Qt::Key_Delete);
    EXPECT_EQ(f.view->TopRow(), top);
    f.Key(Qt::Key_Right);
    f.Key(Qt::Key_Backspace);
    EXPECT_EQ(f.view->TopRow(), top);
    EXPECT_EQ(f.doc.GetFileSize(), 6398u);

    // Typing where the cursor is out of sight still brings it back into view.
    f.view->ScrollToRow(0);
    f.Key(Qt::Key_5);
    EXPECT_LE(f.view->TopRow(), f.view->Cursor() / 16);
    EXPECT_GT(f.view->TopRow() + page, f.view->Cursor() / 16);
}

TEST(ViewKeys, CtrlWithMovementAndDeletionKeysActsAsTheKeyAlone)
{
    KeysFixture f(Counting(6400), QSize(900, 400));
    f.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(f.view->Cursor(), 1u);
    f.Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(f.view->Cursor(), 17u);
    f.Key(Qt::Key_Up, Qt::ControlModifier);
    f.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(f.view->Cursor(), 0u);
    f.Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_GT(f.view->TopRow(), 0u);
    EXPECT_EQ(f.view->Cursor(), f.view->TopRow() * 16);
    f.Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(f.view->TopRow(), 0u);
    f.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(f.view->Cursor(), 6400u);
    f.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(f.view->Cursor(), 0u);

    // Ctrl+Delete deletes the byte at the cursor; Ctrl with a digit types nothing.
    const QByteArray before = f.Bytes();
    f.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(f.Bytes(), before.mid(1));
    f.Key(Qt::Key_7, Qt::ControlModifier);
    EXPECT_EQ(f.Bytes(), before.mid(1));

    // Insert on the keypad (NumLock off) switches the typing mode like Insert.
    const bool insert = f.view->IsInsertMode();
    f.Key(Qt::Key_Insert, Qt::KeypadModifier);
    EXPECT_NE(f.view->IsInsertMode(), insert);
    EXPECT_TRUE(f.frame->log.contains(insert ? QStringLiteral("status3 上書") : QStringLiteral("status3 挿入")));
    f.Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(f.view->IsInsertMode(), insert);
}

TEST(ViewKeys, RowsWiderThanTheWindowScrollSideways)
{
    KeysFixture f(Counting(600), QSize(1500, 400));
    QScrollBar* bar = f.view->horizontalScrollBar();
    EXPECT_FALSE(bar->isVisible()) << "a row fits 1500 pixels";
    EXPECT_EQ(f.view->HorizontalOffset(), 0);

    f.frame->resize(320, 400);
    QApplication::processEvents();
    ASSERT_TRUE(bar->isVisible());
    const CViewLayout& l = f.view->Layout();
    // Scrolled to the end, the text column is reachable: a click on its first cell lands there.
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const int x = f.view->HorizontalOffset();
    ASSERT_GT(x, 0);
    EXPECT_GE(x + f.view->viewport()->width(), l.CharColumnEnd());
    QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(l.CharCellX(3) - x + 1, l.TextY(1) + 2));
    EXPECT_TRUE(f.view->InCharColumn());
    EXPECT_EQ(f.view->Cursor(), 19u);
    // The caret is painted where the cell is on screen.
    f.view->viewport()->repaint();
    EXPECT_EQ(f.view->CaretRect().x(), l.CharCellX(3) - x);
    // A key that moves the cursor out of sight scrolls sideways to it.
    bar->setValue(0);
    f.Key(Qt::Key_Right);
    EXPECT_EQ(f.view->Cursor(), 20u);
    EXPECT_LE(f.view->HorizontalOffset(), l.CharCellX(4));
    EXPECT_GE(f.view->HorizontalOffset() + f.view->viewport()->width() - 16, l.CharCellX(4) + 2 * l.m_charWidth);
    // The row bar stays above the sideways bar, along the right edge of the rows.
    EXPECT_LE(f.view->ScrollBar()->geometry().bottom(), f.view->viewport()->geometry().bottom());

    f.frame->resize(1500, 400);
    QApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(f.view->HorizontalOffset(), 0);
}

TEST(ViewWindows, TwoViewsOfADirectEditDocumentEachShowTheirOwnRows)
{
    KeysFixture f(Counting(64 * 1024), QSize(900, 300), true);
    ASSERT_TRUE(f.doc.IsDirectEdit());
    auto* second = new CQuorvaneView(&f.doc, f.frame.get());
    f.frame->layout()->addWidget(second);
    second->OnInitialUpdate();
    f.frame->resize(900, 600);
    f.view->setFocus();
    QApplication::processEvents();
    second->OnActivateView(false); // no caret in the shot
    QApplication::processEvents();
    const QImage before = second->viewport()->grab().toImage();

    // The first window moves far away; the second one still paints its own rows.
    for (int i = 0; i < 5; ++i)
        f.Key(Qt::Key_PageDown);
    ASSERT_GT(f.view->TopRow(), static_cast<uint64_t>(2 * second->PageRows()));
    EXPECT_EQ(second->TopRow(), 0u);
    QApplication::processEvents();
    EXPECT_EQ(second->viewport()->grab().toImage(), before);

    // A digit typed over a byte of the second window keeps that byte's other half from the file.
    uint64_t at = 5;
    um::SetCursor::Send(second, &at, false);
    f.doc.SetEditLock(0); // direct edit starts locked
    second->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(second->IsInsertMode());
    QTest::keyClick(second, Qt::Key_C);
    const QByteArray disk = TempFiles::Read(f.path);
    EXPECT_EQ(static_cast<uint8_t>(disk[5]), 0xC0 | (static_cast<uint8_t>(Counting(6)[5]) & 0x0F));
    EXPECT_EQ(f.doc.ByteAt(5), static_cast<uint8_t>(disk[5]));
    EXPECT_EQ(f.doc.ByteAt(60000), static_cast<uint8_t>(disk[60000]));
}

TEST(ViewSearchProgress, ASearchOnDiskShowsProgressAndStops)
{
    const int delay = CWorkProgress::ShowDelay();
    CWorkProgress::SetShowDelay(0);
    SearchViewFixture f(QByteArray(16, '\0'), true);
    // The file grows on disk to a size whose scan takes many reads; the window re-reads it.
    const uint64_t size = 48ull << 20;
    {
        QFile file(f.path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(static_cast<qint64>(size)));
        ASSERT_TRUE(file.seek(static_cast<qint64>(size - 3)));
        ASSERT_EQ(file.write(QByteArray::fromHex("C0FFEE")), 3);
    }
    ASSERT_TRUE(f.doc.LoadWindow());
    ASSERT_EQ(f.doc.GetFileSize(), size);
    um::Reset::Send(f.view);

    // 中止 in the progress window: the step ends and the cursor stays.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QProgressDialog*>(w); d && d->isVisible()) {
                shown = true;
                d->cancel();
            }
    });
    f.NewSearch(QStringLiteral("C0FFEE"), true);
    EXPECT_TRUE(shown);
    EXPECT_EQ(f.view->Cursor(), 0u);
    EXPECT_EQ(f.view->FindPos(), CQuorvaneView::kNone);
    EXPECT_TRUE(f.prompter.asked.empty());

    // Left alone, the same step finds the bytes at the end.
    f.NewSearch(QStringLiteral("C0FFEE"), true);
    EXPECT_EQ(f.view->Cursor(), size - 3);
    f.view->StopSearchWorkers();
    CWorkProgress::SetShowDelay(delay);
}
