// The value editor of the structure editor.
#include "structs/SubEdit.h"

#include <QKeyEvent>

CSubEdit::CSubEdit(QWidget* parent) : QLineEdit(parent)
{
    setAccessibleName(QStringLiteral("データ"));
    setFrame(false);
    // Pasted text goes through the same test as typed characters.
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        QString clean;
        for (QChar c : text.toUpper())
            if (Accepts(c))
                clean += c;
        if (clean != text) {
            const int pos = cursorPosition();
            setText(clean);
            setCursorPosition(std::min(pos, int(clean.size())));
        }
    });
}

bool CSubEdit::Accepts(QChar c)
{
    return QStringLiteral("0123456789ABCDEF.E+-").contains(c.toUpper());
}

void CSubEdit::keyPressEvent(QKeyEvent* e)
{
    const QString text = e->text();
    if (text.size() == 1 && text[0].isPrint()) {
        const QChar c = text[0].toUpper();
        if (!Accepts(c))
            return;
        insert(QString(c));
        return;
    }
    QLineEdit::keyPressEvent(e);
}
