// The hex view's editing: typing keys and characters, input methods, clipboard and undo commands.
#include "view/QuorvaneView.h"

#include "base/CommandIds.h"
#include "base/Messages.h"
#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "view/ClipboardBytes.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <new>

namespace {

const QString kClipboardFailed = QStringLiteral("クリップボードへの保存に失敗しました。");
// How many times a copy holds the selection over while it builds the clipboard formats: the bytes,
// our format, the UTF-16 text other programs read, and the conversions on the way.
constexpr uint64_t kCopiesForFormats = 8;
// 文字としてコピー: two hex digits per byte, as bytes and again as UTF-16 text.
constexpr uint64_t kCopiesForHexText = 12;

// The hex digit of a key: 0-9 and A-F on the main keys and the keypad, and the keypad's
// operator keys / * - + Enter and decimal point as A to F. -1 for other keys.
int HexDigitOfKey(const QKeyEvent* e)
{
    const int key = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (keypad) {
        switch (key) {
        case Qt::Key_Slash: return 0xA;
        case Qt::Key_Asterisk: return 0xB;
        case Qt::Key_Minus: return 0xC;
        case Qt::Key_Plus: return 0xD;
        case Qt::Key_Enter: return 0xE;
        case Qt::Key_Period: case Qt::Key_Comma: return 0xF;
        default: break;
        }
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    if (key >= Qt::Key_A && key <= Qt::Key_F)
        return key - Qt::Key_A + 10;
    return -1;
}

} // namespace

EditCaret CQuorvaneView::MakeCaret() const
{
    EditCaret c;
    c.cursor = m_nav.m_cursor;
    c.selStart = m_nav.m_selStart;
    c.selEnd = m_nav.m_selEnd;
    c.selAnchor = m_nav.m_selAnchor;
    c.lowNibble = m_nav.m_lowNibble;
    c.inCharColumn = m_nav.m_inCharColumn;
    c.insertMode = m_insertMode;
    c.charCode = m_charCode;
    return c;
}

void CQuorvaneView::TakeCaret(const EditCaret& c)
{
    m_nav.m_cursor = c.cursor;
    m_nav.m_selStart = c.selStart;
    m_nav.m_selEnd = c.selEnd;
    m_nav.m_selAnchor = c.selAnchor;
    m_nav.m_lowNibble = c.lowNibble;
}

void CQuorvaneView::AfterEdit(bool cursorIntoView)
{
    m_layout.SetFileSize(FileSize());
    UpdateScrollRange();
    if (cursorIntoView)
        EnsureCursorVisible(false);
    ResetCaretBlink();
    RefreshInfoPane();
    Redraw();
    NotifyDiffPartner();
}

bool CQuorvaneView::TypeInput(uint32_t value)
{
    if (!m_doc)
        return false;
    EditCaret caret = MakeCaret();
    CByteEditor editor(*m_doc);
    const bool done = editor.TypeInput(caret, value);
    TakeCaret(caret);
    // Typing keys end with the after-key scroll rule; a scroll of its own here would pull a
    // caret on the first visible row back by a page.
    if (done)
        AfterEdit(false);
    return done;
}

bool CQuorvaneView::DeleteBytes()
{
    if (!m_doc)
        return false;
    EditCaret caret = MakeCaret();
    CByteEditor editor(*m_doc);
    const bool done = editor.DeleteBytes(caret);
    TakeCaret(caret);
    AfterEdit(false);
    return done;
}

void CQuorvaneView::ToggleInsertMode()
{
    m_insertMode = !m_insertMode;
    um::StatusText::Send(MainFrame(), um::PaneInputMode,
                         m_insertMode ? QStringLiteral("挿入") : QStringLiteral("上書"));
    ResetCaretBlink();
    Redraw();
}

bool CQuorvaneView::HandleEditKey(QKeyEvent* e)
{
    const Qt::KeyboardModifiers mods = e->modifiers();
    const int key = e->key();
    // Insert, Delete and Backspace edit with Ctrl held too; the keypad's Insert (NumLock off)
    // is Insert.
    const bool editKey = key == Qt::Key_Insert || key == Qt::Key_Delete || key == Qt::Key_Backspace;
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    if ((mods & Qt::ControlModifier) && !editKey)
        return false;
    if (key == Qt::Key_Insert) {
        ToggleInsertMode();
        return true;
    }
    if (key == Qt::Key_Delete) {
        EditCaret caret = MakeCaret();
        CByteEditor(*m_doc).DeleteKey(caret);
        TakeCaret(caret);
        AfterEdit(false);
        return true;
    }
    if (key == Qt::Key_Backspace) {
        EditCaret caret = MakeCaret();
        CByteEditor(*m_doc).BackspaceKey(caret);
        TakeCaret(caret);
        AfterEdit(false);
        return true;
    }
    if (!m_nav.m_inCharColumn) {
        const int digit = HexDigitOfKey(e);
        if (digit < 0)
            return false;
        TypeInput(static_cast<uint32_t>(digit));
        return true;
    }
    // Text column: the characters of the key (Tab and Backspace are not typed).
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    for (QChar ch : text) {
        if (ch.unicode() == 9 || ch.unicode() == 8)
            continue;
        TypeInput(ch.unicode());
        m_nav.m_lowNibble = false; // stays clear in the text column
    }
    Redraw();
    return true;
}

void CQuorvaneView::inputMethodEvent(QInputMethodEvent* e)
{
    // Characters composed by an input method arrive here, one string per commit.
    const QString text = e->commitString();
    if (!text.isEmpty() && m_nav.m_inCharColumn) {
        for (QChar ch : text) {
            TypeInput(ch.unicode());
            m_nav.m_lowNibble = false;
        }
        // Composed text scrolls like typed keys do.
        m_nav.ScrollAfterKey();
        Redraw();
    }
    e->accept();
}

QVariant CQuorvaneView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return m_nav.m_inCharColumn;
    case Qt::ImCursorRectangle:
        // The composition window opens at the caret.
        return QRectF(m_caretRect.translated(viewport()->pos()));
    case Qt::ImFont:
        return m_font;
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

bool CQuorvaneView::CopyBytes()
{
    if (!m_doc)
        return false;
    EditCaret caret = MakeCaret();
    if (!caret.HasSelection()) {
        m_nav.m_selStart = m_nav.m_selEnd = m_nav.m_cursor;
        caret = MakeCaret();
    }
    const ClipFormat format = CClipboardBytes::FormatFor(m_nav.m_inCharColumn, m_charCode);
    bool placed = false;
    try {
        // A large selection needs several copies of itself (the bytes, our format, the text other
        // programs read): when memory for them runs out the copy fails, and the program goes on.
        const std::optional<QByteArray> bytes = CByteEditor(*m_doc).ReadRange(caret, kCopiesForFormats);
        if (!bytes) {
            // The end-of-file cell names no byte: nothing is copied.
            m_nav.ClearSelection();
            Redraw();
            return false;
        }
        placed = CClipboardBytes::Place(*bytes, format, m_charCode);
    } catch (const std::bad_alloc&) {
        placed = false;
    }
    if (!placed) {
        Prompter::ShowError(kClipboardFailed);
        m_nav.ClearSelection();
        Redraw();
        return false;
    }
    return true;
}

void CQuorvaneView::CutBytes()
{
    if (!m_doc || !m_doc->IsEditable())
        return;
    if (!CopyBytes())
        return;
    DeleteBytes();
    EnsureCursorVisible(true);
}

void CQuorvaneView::CopyAsHexText()
{
    if (!m_doc)
        return;
    EditCaret caret = MakeCaret();
    bool failed = false;
    try {
        const std::optional<QByteArray> bytes = CByteEditor(*m_doc).ReadRange(caret, kCopiesForHexText);
        failed = bytes && !CClipboardBytes::Place(BytesToHexText(*bytes), ClipFormat::Text, CharCode::Ascii);
    } catch (const std::bad_alloc&) {
        failed = true; // the text is three times the selection: memory may run out for it
    }
    m_nav.m_cursor = caret.HasSelection() ? caret.selStart : caret.cursor;
    m_nav.ClearSelection();
    m_nav.m_selAnchor = 0;
    if (failed)
        Prompter::ShowError(kClipboardFailed);
    AfterEdit();
}

bool CQuorvaneView::PasteBytes(const QByteArray& bytes)
{
    if (!m_doc)
        return false;
    EditCaret caret = MakeCaret();
    const bool done = CByteEditor(*m_doc).PasteBytes(caret, reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                     static_cast<size_t>(bytes.size()));
    TakeCaret(caret);
    if (done) {
        SendStatusFileSize();
        AfterEdit();
        EnsureCursorVisible(true);
    }
    return done;
}

void CQuorvaneView::PasteFromClipboard()
{
    if (!m_doc || !m_doc->IsEditable())
        return;
    const std::optional<ClipBlock> block = CClipboardBytes::ReadSystem();
    if (!block || block->bytes.isEmpty())
        return;
    if (PasteBytes(block->bytes) && block->replacedChars > 0) {
        // Text from another program held characters Shift-JIS lacks: say so rather than leave
        // different bytes without a sign.
        um::StatusText::Send(MainFrame(), um::PaneMessage,
                             QStringLiteral("Shift-JIS にない %1 文字を \"?\" に置き換えて貼り付けました。")
                                 .arg(block->replacedChars));
    }
}

void CQuorvaneView::PasteHexText()
{
    if (!m_doc || !m_doc->IsEditable())
        return;
    const std::optional<ClipBlock> block = CClipboardBytes::ReadSystem();
    if (!block)
        return;
    const QByteArray bytes = HexTextToBytes(block->bytes, block->charWidth);
    if (!bytes.isEmpty())
        PasteBytes(bytes);
}

void CQuorvaneView::Undo()
{
    if (!m_doc)
        return;
    if (const auto r = m_doc->Undo()) {
        m_nav.m_cursor = r->cursor;
        m_nav.ClearSelection();
        m_nav.m_lowNibble = false;
        AfterEdit();
        EnsureCursorVisible(true);
    }
}

void CQuorvaneView::Redo()
{
    if (!m_doc)
        return;
    if (const auto r = m_doc->Redo()) {
        m_nav.m_cursor = r->cursor;
        m_nav.ClearSelection();
        m_nav.m_lowNibble = false;
        AfterEdit();
        EnsureCursorVisible(true);
    }
}

bool CQuorvaneView::OnEditCommand(int id)
{
    switch (id) {
    case ID_EDIT_UNDO: Undo(); return true;
    case ID_EDIT_REDO: Redo(); return true;
    case ID_EDIT_CUT: CutBytes(); return true;
    case ID_EDIT_COPY:
        if (CopyBytes() && m_nav.HasSelection()) {
            // After a copy the cursor stands on the first copied byte and the selection goes.
            m_nav.m_cursor = m_nav.m_selStart;
            m_nav.ClearSelection();
        }
        Redraw();
        return true;
    case ID_COPY_AS_TEXT: CopyAsHexText(); return true;
    case ID_EDIT_PASTE: PasteFromClipboard(); return true;
    case ID_PASTE_AS_NUMBER: PasteHexText(); return true;
    default: return false;
    }
}

bool CQuorvaneView::OnUpdateEditCommand(int id, CmdUI& ui)
{
    const bool editable = m_doc && m_doc->IsEditable();
    switch (id) {
    case ID_EDIT_UNDO: ui.enabled = m_doc && m_doc->CanUndo(); break;
    case ID_EDIT_REDO: ui.enabled = m_doc && m_doc->CanRedo(); break;
    case ID_EDIT_CUT: ui.enabled = editable && m_doc->GetFileSize() > 0; break;
    case ID_EDIT_COPY:
    case ID_COPY_AS_TEXT: ui.enabled = m_doc && m_doc->GetFileSize() > 0; break;
    case ID_EDIT_PASTE:
    case ID_PASTE_AS_NUMBER: ui.enabled = editable; break;
    default: return false;
    }
    ui.checked = false;
    return true;
}
