// The settings dialog: group list, 一般 and 配色 tabs, 追加 / 削除 / 保存 / 閉じる.
#include "app/SettingsDlg.h"

#include "app/ColorButton.h"
#include "app/FontBox.h"
#include "base/Prompter.h"
#include "view/ViewFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr SettingId kCheckIds[3] = {SettingId::Backup, SettingId::UndobufClear, SettingId::CursorRestore};
constexpr const char* kCheckTexts[3] = {"バックアップファイル作成", "保存時にアンドゥバッファをクリア",
                                        "ファイルを開いたときにカーソル位置を復元"};
constexpr SettingId kChoiceIds[4] = {SettingId::CharCode, SettingId::Inputmode, SettingId::ByteOrder, SettingId::Editmode};
constexpr const char* kChoiceLabels[4] = {"初期文字コード", "初期入力モード", "初期バイトオーダー", "初期編集モード"};
const QStringList kChoiceItems[4] = {
    {"ASCII", "JIS", "Shift-JIS", "EUC", "Unicode", "UnicodeBE", "UTF-8", "EBCDIC", "EBCDIK"},
    {"上書き", "挿入"},
    {"リトルエンディアン", "ビッグエンディアン"},
    {"編集許可", "編集禁止"},
};

// The previews' fixed-pitch face: the one the settings name when it exists, else the system's.
QFont PreviewFont()
{
    QFont f(QStringLiteral("MS ゴシック"));
    if (!QFontDatabase::families().contains(f.family()))
        f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPixelSize(18);
    return f;
}

} // namespace

CSettingsDlg::CSettingsDlg(QWidget* parent, CSettingsStore* store)
    : QDialog(parent), m_store(store ? store : &CSettingsStore::Current())
{
    setWindowTitle(QStringLiteral("環境設定"));
    setObjectName(QStringLiteral("SettingsDlg"));

    m_groups = new QListWidget(this);
    m_groups->setAccessibleName(QStringLiteral("設定グループ"));
    m_groups->setSortingEnabled(true);
    m_groups->setMaximumWidth(170);
    m_pattern = new QLineEdit(this);
    m_pattern->setAccessibleName(QStringLiteral("パターン"));
    m_pattern->setMaximumWidth(170);

    m_tabs = new QTabWidget(this);
    m_tabs->setAccessibleName(QStringLiteral("設定"));
    m_tabs->addTab(BuildGeneralTab(), QStringLiteral("一般"));
    m_tabs->addTab(BuildColorTab(), QStringLiteral("配色"));

    auto* add = new QPushButton(QStringLiteral("追加"), this);
    auto* remove = new QPushButton(QStringLiteral("削除"), this);
    auto* save = new QPushButton(QStringLiteral("保存"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    add->setObjectName(QStringLiteral("AddButton"));
    remove->setObjectName(QStringLiteral("DeleteButton"));
    save->setObjectName(QStringLiteral("SaveButton"));
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(add, &QPushButton::clicked, this, &CSettingsDlg::OnAdd);
    connect(remove, &QPushButton::clicked, this, &CSettingsDlg::OnDelete);
    connect(save, &QPushButton::clicked, this, &CSettingsDlg::OnSave);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // Enter in the pattern field must not close the dialog.
    for (QPushButton* b : {add, remove, save, close})
        b->setAutoDefault(false);

    auto* left = new QVBoxLayout;
    left->addWidget(m_groups, 1);
    left->addWidget(m_pattern);
    auto* leftButtons = new QHBoxLayout;
    leftButtons->addWidget(add);
    leftButtons->addWidget(remove);
    left->addLayout(leftButtons);
    auto* right = new QVBoxLayout;
    right->addWidget(m_tabs, 1);
    auto* rightButtons = new QHBoxLayout;
    rightButtons->addStretch(1);
    rightButtons->addWidget(save);
    rightButtons->addWidget(close);
    right->addLayout(rightButtons);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(right, 1);

    connect(m_groups, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            LoadGroup(item->text());
    });
    FillGroups();
}

QWidget* CSettingsDlg::BuildGeneralTab()
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    for (int i = 0; i < 3; ++i) {
        m_checks[size_t(i)] = new QCheckBox(QString::fromUtf8(kCheckTexts[i]), page);
        m_checks[size_t(i)]->setAccessibleName(QString::fromUtf8(kCheckTexts[i]));
        form->addRow(m_checks[size_t(i)]);
    }
    for (int i = 0; i < 4; ++i) {
        auto* box = new QComboBox(page);
        box->addItems(kChoiceItems[i]);
        box->setAccessibleName(QString::fromUtf8(kChoiceLabels[i]));
        m_choices[size_t(i)] = box;
        form->addRow(QString::fromUtf8(kChoiceLabels[i]), box);
    }
    m_fontSize = new QSpinBox(page);
    m_fontSize->setRange(kMinFontSize, kMaxFontSize);
    m_fontSize->setAccessibleName(QStringLiteral("フォントサイズ"));
    form->addRow(QStringLiteral("フォントサイズ"), m_fontSize);
    m_font = new CFontBox(page);
    m_font->setAccessibleName(QStringLiteral("フォント"));
    form->addRow(QStringLiteral("フォント"), m_font);
    m_fontNote = new QLabel(page);
    m_fontNote->setWordWrap(true);
    m_fontNote->setAccessibleName(QStringLiteral("フォントの注記"));
    m_fontNote->hide();
    form->addRow(m_fontNote);
    connect(m_font, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_fontNote->setVisible(m_standInIndex >= 0 && index == m_standInIndex);
    });
    return page;
}

QWidget* CSettingsDlg::BuildColorTab()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("文字色"), page), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("背景色"), page), 0, 2);
    const QFont previewFont = PreviewFont();
    for (int r = 0; r < 10; ++r) {
        const QString label = SettingsGroupValues::ColorRowLabel(r);
        grid->addWidget(new QLabel(label, page), r + 1, 0);
        for (int k = 0; k < 2; ++k) {
            const int i = r * 2 + k;
            auto* button = new CColorButton(page);
            button->setAccessibleName(label + (k == 0 ? QStringLiteral(" 文字色") : QStringLiteral(" 背景色")));
            connect(button, &CColorButton::colorChanged, this, [this, r] { UpdatePreview(r); });
            m_colors[size_t(i)] = button;
            grid->addWidget(button, r + 1, 1 + k);
        }
        auto* preview = new QLabel(QStringLiteral("F4"), page);
        preview->setAccessibleName(label + QStringLiteral(" プレビュー"));
        preview->setFont(previewFont);
        preview->setAutoFillBackground(true);
        preview->setAlignment(Qt::AlignCenter);
        preview->setMinimumWidth(40);
        m_previews[size_t(r)] = preview;
        grid->addWidget(preview, r + 1, 3);
    }
    grid->setRowStretch(11, 1);
    return page;
}

QCheckBox* CSettingsDlg::Check(SettingId id) const
{
    for (int i = 0; i < 3; ++i)
        if (kCheckIds[i] == id)
            return m_checks[size_t(i)];
    return nullptr;
}

QComboBox* CSettingsDlg::Choice(SettingId id) const
{
    for (int i = 0; i < 4; ++i)
        if (kChoiceIds[i] == id)
            return m_choices[size_t(i)];
    return nullptr;
}

void CSettingsDlg::FillGroups()
{
    const QSignalBlocker block(m_groups);
    m_groups->clear();
    for (const QString& name : m_store->GroupNames())
        m_groups->addItem(name);
    m_groups->sortItems();
    if (m_groups->count() > 0) {
        m_groups->setCurrentRow(0);
        LoadGroup(m_groups->item(0)->text());
    } else {
        // No group at all (a store nobody set up): show the defaults.
        ShowValues(SettingsGroupValues::Read(*m_store, QStringLiteral("*.*")));
    }
}

void CSettingsDlg::LoadGroup(const QString& pattern)
{
    m_pattern->setText(pattern);
    ShowValues(SettingsGroupValues::Read(*m_store, pattern));
}

void CSettingsDlg::ShowValues(const SettingsGroupValues& v)
{
    for (int i = 0; i < 3; ++i)
        m_checks[size_t(i)]->setChecked(v[kCheckIds[i]] != 0);
    for (int i = 0; i < 4; ++i)
        m_choices[size_t(i)]->setCurrentIndex(v[kChoiceIds[i]]);
    m_fontSize->setValue(v[SettingId::FontSize]);
    m_loadedFontName = v.fontName;
    m_standInIndex = -1;
    m_fontNote->hide();
    if (!m_font->SelectStartingWith(v.fontName)) {
        // Show the face the windows use in its place, at the same size.
        bool requested = false;
        const QString used = QFontInfo(MakeViewFont(v.fontName, v[SettingId::FontSize], requested)).family();
        if (m_font->SelectStartingWith(used)) {
            m_standInIndex = m_font->currentIndex();
            m_fontNote->setText(QStringLiteral("「%1」はこのシステムにないため、「%2」で表示しています。").arg(v.fontName, used));
            m_fontNote->show();
        }
    }
    for (int i = 0; i < 20; ++i)
        m_colors[size_t(i)]->SetColor(static_cast<uint32_t>(v[SettingsGroupValues::ColorSetting(i)]));
    for (int r = 0; r < 10; ++r)
        UpdatePreview(r);
}

SettingsGroupValues CSettingsDlg::ShownValues() const
{
    SettingsGroupValues v;
    for (int i = 0; i < 3; ++i)
        v[kCheckIds[i]] = m_checks[size_t(i)]->isChecked() ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        v[kChoiceIds[i]] = std::max(0, m_choices[size_t(i)]->currentIndex());
    v[SettingId::FontSize] = m_fontSize->value();
    // Without a selection (the stored face is not installed here) the stored name is kept,
    // so that saving on another machine does not lose it.
    v.fontName = m_font->SelectedName();
    if (v.fontName.isEmpty() || (m_standInIndex >= 0 && m_font->currentIndex() == m_standInIndex))
        v.fontName = m_loadedFontName;
    for (int i = 0; i < 20; ++i)
        v[SettingsGroupValues::ColorSetting(i)] = static_cast<int>(m_colors[size_t(i)]->Color());
    return v;
}

void CSettingsDlg::UpdatePreview(int row)
{
    QLabel* preview = m_previews[size_t(row)];
    QPalette pal = preview->palette();
    pal.setColor(QPalette::WindowText, CColorButton::ToQColor(m_colors[size_t(row * 2)]->Color()));
    pal.setColor(QPalette::Window, CColorButton::ToQColor(m_colors[size_t(row * 2 + 1)]->Color()));
    preview->setPalette(pal);
    preview->update();
}

bool CSettingsDlg::WriteGroup(const QString& group)
{
    const QString problem = GroupPatternProblem(group);
    if (!problem.isEmpty()) {
        Prompter::ShowError(problem);
        return false;
    }
    ShownValues().Write(*m_store, group);
    m_store->Sync();
    return true;
}

void CSettingsDlg::OnAdd()
{
    const QString pattern = m_pattern->text();
    if (pattern.isEmpty())
        return;
    if (!GroupPatternProblem(pattern).isEmpty()) {
        Prompter::ShowError(GroupPatternProblem(pattern));
        return;
    }
    // Group names ignore case like the store's keys: "*.DAT" is the group "*.dat".
    if (m_groups->findItems(pattern, Qt::MatchFixedString | Qt::MatchCaseSensitive).isEmpty()
        && !m_store->GroupExists(pattern)) {
        const QSignalBlocker block(m_groups);
        m_groups->addItem(pattern);
        m_groups->sortItems();
    }
    if (!WriteGroup(pattern))
        return;
    // The group just written becomes the chosen one, so that 保存 goes to it and not to the
    // group that was chosen before.
    const QList<QListWidgetItem*> items = m_groups->findItems(pattern, Qt::MatchFixedString);
    if (!items.isEmpty()) {
        const QSignalBlocker block(m_groups);
        m_groups->setCurrentItem(items.front());
        items.front()->setSelected(true);
        m_pattern->setText(items.front()->text());
    }
}

void CSettingsDlg::OnSave()
{
    QListWidgetItem* item = m_groups->currentItem();
    if (!item || !item->isSelected()) {
        OnAdd();
        return;
    }
    if (!item->text().isEmpty())
        WriteGroup(item->text());
}

void CSettingsDlg::OnDelete()
{
    QListWidgetItem* item = m_groups->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString pattern = item->text();
    if (pattern.isEmpty() || pattern == QLatin1String("*.*"))
        return;
    {
        // The controls keep the deleted group's values; no other group is loaded.
        const QSignalBlocker block(m_groups);
        delete m_groups->takeItem(m_groups->row(item));
        m_groups->setCurrentItem(nullptr);
        m_groups->clearSelection();
    }
    m_store->DeleteGroup(pattern);
    m_store->Sync();
}
