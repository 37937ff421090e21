// The カスタマイズ dialog.
#include "app/CustomizeDlg.h"

#include "base/CommandTable.h"
#include "app/MainFrame.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kSeparatorText = QStringLiteral("――――――――");

// A command's name as the dialog lists it: its menu text without the key and the mnemonic.
QString CommandName(int id)
{
    const CommandInfo* info = FindCommand(id);
    if (!info)
        return QString::number(id);
    QString text = info->text.section(QLatin1Char('\t'), 0, 0);
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    return text;
}

// A label whose mnemonic moves the focus to `buddy`.
QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

QListWidgetItem* CommandItem(int id)
{
    auto* item = new QListWidgetItem(CommandName(id));
    item->setData(Qt::UserRole, id);
    return item;
}

} // namespace

CCustomizeDlg::CCustomizeDlg(CMainFrame* frame)
    : QDialog(frame), m_buttons(frame->ToolbarButtons()), m_keys(frame->KeyBindings())
{
    setWindowTitle(QStringLiteral("カスタマイズ"));
    for (const CommandInfo& c : AllCommands())
        if (frame->CommandAction(c.id))
            m_commands.push_back(c.id);

    auto* tabs = new QTabWidget(this);
    tabs->addTab(BuildToolbarTab(), QStringLiteral("ツール バー"));
    tabs->addTab(BuildKeyboardTab(), QStringLiteral("キーボード"));
    auto* box = new QDialogButtonBox(this);
    box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(box);
    FillButtons(0);
    FillKeys();
    resize(560, 420);
}

QWidget* CCustomizeDlg::BuildToolbarTab()
{
    auto* page = new QWidget(this);
    m_toolCommands = new QListWidget(page);
    for (int id : m_commands)
        m_toolCommands->addItem(CommandItem(id));
    m_buttonList = new QListWidget(page);

    auto* add = new QPushButton(QStringLiteral("追加(&A) >>"), page);
    auto* remove = new QPushButton(QStringLiteral("<< 削除(&R)"), page);
    auto* separator = new QPushButton(QStringLiteral("区切り(&S)"), page);
    auto* up = new QPushButton(QStringLiteral("上へ(&U)"), page);
    auto* down = new QPushButton(QStringLiteral("下へ(&D)"), page);
    auto* reset = new QPushButton(QStringLiteral("リセット(&E)"), page);
    auto insertRow = [this] {
        const int row = m_buttonList->currentRow();
        return row < 0 ? static_cast<int>(m_buttons.size()) : row + 1;
    };
    connect(add, &QPushButton::clicked, this, [this, insertRow] {
        if (const int id = SelectedCommand(m_toolCommands))
            AddButton(id, insertRow());
    });
    connect(m_toolCommands, &QListWidget::itemDoubleClicked, add, &QPushButton::click);
    connect(separator, &QPushButton::clicked, this, [this, insertRow] { AddSeparator(insertRow()); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveButton(m_buttonList->currentRow()); });
    connect(up, &QPushButton::clicked, this, [this] { MoveButton(m_buttonList->currentRow(), -1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveButton(m_buttonList->currentRow(), 1); });
    connect(reset, &QPushButton::clicked, this, &CCustomizeDlg::ResetButtons);

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {add, remove, separator, up, down, reset})
        middle->addWidget(b);
    middle->addStretch(1);
    auto* grid = new QGridLayout(page);
    grid->addWidget(Caption(QStringLiteral("コマンド(&C):"), m_toolCommands), 0, 0);
    grid->addWidget(Caption(QStringLiteral("ツール バーのボタン(&B):"), m_buttonList), 0, 2);
    grid->addWidget(m_toolCommands, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_buttonList, 1, 2);
    return page;
}

QWidget* CCustomizeDlg::BuildKeyboardTab()
{
    auto* page = new QWidget(this);
    m_keyCommands = new QListWidget(page);
    for (int id : m_commands)
        m_keyCommands->addItem(CommandItem(id));
    m_currentKeys = new QListWidget(page);
    m_newKey = new QKeySequenceEdit(page);
    m_assignedTo = new QLabel(page);
    auto* assign = new QPushButton(QStringLiteral("割り当て(&A)"), page);
    auto* remove = new QPushButton(QStringLiteral("削除(&R)"), page);
    auto* reset = new QPushButton(QStringLiteral("すべてリセット(&S)"), page);

    connect(m_keyCommands, &QListWidget::currentRowChanged, this, &CCustomizeDlg::FillKeys);
    connect(m_newKey, &QKeySequenceEdit::keySequenceChanged, this, [this](const QKeySequence& key) {
        // Only the first key of a sequence counts: commands take single keys.
        const QKeySequence single = key.isEmpty() ? QKeySequence() : QKeySequence(key[0]);
        const int owner = m_keys.CommandOf(single);
        m_assignedTo->setText(owner ? QStringLiteral("現在の割り当て: %1").arg(CommandName(owner)) : QString());
    });
    connect(assign, &QPushButton::clicked, this, [this] {
        const QKeySequence key = m_newKey->keySequence();
        if (const int id = SelectedCommand(m_keyCommands); id && !key.isEmpty())
            AssignKey(id, QKeySequence(key[0]));
        m_newKey->clear();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int id = SelectedCommand(m_keyCommands);
        if (QListWidgetItem* item = m_currentKeys->currentItem(); id && item)
            RemoveKey(id, QKeySequence(item->data(Qt::UserRole).toString(), QKeySequence::PortableText));
    });
    connect(reset, &QPushButton::clicked, this, &CCustomizeDlg::ResetKeys);

    auto* grid = new QGridLayout(page);
    grid->addWidget(Caption(QStringLiteral("コマンド(&C):"), m_keyCommands), 0, 0);
    grid->addWidget(m_keyCommands, 1, 0, 6, 1);
    grid->addWidget(Caption(QStringLiteral("現在のキー(&U):"), m_currentKeys), 0, 1);
    grid->addWidget(m_currentKeys, 1, 1);
    grid->addWidget(Caption(QStringLiteral("新しいショートカット キー(&N):"), m_newKey), 2, 1);
    grid->addWidget(m_newKey, 3, 1);
    grid->addWidget(m_assignedTo, 4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(assign);
    buttons->addWidget(remove);
    buttons->addWidget(reset);
    grid->addLayout(buttons, 5, 1);
    m_keyCommands->setCurrentRow(0);
    return page;
}

int CCustomizeDlg::SelectedCommand(const QListWidget* list) const
{
    const QListWidgetItem* item = list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void CCustomizeDlg::FillButtons(int selectRow)
{
    m_buttonList->clear();
    for (int id : m_buttons)
        m_buttonList->addItem(id == 0 ? new QListWidgetItem(kSeparatorText) : CommandItem(id));
    if (m_buttonList->count() > 0)
        m_buttonList->setCurrentRow(std::clamp(selectRow, 0, m_buttonList->count() - 1));
}

void CCustomizeDlg::FillKeys()
{
    m_currentKeys->clear();
    for (const QKeySequence& key : m_keys.Keys(SelectedCommand(m_keyCommands))) {
        auto* item = new QListWidgetItem(key.toString(QKeySequence::NativeText), m_currentKeys);
        item->setData(Qt::UserRole, key.toString(QKeySequence::PortableText));
    }
}

void CCustomizeDlg::AddButton(int id, int beforeRow)
{
    if (std::find(m_commands.begin(), m_commands.end(), id) == m_commands.end())
        return;
    const int at = std::clamp(beforeRow, 0, static_cast<int>(m_buttons.size()));
    m_buttons.insert(m_buttons.begin() + at, id);
    FillButtons(at);
}

void CCustomizeDlg::AddSeparator(int beforeRow)
{
    const int at = std::clamp(beforeRow, 0, static_cast<int>(m_buttons.size()));
    m_buttons.insert(m_buttons.begin() + at, 0);
    FillButtons(at);
}

void CCustomizeDlg::RemoveButton(int row)
{
    if (row < 0 || row >= static_cast<int>(m_buttons.size()))
        return;
    m_buttons.erase(m_buttons.begin() + row);
    FillButtons(row);
}

void CCustomizeDlg::MoveButton(int row, int delta)
{
    const int to = row + delta;
    if (row < 0 || to < 0 || row >= static_cast<int>(m_buttons.size()) || to >= static_cast<int>(m_buttons.size()))
        return;
    std::swap(m_buttons[static_cast<size_t>(row)], m_buttons[static_cast<size_t>(to)]);
    FillButtons(to);
}

void CCustomizeDlg::ResetButtons()
{
    m_buttons = ToolbarLayout();
    FillButtons(0);
}

bool CCustomizeDlg::AssignKey(int id, const QKeySequence& key)
{
    if (key.isEmpty() || !FindCommand(id))
        return false;
    m_keys.Assign(id, key);
    FillKeys();
    return true;
}

void CCustomizeDlg::RemoveKey(int id, const QKeySequence& key)
{
    QList<QKeySequence> keys = m_keys.Keys(id);
    keys.removeAll(key);
    m_keys.SetKeys(id, keys);
    FillKeys();
}

void CCustomizeDlg::ResetKeys()
{
    m_keys = CKeyBindings::Defaults();
    FillKeys();
}

void CCustomizeDlg::ApplyTo(CMainFrame& frame) const
{
    frame.SetToolbarButtons(m_buttons);
    frame.SetKeyBindings(m_keys);
}
