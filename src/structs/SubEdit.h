// The in-place editor of the structure editor's value column: hexadecimal digits and number text.
#pragma once

#include <QLineEdit>

// Accepts only backspace and "0123456789ABCDEF.e+-" (each typed character upper-cased first) and
// shows its text in upper case.
class CSubEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CSubEdit(QWidget* parent = nullptr);
    static bool Accepts(QChar c);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
