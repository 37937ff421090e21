// Character filters of the tools' edit fields.
#include "tools/MaskedEdit2.h"

#include <QKeyEvent>

CMaskedEdit2::CMaskedEdit2(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

void CMaskedEdit2::SetFilter(const QString& allowed, bool upperCase, bool acceptEnter)
{
    m_allowed = allowed;
    m_upperCase = upperCase;
    m_acceptEnter = acceptEnter;
}

void CMaskedEdit2::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (m_acceptEnter)
            QPlainTextEdit::keyPressEvent(e);
        else
            e->ignore();
        return;
    }
    const QString text = e->text();
    const bool typed = !text.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed || m_allowed.isEmpty()) {
        // Keys without a character (arrows, Delete, shortcuts) work as usual; with no set, so
        // does everything.
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
    QString put;
    for (QChar ch : text) {
        const QChar c = m_upperCase ? ch.toUpper() : ch;
        if (!m_allowed.contains(c))
            return; // refused, as a control character such as Backspace is in the binary set
        put += c;
    }
    insertPlainText(put);
}

CHexAddressEdit::CHexAddressEdit(QWidget* parent) : QLineEdit(parent) {}

void CHexAddressEdit::keyPressEvent(QKeyEvent* e)
{
    const QString text = e->text();
    const bool typed = !text.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed || e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter
        || e->key() == Qt::Key_Escape || e->key() == Qt::Key_Tab) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    for (QChar ch : text)
        if (!QStringLiteral("0123456789ABCDEF").contains(ch.toUpper()))
            return;
    QLineEdit::keyPressEvent(e);
}
