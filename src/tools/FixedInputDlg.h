// 定型入力: the dialog that takes the data and the address list of fixed-form input.
#pragma once

#include <QDialog>
#include <cstdint>

class CBookmarks;
class CMaskedEdit2;
class QComboBox;
class QPlainTextEdit;
class QRadioButton;

// Modal dialog. The view gives it its cursor address and bookmarks; on OK it hands back the mode
// (0 binary, 1 string), the character code name, the data text and the address text.
class CFixedInputDlg : public QDialog
{
    Q_OBJECT

public:
    CFixedInputDlg(uint64_t cursor, const CBookmarks* bookmarks, QWidget* parent = nullptr);

    int Mode() const;
    QString CodeName() const;
    QString DataText() const;
    QString AddressText() const;

    // The controls, for tests and accessibility checks.
    CMaskedEdit2* DataEdit() const { return m_data; }
    QPlainTextEdit* AddressEdit() const { return m_addresses; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ApplyMode();
    void AppendAddresses(const QString& lines);

    uint64_t m_cursor;
    const CBookmarks* m_bookmarks;
    QRadioButton* m_binary = nullptr;
    QRadioButton* m_string = nullptr;
    QComboBox* m_code = nullptr;
    CMaskedEdit2* m_data = nullptr;
    QPlainTextEdit* m_addresses = nullptr;
};
