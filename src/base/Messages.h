// The private window messages between panes, views and the main frame, as typed Qt events.
//
// A message is a QEvent whose type is the message number. Sending is synchronous
// (QCoreApplication::sendEvent: the sender waits and may read the handler's result); posting
// (QCoreApplication::postEvent) does not wait. Pointers carried by a sent message belong to
// the sender and are valid only for the duration of the send.
//
// Two number spaces exist, one per receiving class: the same number means one thing to a view
// and another to the main frame (0x8004 sets a view's character code but only shows it in the
// frame). A receiver therefore reads a message with um::Cast<T>, which checks both the number
// and the event's class, so a message meant for the other space is never misread.
//
//   sender:    uint64_t* cursor = um::GetPos::Send(view, &last, &top);
//   receiver:  bool CQuorvaneView::event(QEvent* e) {
//                  if (auto* m = um::Cast<um::GetPos>(e)) { ...; m->result = &m_cursor; return true; }
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>

// ---- Numbers of the messages received by the active view (CQuorvaneView) ----
inline constexpr int UM_SEARCH = 0x8001;
inline constexpr int UM_JUMPRESULT = 0x8002;
inline constexpr int UM_SAMESEARCH = 0x8003;
inline constexpr int UM_SETCHARCODE = 0x8004;
inline constexpr int UM_SUM = 0x8007;
inline constexpr int UM_REPLACE = 0x8009;
inline constexpr int UM_ADDRJUMP = 0x800a;
inline constexpr int UM_RELAYOUT = 0x800c;
inline constexpr int UM_SETCURSOR = 0x800d;
inline constexpr int UM_UPDATEINFO = 0x800e;
inline constexpr int UM_SETSTRUCTRANGE = 0x8010;
inline constexpr int UM_GETPOS = 0x8011;
inline constexpr int UM_GETSEL = 0x8013;
inline constexpr int UM_SAMEGROUP = 0x8015;
inline constexpr int UM_SAMEREFRESH = 0x8016;
inline constexpr int UM_SETBOOKMARKTEXT = 0x8018;
inline constexpr int UM_RESET = 0x8019;
inline constexpr int UM_SELECTRANGE = 0x801a;

// ---- Numbers of the messages received by the main frame (CMainFrame) ----
inline constexpr int UM_SHOWCHARCODE = 0x8004;
inline constexpr int UM_GETOUTPUTPANE = 0x8005;
inline constexpr int UM_STATUSTEXT = 0x8006;
inline constexpr int UM_GETINFOPANE = 0x8008;
inline constexpr int UM_FOCUS = 0x800b;
inline constexpr int UM_OPENFROMCLIPBOARD = 0x800f;
inline constexpr int UM_GETSTRUCTPANE = 0x8012;
inline constexpr int UM_REDRAWBITMAP = 0x8014;
inline constexpr int UM_SHOWBYTEORDER = 0x8017;

// Request records owned by the panes; defined by the subsystems that build them.
class SearchPattern;
struct SameSearchRequest;
struct SumRequest;
struct ReplaceRequest;
// What the views keep of the panes after set-up: the sinks the panes implement.
class ResultSink;
class InfoSink;
class StructPaneSink;

namespace um {

// An address range of the structure editor: start, end exclusive.
struct AddrRange
{
    uint64_t start = 0;
    uint64_t end = 0;
};

// Status-bar pane indices of UM_STATUSTEXT.
enum StatusPane : int { PaneMessage = 0, PaneFileSize = 1, PaneNum = 2, PaneInputMode = 3, PaneDirectEdit = 4 };

// The common base: the number is the event type. Handlers accept the event (the default).
class Message : public QEvent
{
public:
    explicit Message(int number) : QEvent(static_cast<QEvent::Type>(number)) {}
    int Number() const { return static_cast<int>(type()); }
};

// A message with a word parameter, a long parameter and a result, all typed.
template <int N, class W, class L, class R = intptr_t>
class Msg : public Message
{
public:
    static constexpr int kNumber = N;
    using WParam = W;
    using LParam = L;
    using Result = R;

    Msg(W w = W{}, L l = L{}) : Message(N), wParam(w), lParam(l) {}

    W wParam;
    L lParam;
    R result{};
};

// The message of type T carried by `e`, or null when `e` is anything else.
template <class T>
T* Cast(QEvent* e)
{
    if (!e || static_cast<int>(e->type()) != T::kNumber)
        return nullptr;
    return dynamic_cast<T*>(e);
}

// Sends a message synchronously and returns the handler's result; a null target gets nothing
// and yields the result's default (a sender that finds no active view sends nothing).
template <class T, class... A>
typename T::Result SendTo(QObject* to, A&&... args)
{
    if (!to)
        return typename T::Result{};
    T m(std::forward<A>(args)...);
    QCoreApplication::sendEvent(to, &m);
    return m.result;
}

// Posts a message; the receiver's event loop delivers it later. A null target gets nothing.
template <class T, class... A>
void PostTo(QObject* to, A&&... args)
{
    if (to)
        QCoreApplication::postEvent(to, new T(std::forward<A>(args)...));
}

// Each message type also offers T::Send(to, ...) (and Post for the posted one).
#define QV_MESSAGE_HELPERS(T)                                                        \
    template <class... A> static Result Send(QObject* to, A&&... args)              \
    { return SendTo<T>(to, std::forward<A>(args)...); }

// ======== Messages received by the view ========

// Search step or new search. w: the pane's pattern (its request kind inside); l: the pattern
// did not exist before the command.
struct Search : Msg<UM_SEARCH, SearchPattern*, bool> { using Msg::Msg; QV_MESSAGE_HELPERS(Search) };

// Jump to a listed result: by index into the hit list, or by an address text of the
// same-search list (leading "0" characters are ignored, the rest is hexadecimal).
struct JumpResult : Message
{
    static constexpr int kNumber = UM_JUMPRESULT;
    using Result = intptr_t;
    explicit JumpResult(qint64 hitIndex) : Message(kNumber), index(hitIndex) {}
    explicit JumpResult(const QString* addressText) : Message(kNumber), text(addressText) {}
    bool IsIndex() const { return text == nullptr; }
    qint64 index = -1;             // the index form
    const QString* text = nullptr; // the text form
    Result result = 0;
    QV_MESSAGE_HELPERS(JumpResult)
};

// Start (w request, l the pane's idle flag, set back to true by the worker when it ends) or,
// with both null, stop the same search.
struct SameSearch : Msg<UM_SAMESEARCH, SameSearchRequest*, std::atomic<bool>*> { using Msg::Msg; QV_MESSAGE_HELPERS(SameSearch) };

// w: the character code (0-8) that becomes the view's.
struct SetCharCode : Msg<UM_SETCHARCODE, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(SetCharCode) };

// w: the pane's request; l: the calculation method code.
struct Sum : Msg<UM_SUM, SumRequest*, int> { using Msg::Msg; QV_MESSAGE_HELPERS(Sum) };

// w: the search pattern; l: what replaces its hits.
struct Replace : Msg<UM_REPLACE, SearchPattern*, ReplaceRequest*> { using Msg::Msg; QV_MESSAGE_HELPERS(Replace) };

// w: 0 absolute, 1 forward relative, 2 backward relative; l: the amount.
struct AddrJump : Msg<UM_ADDRJUMP, int, const uint64_t*> { using Msg::Msg; QV_MESSAGE_HELPERS(AddrJump) };
enum AddrJumpType : int { JumpAbsolute = 0, JumpForward = 1, JumpBackward = 2 };

// Re-measure the font and lay the view out again (after the settings dialog).
struct Relayout : Msg<UM_RELAYOUT, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(Relayout) };

// w: the address to move to (null: the current cursor); l: write the cursor into *w first.
struct SetCursor : Msg<UM_SETCURSOR, uint64_t*, bool> { using Msg::Msg; QV_MESSAGE_HELPERS(SetCursor) };

// Recompute the info pane from the cursor or the selection.
struct UpdateInfo : Msg<UM_UPDATEINFO, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(UpdateInfo) };

// w: the whole structure's range or null; l: the selected member's range or null.
struct SetStructRange : Msg<UM_SETSTRUCTRANGE, const AddrRange*, const AddrRange*> { using Msg::Msg; QV_MESSAGE_HELPERS(SetStructRange) };

// w receives the last address (file size - 1), l the first visible row's address (either may
// be null); the result points at the view's cursor address.
struct GetPos : Msg<UM_GETPOS, uint64_t*, uint64_t*, const uint64_t*> { using Msg::Msg; QV_MESSAGE_HELPERS(GetPos) };

// w receives the selection start (all bits set: no selection), l its end; either may be null.
struct GetSel : Msg<UM_GETSEL, uint64_t*, uint64_t*> { using Msg::Msg; QV_MESSAGE_HELPERS(GetSel) };

// w: the same-search group to list (the group count lists them all).
struct SameGroup : Msg<UM_SAMEGROUP, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(SameGroup) };

// Refill the same-search group list with the groups found so far.
struct SameRefresh : Msg<UM_SAMEREFRESH, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(SameRefresh) };

// w: bookmark index; l: its new description. The result is 1 when stored, 0 when rejected.
struct SetBookmarkText : Msg<UM_SETBOOKMARKTEXT, int, const QString*> { using Msg::Msg; QV_MESSAGE_HELPERS(SetBookmarkText) };

// The document was reloaded: drop results, reset the selection, redraw.
struct Reset : Msg<UM_RESET, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(Reset) };

// Select from w to l (inclusive) and put the cursor on l. Full 64-bit addresses, so that
// structures beyond 4 GB select the right bytes.
struct SelectRange : Msg<UM_SELECTRANGE, uint64_t, uint64_t> { using Msg::Msg; QV_MESSAGE_HELPERS(SelectRange) };

// ======== Messages received by the main frame ========

// w: the character code to show in the properties pane; l: sent while the view is set up.
struct ShowCharCode : Msg<UM_SHOWCHARCODE, int, bool> { using Msg::Msg; QV_MESSAGE_HELPERS(ShowCharCode) };

// The frame's panes, as the sinks the views hand their results to (null until the pane exists).
struct GetOutputPane : Msg<UM_GETOUTPUTPANE, int, int, ResultSink*> { using Msg::Msg; QV_MESSAGE_HELPERS(GetOutputPane) };
struct GetInfoPane : Msg<UM_GETINFOPANE, int, int, InfoSink*> { using Msg::Msg; QV_MESSAGE_HELPERS(GetInfoPane) };
struct GetStructPane : Msg<UM_GETSTRUCTPANE, int, int, StructPaneSink*> { using Msg::Msg; QV_MESSAGE_HELPERS(GetStructPane) };

// A status-bar pane's new text: pane 1 the file size, 3 the typing mode ("上書"/"挿入"),
// 4 the direct edit indicator (on/off), any other index a plain text.
struct StatusText : Message
{
    static constexpr int kNumber = UM_STATUSTEXT;
    using Result = intptr_t;
    StatusText(int paneIndex, QString paneText) : Message(kNumber), index(paneIndex), text(std::move(paneText)) {}

    int index = 0;
    QString text;            // index 3 and plain texts
    uint64_t fileSize = 0;   // index 1
    bool directEdit = false; // index 4
    Result result = 0;

    static Result SendFileSize(QObject* to, uint64_t size)
    {
        StatusText m(PaneFileSize, QString());
        m.fileSize = size;
        return Deliver(to, m);
    }
    static Result SendDirectEdit(QObject* to, bool on)
    {
        StatusText m(PaneDirectEdit, QString());
        m.directEdit = on;
        return Deliver(to, m);
    }
    static Result Send(QObject* to, int paneIndex, const QString& paneText)
    {
        StatusText m(paneIndex, paneText);
        return Deliver(to, m);
    }

private:
    static Result Deliver(QObject* to, StatusText& m)
    {
        if (!to)
            return 0;
        QCoreApplication::sendEvent(to, &m);
        return m.result;
    }
};

// w: true gives the keyboard focus to the active view, false to the properties pane.
struct Focus : Msg<UM_FOCUS, bool, int> { using Msg::Msg; QV_MESSAGE_HELPERS(Focus) };

// Posted: open this file as a document (a second start of the program handed it over).
struct OpenFromClipboard : Message
{
    static constexpr int kNumber = UM_OPENFROMCLIPBOARD;
    using Result = intptr_t;
    explicit OpenFromClipboard(QString filePath) : Message(kNumber), path(std::move(filePath)) {}
    QString path;
    Result result = 0;
    static void Post(QObject* to, const QString& filePath) { PostTo<OpenFromClipboard>(to, filePath); }
};

// Recompute and redraw the bitmap pane when it is visible.
struct RedrawBitmap : Msg<UM_REDRAWBITMAP, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(RedrawBitmap) };

// w: the byte order to show (0 little endian, 1 big endian).
struct ShowByteOrder : Msg<UM_SHOWBYTEORDER, int, int> { using Msg::Msg; QV_MESSAGE_HELPERS(ShowByteOrder) };

#undef QV_MESSAGE_HELPERS

} // namespace um
