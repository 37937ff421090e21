// 指定範囲をファイル出力: the dialog that asks for the range and the destination file.
#pragma once

#include "tools/RangeOutput.h"

#include <QDialog>
#include <cstdint>

class CHexAddressEdit;
class QLineEdit;

// Modal dialog. The view gives it the file size, the cursor and the selection; "出力" checks the
// fields in order and keeps the dialog open with an "エラー" box at the first failure.
class CRangeFilePrintDlg : public QDialog
{
    Q_OBJECT

public:
    CRangeFilePrintDlg(uint64_t fileSize, uint64_t cursor, uint64_t selStart, uint64_t selEnd,
                       QWidget* parent = nullptr);

    // The checked request (valid after the dialog was accepted).
    const RangeOutputRequest& Request() const { return m_request; }

    CHexAddressEdit* StartEdit() const { return m_start; }
    CHexAddressEdit* EndEdit() const { return m_end; }
    QLineEdit* DestinationEdit() const { return m_destination; }

public Q_SLOTS:
    void accept() override;

private:
    uint64_t m_fileSize;
    uint64_t m_cursor;
    uint64_t m_selStart;
    uint64_t m_selEnd;
    CHexAddressEdit* m_start = nullptr;
    CHexAddressEdit* m_end = nullptr;
    QLineEdit* m_destination = nullptr;
    RangeOutputRequest m_request;
};
