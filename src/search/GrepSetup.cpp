// The folder search dialog: its fields, the folder history list, drops and the checks of 検索.
#include "search/GrepSetup.h"

#include "base/Prompter.h"
#include "base/SettingsStore.h"
#include "codes/CharCode.h"
#include "base/NativePath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The codes a string can be searched in (ASCII is not among them).
const char* const kCodes[] = {"JIS", "Shift-JIS", "EUC", "Unicode", "UnicodeBE", "UTF-8", "EBCDIC", "EBCDIK"};

QLabel* Buddy(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text);
    label->setBuddy(field);
    field->setAccessibleName(text);
    return label;
}

} // namespace

CGrepSetup::CGrepSetup(int charCode, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("フォルダ内検索"));
    setAcceptDrops(true);
    CSettingsStore& store = CSettingsStore::Current();

    m_decimal = new QLineEdit(this);
    m_hex = new QLineEdit(this);
    m_hex->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f?]*")), m_hex));
    m_text = new QLineEdit(this);
    m_code = new QComboBox(this);
    for (const char* name : kCodes)
        m_code->addItem(QString::fromLatin1(name));
    const int shown = m_code->findText(CharCodeNameFromValue(charCode));
    m_code->setCurrentIndex(IsCharCodeValue(charCode) && shown >= 0 ? shown : m_code->findText(QStringLiteral("Shift-JIS")));

    m_folder = new QLineEdit(this);
    m_folder->installEventFilter(this);
    m_browse = new QToolButton(this);
    m_browse->setText(QStringLiteral("..."));
    m_browse->setAccessibleName(QStringLiteral("参照"));
    m_history = new QListWidget(this);
    m_history->setAccessibleName(QStringLiteral("検索フォルダの履歴"));
    m_history->addItems(store.FolderHistory());
    m_history->hide();
    m_history->installEventFilter(this);
    m_history->viewport()->installEventFilter(this);

    m_fileTypes = new QComboBox(this);
    m_fileTypes->setEditable(true);
    m_fileTypes->setInsertPolicy(QComboBox::NoInsert);
    m_fileTypes->addItems(GrepSetupRules::FileTypeChoices(store.FolderSearchFileTypes()));
    m_fileTypes->setEditText(QStringLiteral("*.*"));
    m_subfolders = new QCheckBox(QStringLiteral("サブフォルダも検索"), this);
    m_subfolders->setAccessibleName(m_subfolders->text());

    m_search = new QPushButton(QStringLiteral("検索"), this);
    m_search->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    auto* form = new QFormLayout;
    form->addRow(Buddy(QStringLiteral("10進数"), m_decimal), m_decimal);
    form->addRow(Buddy(QStringLiteral("16進数"), m_hex), m_hex);
    form->addRow(Buddy(QStringLiteral("文字列"), m_text), m_text);
    form->addRow(Buddy(QStringLiteral("文字コード"), m_code), m_code);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    form->addRow(Buddy(QStringLiteral("検索フォルダ"), m_folder), folderRow);
    form->addRow(Buddy(QStringLiteral("ファイルの種類"), m_fileTypes), m_fileTypes);
    form->addRow(QString(), m_subfolders);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_search);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_decimal, &QLineEdit::textEdited, this, &CGrepSetup::OnDecimalEdited);
    connect(m_hex, &QLineEdit::textChanged, this, &CGrepSetup::OnHexEdited);
    connect(m_browse, &QToolButton::clicked, this, &CGrepSetup::Browse);
    connect(m_search, &QPushButton::clicked, this, &CGrepSetup::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(460, sizeHint().height());
}

GrepSetupRules::Fields CGrepSetup::Fields() const
{
    GrepSetupRules::Fields f;
    f.decimal = m_decimal->text();
    f.hex = m_hex->text();
    f.text = m_text->text();
    f.codeName = m_code->currentText();
    f.folder = m_folder->text();
    f.fileTypes = m_fileTypes->currentText();
    f.subfolders = m_subfolders->isChecked();
    return f;
}

void CGrepSetup::OnDecimalEdited(const QString& text)
{
    m_syncing = true;
    m_hex->setText(FolderSearchDecimalToHex(text));
    m_syncing = false;
}

void CGrepSetup::OnHexEdited(const QString& text)
{
    const QString upper = text.toUpper();
    if (upper != text) {
        const int pos = m_hex->cursorPosition();
        m_hex->setText(upper); // comes back here with the upper-case text
        m_hex->setCursorPosition(pos);
        return;
    }
    if (!SearchPattern::IsPatternText(upper) && !upper.isEmpty()) {
        m_hex->setText(m_lastHex);
        return;
    }
    m_lastHex = upper;
    if (m_syncing)
        return;
    if (const std::optional<QString> decimal = GrepSetupRules::DecimalForHex(upper))
        m_decimal->setText(*decimal);
}

void CGrepSetup::Browse()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("検索フォルダ"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(folder));
}

void CGrepSetup::ShowHistory()
{
    if (m_history->count() == 0)
        return;
    // Below the folder field, as wide as its widest entry, one line more than it has entries.
    const QFontMetrics fm = m_history->fontMetrics();
    int width = m_folder->width();
    for (int i = 0; i < m_history->count(); ++i)
        width = std::max(width, fm.horizontalAdvance(m_history->item(i)->text()) + 24);
    const int height = (m_history->count() + 1) * fm.height() + 2 * m_history->frameWidth();
    const QPoint at = m_folder->mapTo(this, QPoint(0, m_folder->height()));
    m_history->setGeometry(at.x(), at.y(), std::min(width, this->width() - at.x()),
                           std::min(height, this->height() - at.y()));
    m_history->show();
    m_history->raise();
    if (m_history->currentRow() < 0)
        m_history->setCurrentRow(0);
    m_history->setFocus();
}

void CGrepSetup::HideHistory()
{
    m_history->hide();
}

void CGrepSetup::TakeHistoryEntry(int row)
{
    if (row >= 0 && row < m_history->count()) {
        m_folder->setText(m_history->item(row)->text());
        QListWidgetItem* item = m_history->takeItem(row);
        m_history->insertItem(0, item);
        m_history->setCurrentRow(0);
    }
    HideHistory();
    m_folder->setFocus();
}

void CGrepSetup::TakeDroppedPath(const QString& path)
{
    m_folder->setText(GrepSetupRules::FolderOfDropped(QDir::toNativeSeparators(path), StatPath(path).isDir));
}

bool CGrepSetup::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_folder) {
        if (e->type() == QEvent::MouseButtonDblClick) {
            ShowHistory();
            return true;
        }
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Down) {
            ShowHistory();
            return true;
        }
    } else if (watched == m_history) {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                TakeHistoryEntry(m_history->currentRow());
                return true;
            }
            if (key == Qt::Key_Escape) {
                HideHistory();
                m_folder->setFocus();
                return true;
            }
        }
    } else if (watched == m_history->viewport() && e->type() == QEvent::MouseButtonPress) {
        // A click takes the entry under the pointer.
        const QPoint pos = static_cast<QMouseEvent*>(e)->position().toPoint();
        const QListWidgetItem* item = m_history->itemAt(pos);
        TakeHistoryEntry(item ? m_history->row(item) : m_history->currentRow());
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void CGrepSetup::mousePressEvent(QMouseEvent* e)
{
    HideHistory();
    QDialog::mousePressEvent(e);
}

void CGrepSetup::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CGrepSetup::dropEvent(QDropEvent* e)
{
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || urls.front().toLocalFile().isEmpty())
        return;
    TakeDroppedPath(urls.front().toLocalFile());
    e->acceptProposedAction();
}

void CGrepSetup::accept()
{
    const GrepSetupRules::Fields f = Fields();
    const QString error = GrepSetupRules::CheckFields(f, StatPath(f.folder.trimmed()).isDir);
    if (!error.isEmpty()) {
        Prompter::ShowError(error);
        return;
    }
    const std::optional<FolderSearchRequest> request = GrepSetupRules::BuildRequest(f);
    if (!request) {
        Prompter::ShowError(QStringLiteral("文字列を %1 で表せません。").arg(f.codeName));
        return;
    }
    m_request = *request;

    // The choices and the history are kept for the next time.
    CSettingsStore& store = CSettingsStore::Current();
    QStringList choices;
    for (int i = 0; i < m_fileTypes->count(); ++i)
        choices << m_fileTypes->itemText(i);
    if (const std::optional<QString> types = GrepSetupRules::FileTypesToStore(choices, f.fileTypes))
        store.SetFolderSearchFileTypes(*types);
    QStringList history;
    for (int i = 0; i < m_history->count(); ++i)
        history << m_history->item(i)->text();
    store.SetFolderHistory(GrepSetupRules::HistoryAfterSearch(history, f.folder));
    store.Sync();
    QDialog::accept();
}
