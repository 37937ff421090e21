// Replacing through the view: the replace dialog's four answers in each scope, undo, direct edit.
#include "SearchViewFixture.h"

#include "search/ReplaceDlg.h"
#include "search/ReplaceRequest.h"

#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <deque>

namespace {

// Answers the replace dialogs as they open, by the object names of their buttons, and records the
// cursor the view showed for each hit.
struct DialogScript
{
    std::deque<QString> buttons;
    std::vector<uint64_t> shownAt;
    int dialogs = 0;
    CQuorvaneView* view = nullptr;
    QTimer timer;

    DialogScript(CQuorvaneView* v, std::initializer_list<const char*> names) : view(v)
    {
        for (const char* n : names)
            buttons.push_back(QString::fromLatin1(n));
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dlg = qobject_cast<CReplaceDlg*>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible())
                return;
            ++dialogs;
            shownAt.push_back(view->Cursor());
            const QString name = buttons.empty() ? QStringLiteral("cancel") : buttons.front();
            if (!buttons.empty())
                buttons.pop_front();
            dlg->findChild<QPushButton*>(name)->click();
        });
        timer.start();
    }
};

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(text);
}

void Replace(SearchViewFixture& f, const QString& hex, const QString& number, ReplaceScope scope)
{
    f.pattern = *SearchPattern::FromHexText(hex, false);
    const ReplaceRequest request = *ReplaceRequest::Build(number, false, scope);
    um::Replace::Send(f.view, &f.pattern, const_cast<ReplaceRequest*>(&request));
}

} // namespace

TEST(ViewReplace, WholeDocumentDeletesEveryHitAndUndoRestoresOneAtATime)
{
    SearchViewFixture f(Hex("4142004142"));
    DialogScript script(f.view, {"replaceAll"});
    Replace(f, QStringLiteral("4241"), QString(), ReplaceScope::Whole);
    EXPECT_EQ(script.dialogs, 1) << "一括置換 asks no more";
    EXPECT_EQ(f.Bytes(), Hex("00"));
    EXPECT_EQ(f.view->FindPos(), CQuorvaneView::kNone);
    EXPECT_TRUE(f.frame->log.contains(QStringLiteral("size 1")));
    f.view->Undo();
    EXPECT_EQ(f.Bytes(), Hex("004142"));
    f.view->Undo();
    EXPECT_EQ(f.Bytes(), Hex("4142004142"));
}

TEST(ViewReplace, DownwardReplaceThenStopAndSkips)
{
    SearchViewFixture f(Hex("00410041004100"));
    f.SetCursor(3);
    {
        // 0x3E7 replaces the hit at the cursor by E7 03; then キャンセル stops at the next hit.
        DialogScript script(f.view, {"replace", "cancel"});
        Replace(f, QStringLiteral("41"), QStringLiteral("0x3E7"), ReplaceScope::Downward);
        EXPECT_EQ(script.shownAt, (std::vector<uint64_t>{3, 6}));
        EXPECT_EQ(f.Bytes(), Hex("0041" "00E703" "004100"));
        f.view->Undo();
        EXPECT_EQ(f.Bytes(), Hex("00410041004100"));
    }
    {
        // 次を検索 on every hit of the whole document changes nothing.
        DialogScript script(f.view, {"skip", "skip", "skip"});
        Replace(f, QStringLiteral("41"), QStringLiteral("999"), ReplaceScope::Whole);
        EXPECT_EQ(script.dialogs, 3);
        EXPECT_EQ(f.Bytes(), Hex("00410041004100"));
        EXPECT_FALSE(f.doc.CanUndo());
    }
    {
        // A replacement that holds the pattern never loops.
        DialogScript script(f.view, {"replaceAll"});
        Replace(f, QStringLiteral("41"), QStringLiteral("0x4141"), ReplaceScope::Whole);
        EXPECT_EQ(f.Bytes(), Hex("00414100414100414100"));
    }
}

TEST(ViewReplace, UpwardAndSelectionScopes)
{
    SearchViewFixture f(Hex("41004100410041"));
    f.SetCursor(4);
    {
        // Upward from the cursor: the hit at the cursor and those before it, last first.
        DialogScript script(f.view, {"replace", "skip", "replace"});
        Replace(f, QStringLiteral("41"), QStringLiteral("0x42"), ReplaceScope::Upward);
        EXPECT_EQ(script.shownAt, (std::vector<uint64_t>{4, 2, 0}));
        EXPECT_EQ(f.Bytes(), Hex("42004100420041"));
    }
    {
        // Within the selection 1..5 only (bytes 00 41); the selection is kept.
        um::SelectRange::Send(f.view, uint64_t(1), uint64_t(5));
        DialogScript script(f.view, {"replaceAll"});
        Replace(f, QStringLiteral("4100"), QStringLiteral("0x3333"), ReplaceScope::Selection);
        EXPECT_EQ(f.Bytes(), Hex("42333300420041")) << "the hit at 5..6 reaches past the selection end";
        EXPECT_EQ(f.view->SelStart(), 1u);
        EXPECT_EQ(f.view->SelEnd(), 5u);
    }
    {
        // A locked document is left alone, without asking.
        f.doc.ToggleEditLock();
        DialogScript script(f.view, {"replaceAll"});
        Replace(f, QStringLiteral("42"), QString(), ReplaceScope::Whole);
        QApplication::processEvents();
        EXPECT_EQ(script.dialogs, 0);
        EXPECT_EQ(f.Bytes(), Hex("42333300420041"));
    }
}

TEST(ViewReplace, DirectEditWritesTheFile)
{
    SearchViewFixture f(Hex("4142004142"), true);
    if (!f.doc.IsEditable())
        f.doc.ToggleEditLock(); // a direct-edit document starts locked
    ASSERT_TRUE(f.doc.IsEditable());
    {
        DialogScript script(f.view, {"replace", "replace"});
        Replace(f, QStringLiteral("4241"), QStringLiteral("0x0102"), ReplaceScope::Whole);
        EXPECT_EQ(TempFiles::Read(f.path), Hex("0201000201"));
    }
    {
        DialogScript script(f.view, {"replaceAll"});
        Replace(f, QStringLiteral("00"), QStringLiteral("0x0CBBAA"), ReplaceScope::Whole);
        EXPECT_EQ(TempFiles::Read(f.path), Hex("0201AABB0C0201"));
        EXPECT_EQ(f.doc.GetFileSize(), 7u);
    }
}

TEST(ViewReplace, DialogOpensOverItsWindowOrWhereItWasLast)
{
    QWidget window;
    const QRect screen = window.screen()->availableGeometry();
    window.setGeometry(screen.adjusted(screen.width() / 4, screen.height() / 5, -screen.width() / 8, -20));
    window.show();
    QWidget* inside = new QWidget(&window);
    CReplaceDlg first(inside);
    first.Place(QRect(), inside);
    EXPECT_LE((first.frameGeometry().center() - window.frameGeometry().center()).manhattanLength(), 4);
    // Where it was last shown wins.
    CReplaceDlg again(inside);
    const QRect last(120, 90, again.width(), again.height());
    again.Place(last, inside);
    EXPECT_EQ(again.geometry(), last);
}
