// The 指定範囲をファイル出力 dialog: start and end address, selection and cursor buttons,
// destination with a browse button, and the checks of "出力".
#include "tools/RangeFilePrintDlg.h"

#include "base/Prompter.h"
#include "tools/MaskedEdit2.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

QString Hex(uint64_t v)
{
    return QString::number(v, 16).toUpper();
}

} // namespace

CRangeFilePrintDlg::CRangeFilePrintDlg(uint64_t fileSize, uint64_t cursor, uint64_t selStart, uint64_t selEnd,
                                       QWidget* parent)
    : QDialog(parent), m_fileSize(fileSize), m_cursor(cursor), m_selStart(selStart), m_selEnd(selEnd)
{
    setWindowTitle(QStringLiteral("指定範囲をファイル出力"));
    setObjectName(QStringLiteral("RangeFilePrintDlg"));

    auto* addrLabel = new QLabel(QStringLiteral("アドレス"), this);
    m_start = new CHexAddressEdit(this);
    m_start->setAccessibleName(QStringLiteral("開始アドレス"));
    addrLabel->setBuddy(m_start);
    auto* dash = new QLabel(QStringLiteral("－"), this);
    m_end = new CHexAddressEdit(this);
    m_end->setAccessibleName(QStringLiteral("終了アドレス"));
    auto* selection = new QPushButton(QStringLiteral("選択範囲"), this);
    auto* cursorButton = new QPushButton(QStringLiteral("カーソル位置"), this);
    selection->setAutoDefault(false);
    cursorButton->setAutoDefault(false);
    selection->setEnabled(selStart != ~uint64_t(0));

    auto* destLabel = new QLabel(QStringLiteral("出力先"), this);
    m_destination = new QLineEdit(this);
    m_destination->setMinimumWidth(300);
    destLabel->setBuddy(m_destination);
    m_destination->setAccessibleName(destLabel->text());
    auto* browse = new QToolButton(this);
    browse->setText(QStringLiteral("..."));
    browse->setAccessibleName(QStringLiteral("参照"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("出力"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);

    auto* grid = new QGridLayout(this);
    grid->addWidget(addrLabel, 0, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(m_start);
    range->addWidget(dash);
    range->addWidget(m_end);
    range->addWidget(selection);
    range->addWidget(cursorButton);
    grid->addLayout(range, 0, 1, 1, 2);
    grid->addWidget(destLabel, 1, 0);
    grid->addWidget(m_destination, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(buttons, 2, 0, 1, 3);

    connect(selection, &QPushButton::clicked, this, [this] {
        if (m_selStart == ~uint64_t(0))
            return;
        m_start->setText(Hex(m_selStart));
        m_end->setText(Hex(m_selEnd));
    });
    connect(cursorButton, &QPushButton::clicked, this, [this] { m_start->setText(Hex(m_cursor)); });
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("出力先"), m_destination->text());
        if (!path.isEmpty())
            m_destination->setText(QDir::toNativeSeparators(path));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CRangeFilePrintDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CRangeFilePrintDlg::accept()
{
    const QString message = ValidateRangeOutput({m_start->text(), m_end->text(), m_destination->text(), m_fileSize}, m_request);
    if (!message.isEmpty()) {
        Prompter::ShowError(message);
        return; // the dialog stays open with the texts as typed
    }
    QDialog::accept();
}
