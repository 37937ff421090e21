// Edit fields that take only the characters of an allowed set, optionally upper-cased.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

// The multi-line data field of 定型入力: every typed character is upper-cased (when asked) and
// accepted only when it is in the allowed set; an empty set accepts everything. Enter starts a
// new line only when the field takes it.
class CMaskedEdit2 : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CMaskedEdit2(QWidget* parent = nullptr);
    void SetFilter(const QString& allowed, bool upperCase, bool acceptEnter);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_allowed;
    bool m_upperCase = false;
    bool m_acceptEnter = true;
};

// An address field: hexadecimal digits (a typed letter is upper-cased for the test only, so
// lower-case a to f pass as typed) and Backspace; other characters are refused.
class CHexAddressEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CHexAddressEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
