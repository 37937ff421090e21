// The 定型入力 dialog: mode, character code, data, address list and the two import buttons.
#include "tools/FixedInputDlg.h"

#include "codes/CharCode.h"
#include "tools/Bookmarks.h"
#include "tools/MaskedEdit2.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kHexSet = QStringLiteral("0123456789ABCDEF ");

} // namespace

CFixedInputDlg::CFixedInputDlg(uint64_t cursor, const CBookmarks* bookmarks, QWidget* parent)
    : QDialog(parent), m_cursor(cursor), m_bookmarks(bookmarks)
{
    setWindowTitle(QStringLiteral("定型入力"));
    setObjectName(QStringLiteral("FixedInputDlg"));

    m_binary = new QRadioButton(QStringLiteral("バイナリ"), this);
    m_string = new QRadioButton(QStringLiteral("文字列"), this);
    m_binary->setChecked(true);
    m_code = new QComboBox(this);
    for (int v = 0; v < kCharCodeCount; ++v)
        m_code->addItem(CharCodeName(CharCodeFromValue(v)));
    m_code->setCurrentText(QStringLiteral("Shift-JIS"));
    m_code->setAccessibleName(QStringLiteral("文字コード"));

    auto* dataLabel = new QLabel(QStringLiteral("データ"), this);
    m_data = new CMaskedEdit2(this);
    QFont fixed(QStringLiteral("MS ゴシック"));
    fixed.setPixelSize(13);
    if (!QFontDatabase::hasFamily(fixed.family()))
        fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_data->setFont(fixed);
    dataLabel->setBuddy(m_data);
    m_data->setAccessibleName(dataLabel->text());

    auto* addrLabel = new QLabel(QStringLiteral("アドレスリスト (改行区切り)"), this);
    m_addresses = new QPlainTextEdit(this);
    m_addresses->setTabChangesFocus(true);
    addrLabel->setBuddy(m_addresses);
    m_addresses->setAccessibleName(addrLabel->text());
    auto* fromCursor = new QPushButton(QStringLiteral("カーソル位置取り込み"), this);
    auto* fromBookmarks = new QPushButton(QStringLiteral("ブックマーク取り込み"), this);
    fromCursor->setAutoDefault(false);
    fromBookmarks->setAutoDefault(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_binary);
    top->addWidget(m_string);
    top->addWidget(m_code);
    top->addStretch();
    auto* importRow = new QHBoxLayout;
    importRow->addWidget(fromCursor);
    importRow->addWidget(fromBookmarks);
    importRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(dataLabel);
    layout->addWidget(m_data, 1);
    layout->addWidget(addrLabel);
    layout->addWidget(m_addresses, 1);
    layout->addLayout(importRow);
    layout->addWidget(buttons);
    resize(460, 380);

    connect(m_binary, &QRadioButton::toggled, this, &CFixedInputDlg::ApplyMode);
    connect(fromCursor, &QPushButton::clicked, this, [this] {
        AppendAddresses(QString::number(m_cursor, 16).toUpper() + QStringLiteral("\r\n"));
    });
    connect(fromBookmarks, &QPushButton::clicked, this, [this] {
        if (m_bookmarks)
            AppendAddresses(m_bookmarks->ImportText());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ApplyMode();
}

void CFixedInputDlg::ApplyMode()
{
    if (m_binary->isChecked())
        m_data->SetFilter(kHexSet, true, false);
    else
        m_data->SetFilter(QString(), false, true);
}

void CFixedInputDlg::AppendAddresses(const QString& lines)
{
    // The field shows line breaks as its own; the "\r\n" of the list is kept as a break.
    QString text = m_addresses->toPlainText();
    text += QString(lines).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_addresses->setPlainText(text);
    m_addresses->moveCursor(QTextCursor::End);
}

void CFixedInputDlg::keyPressEvent(QKeyEvent* e)
{
    // Enter and Esc act only from the text fields and the buttons.
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        QWidget* focus = focusWidget();
        const bool allowed = focus == m_data || focus == m_addresses ||
                             (qobject_cast<QPushButton*>(focus) != nullptr);
        if (!allowed) {
            e->accept();
            return;
        }
    }
    QDialog::keyPressEvent(e);
}

int CFixedInputDlg::Mode() const
{
    return m_string->isChecked() ? 1 : 0;
}

QString CFixedInputDlg::CodeName() const
{
    return m_code->currentText();
}

QString CFixedInputDlg::DataText() const
{
    return m_data->toPlainText();
}

QString CFixedInputDlg::AddressText() const
{
    return m_addresses->toPlainText();
}
