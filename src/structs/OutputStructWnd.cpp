// The 構造体編集 pane: file and structure lists, base address buttons and the tree list.
#include "structs/OutputStructWnd.h"

#include "view/MessageTargets.h"
#include "base/Messages.h"
#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "structs/StructRowDelegate.h"
#include "structs/StructRowModel.h"
#include "view/QuorvaneView.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct ButtonDef
{
    int id;
    const char* text;
    CStructBase::Move move;
};

const ButtonDef kButtons[] = {
    {COutputStructWnd::IDC_BACK_RECORD, "<<", CStructBase::Move::BackRecord},
    {COutputStructWnd::IDC_BACK_BYTE, "<", CStructBase::Move::BackByte},
    {COutputStructWnd::IDC_TO_CURSOR, "-", CStructBase::Move::ToCursor},
    {COutputStructWnd::IDC_FORWARD_BYTE, ">", CStructBase::Move::ForwardByte},
    {COutputStructWnd::IDC_FORWARD_RECORD, ">>", CStructBase::Move::ForwardRecord},
};

} // namespace

COutputStructWnd::COutputStructWnd(QWidget* parent, const QStringList& folders)
    : QWidget(parent), m_session(std::make_unique<CStructSession>())
{
    m_files = CStructFiles::Find(folders);
    BuildControls();
    m_refresh.setInterval(300);
    connect(&m_refresh, &QTimer::timeout, this, &COutputStructWnd::RefreshValues);
}

COutputStructWnd::~COutputStructWnd() = default;

void COutputStructWnd::BuildControls()
{
    setObjectName(QStringLiteral("OutputStructWnd"));
    setAccessibleName(QStringLiteral("構造体編集"));
    // The top line never widens the pane (nor the frame it docks in): what does not fit is cut.
    auto* topLine = new QWidget(this);
    topLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* top = new QHBoxLayout(topLine);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(2);

    m_icon = new QToolButton(topLine);
    m_icon->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    m_icon->setAutoRaise(true);
    m_icon->setFixedSize(21, 21);
    m_icon->setToolTip(QStringLiteral("再評価"));
    m_icon->setAccessibleName(QStringLiteral("再評価"));
    connect(m_icon, &QToolButton::clicked, this, &COutputStructWnd::Reevaluate);
    top->addWidget(m_icon);

    m_fileList = new QComboBox(topLine);
    m_fileList->setAccessibleName(QStringLiteral("定義ファイル"));
    m_fileList->setMinimumContentsLength(12);
    for (const CStructFiles::Entry& e : m_files) {
        m_fileList->addItem(e.name, e.path);
        m_fileList->setItemData(m_fileList->count() - 1, e.path, Qt::ToolTipRole);
    }
    m_fileList->setCurrentIndex(-1);
    connect(m_fileList, &QComboBox::activated, this, &COutputStructWnd::LoadDefinitionFile);
    top->addWidget(m_fileList);

    m_structList = new QComboBox(topLine);
    m_structList->setAccessibleName(QStringLiteral("構造体"));
    m_structList->setMinimumContentsLength(12);
    connect(m_structList, &QComboBox::activated, this, &COutputStructWnd::ChooseStructure);
    top->addWidget(m_structList);

    m_address = new QLabel(CStructBase::AddressText(0), topLine);
    m_address->setAccessibleName(QStringLiteral("アドレス"));
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(m_address);

    for (const ButtonDef& b : kButtons) {
        auto* button = new QToolButton(topLine);
        button->setText(QString::fromLatin1(b.text));
        button->setAccessibleName(QString::fromLatin1(b.text));
        button->setProperty("controlId", b.id);
        button->setFixedHeight(21);
        const CStructBase::Move move = b.move;
        connect(button, &QToolButton::clicked, this, [this, move] { MoveBase(move); });
        top->addWidget(button);
        m_buttons.push_back(button);
    }
    top->addStretch(1);

    m_model = new CStructRowModel(*m_session, [this]() -> StructBytes& { return Bytes(); }, this);
    m_model->fileSize = [this] { return FileSize(); };
    m_model->commit = [this](int row, const QString& text) { return CommitValueEdit(row, text); };
    m_delegate = new CStructRowDelegate(this);
    m_tree = new QTableView(this);
    m_tree->setObjectName(QStringLiteral("StructTreeList"));
    m_tree->setAccessibleName(QStringLiteral("構造体編集"));
    m_tree->setModel(m_model);
    m_tree->setItemDelegate(m_delegate);
    m_tree->setShowGrid(true);
    m_tree->setWordWrap(false);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::SelectedClicked);
    m_tree->verticalHeader()->hide();
    m_tree->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_tree->verticalHeader()->setDefaultSectionSize(CStructRowDelegate::kRowHeight);
    m_tree->horizontalHeader()->setHighlightSections(false);
    m_tree->horizontalHeader()->setStretchLastSection(false);
    m_tree->setColumnWidth(CStructRowModel::ColName, 120);
    m_tree->setColumnWidth(CStructRowModel::ColValue, 120);
    m_tree->setColumnWidth(CStructRowModel::ColType, 130);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTableView::customContextMenuRequested, this, &COutputStructWnd::ShowContextMenu);
    connect(m_tree, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() != CStructRowModel::ColValue)
            ToggleRow(index.row());
    });
    connect(m_delegate, &CStructRowDelegate::iconClicked, this, [this](const QModelIndex& index) { ToggleRow(index.row()); });
    connect(m_delegate, &QAbstractItemDelegate::closeEditor, this, [this] { m_editing = false; });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { OnCurrentRowChanged(); });
    connect(m_tree->horizontalHeader(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int section) {
        if (section == CStructRowModel::ColValue)
            FitValueColumn();
        else
            m_tree->resizeColumnToContents(section);
    });

    m_menu = new QMenu(this);
    QAction* select = m_menu->addAction(QStringLiteral("選択(&S)"));
    select->setData(int(ID_SELECT));
    connect(select, &QAction::triggered, this, &COutputStructWnd::SelectRowBytes);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(topLine);
    layout->addWidget(m_tree, 1);
}

QToolButton* COutputStructWnd::Button(int id) const
{
    if (id == IDC_ICON)
        return m_icon;
    for (QToolButton* b : m_buttons)
        if (b->property("controlId").toInt() == id)
            return b;
    return nullptr;
}

CQuorvaneView* COutputStructWnd::ActiveView() const
{
    return FindActiveView(this);
}

CQuorvaneDoc* COutputStructWnd::ActiveDocument() const
{
    CQuorvaneView* view = ActiveView();
    return view ? view->GetDocument() : nullptr;
}

StructBytes& COutputStructWnd::Bytes()
{
    CQuorvaneDoc* doc = ActiveDocument();
    if (!m_bytes || m_bytesDoc != doc) {
        m_bytes = std::make_unique<DocStructBytes>(doc);
        m_bytes->ReportAfterEvent(true); // the list reads values while it paints
        m_bytesDoc = doc;
    }
    return *m_bytes;
}

uint64_t COutputStructWnd::FileSize() const
{
    CQuorvaneDoc* doc = ActiveDocument();
    return doc ? doc->GetFileSize() : 0;
}

void COutputStructWnd::LoadDefinitionFile(int index)
{
    if (index < 0 || index >= int(m_files.size()))
        return;
    m_structList->clear();
    const bool ok = m_session->LoadDefinitionFile(m_files[size_t(index)].path, Bytes());
    for (const CStructDefs::STRUCTDEF& def : m_session->Defs().Defs())
        m_structList->addItem(def.name);
    m_model->Reset();
    if (!ok)
        Prompter::ShowError(m_session->ErrorMessage());
    if (m_structList->count() > 0) {
        m_structList->setCurrentIndex(0);
        ChooseStructure(0);
    }
}

void COutputStructWnd::ChooseStructure(int index)
{
    if (index < 0 || index >= int(m_session->Defs().Defs().size()))
        return;
    if (m_structList->currentIndex() != index)
        m_structList->setCurrentIndex(index);
    // The varsize values are read at the current base, so the counts fit this structure's data.
    m_session->ChooseStructure(index);
    m_session->Reevaluate(Bytes());
    ShowStructure();
}

void COutputStructWnd::ShowStructure()
{
    m_model->Reset();
    SendStructRange();
}

void COutputStructWnd::SendStructRange()
{
    UpdateAddressText();
    uint64_t start = 0, end = 0;
    m_session->StructRange(start, end);
    const um::AddrRange whole{start, end};
    const um::AddrRange none{0, 0};
    um::SetStructRange::Send(ActiveView(), &whole, &none);
}

void COutputStructWnd::UpdateAddressText()
{
    m_address->setText(CStructBase::AddressText(m_session->Base()));
}

void COutputStructWnd::MoveBase(CStructBase::Move move)
{
    uint64_t cursor = m_session->Base();
    if (move == CStructBase::Move::ToCursor) {
        const uint64_t* pos = um::GetPos::Send(ActiveView(), nullptr, nullptr);
        if (!pos)
            return; // no view: nothing to take the address from
        cursor = *pos;
    }
    const int current = m_tree->currentIndex().isValid() ? m_tree->currentIndex().row() : -1;
    if (!m_session->MoveBase(move, cursor, Bytes()))
        return;
    ShowStructure();
    if (current >= 0 && current < m_model->rowCount()) {
        m_tree->setCurrentIndex(m_model->index(current, 0));
        SendRowRange();
    }
    for (QToolButton* b : m_buttons)
        b->setChecked(false);
}

void COutputStructWnd::Reevaluate()
{
    if (m_session->Structure() < 0)
        return;
    m_session->Reevaluate(Bytes());
    ShowStructure();
}

void COutputStructWnd::ToggleRow(int row)
{
    CStructTree& tree = m_session->Tree();
    if (row < 0 || row >= tree.RowCount())
        return;
    const CStructTree::LISTOPTION r = tree.Row(row);
    if (!CStructTree::IsExpandable(r))
        return;
    int64_t limit = kExpandLimit;
    if (!r.expanded) {
        const int64_t children = tree.ChildCount(r);
        const int64_t room = kMaxRows - tree.RowCount();
        limit = std::min(limit, room);
        if (limit <= 0) {
            Prompter::ShowError(QStringLiteral("行が多すぎるため展開できません。ほかの行を折りたたんでください。"));
            return;
        }
        if (children > limit)
            Prompter::ShowError(QStringLiteral("%1 は %2 個の要素があります。先頭の %3 個だけを表示します。")
                                    .arg(r.label).arg(children).arg(limit));
    }
    m_model->Toggle(row, limit);
}

bool COutputStructWnd::CommitValueEdit(int row, const QString& text)
{
    m_editing = false;
    // A varsize field changes the counts and sizes after it: the rows are rebuilt inside one model
    // reset, the expanded rows open again and the edited field stays the current row.
    const bool rebuilds = m_session->EditRebuildsRows(row);
    CStructValues::Commit result = CStructValues::Commit::Refused;
    int64_t after = row;
    const auto commit = [&] { result = m_session->CommitValueEdit(row, text, Bytes(), &after, kExpandLimit, kMaxRows); };
    if (rebuilds)
        RebuildRows(commit, &after);
    else
        commit();
    if (result != CStructValues::Commit::Written)
        return false;
    CQuorvaneView* view = ActiveView();
    um::SetCursor::Send(view, nullptr, true);
    RepaintView();
    m_tree->viewport()->update();
    return true;
}

void COutputStructWnd::RebuildRows(const std::function<void()>& rebuild, const int64_t* current, int column)
{
    m_model->Rebuild(rebuild);
    SendStructRange();
    // The rebuild gives the row's new place.
    if (current && *current >= 0 && *current < m_model->rowCount())
        m_tree->setCurrentIndex(m_model->index(int(*current), column));
    SendRowRange();
}

void COutputStructWnd::RefreshValues()
{
    if (m_editing || m_session->Structure() < 0)
        return;
    if (m_session->VarsizeValuesChanged(Bytes())) {
        int64_t current = m_tree->currentIndex().isValid() ? m_tree->currentIndex().row() : -1;
        const int column = m_tree->currentIndex().isValid() ? m_tree->currentIndex().column() : 0;
        RebuildRows([&] {
            m_session->RebuildKeepingRows(Bytes(), current >= 0 ? &current : nullptr, kExpandLimit, kMaxRows);
        }, &current, column);
    }
    m_tree->viewport()->update();
}

void COutputStructWnd::OnCurrentRowChanged()
{
    SendRowRange();
}

void COutputStructWnd::SendRowRange()
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return;
    const CStructTree& tree = m_session->Tree();
    if (current.row() >= tree.RowCount())
        return;
    uint64_t start = 0, end = 0;
    m_session->RowRange(tree.Row(current.row()), start, end);
    const um::AddrRange member{start, end};
    um::SetStructRange::Send(ActiveView(), nullptr, &member);
}

void COutputStructWnd::SelectRowBytes()
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || current.row() >= m_session->Tree().RowCount())
        return;
    uint64_t start = 0, end = 0;
    m_session->RowRange(m_session->Tree().Row(current.row()), start, end);
    if (end <= start)
        return; // an arithmetic line or an empty array covers no bytes
    um::SelectRange::Send(ActiveView(), start, end - 1);
}

void COutputStructWnd::ShowContextMenu(const QPoint& pos)
{
    const QModelIndex index = m_tree->indexAt(pos);
    if (index.isValid())
        m_tree->setCurrentIndex(index);
    m_menu->popup(m_tree->viewport()->mapToGlobal(pos));
}

void COutputStructWnd::FitValueColumn()
{
    // The widest value of the rows (the first 100,000 of a huge list) plus 15 pixels.
    const QFontMetrics fm(m_tree->font());
    int widest = 0;
    const int rows = std::min(m_model->rowCount(), 100000);
    for (int i = 0; i < rows; ++i)
        widest = std::max(widest, fm.horizontalAdvance(m_model->index(i, CStructRowModel::ColValue).data().toString()));
    m_tree->setColumnWidth(CStructRowModel::ColValue, widest + 15);
}

void COutputStructWnd::RepaintView()
{
    if (CQuorvaneView* view = ActiveView())
        view->viewport()->update();
}

void COutputStructWnd::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    m_refresh.start();
    RepaintView(); // the structure colours show again
}

bool COutputStructWnd::IsShowing() const
{
    return isVisible();
}

void COutputStructWnd::ViewActivated()
{
    // Another document window: the values come from its document.
    if (m_session->Structure() >= 0)
        m_tree->viewport()->update();
}

void COutputStructWnd::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_refresh.stop();
    RepaintView();
}

bool COutputStructWnd::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_tree && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const QModelIndex current = m_tree->currentIndex();
        // While an edit is open its box has the keys; here Enter opens one or expands the row.
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) && current.isValid()) {
            if (current.column() == CStructRowModel::ColValue && (m_model->flags(current) & Qt::ItemIsEditable)) {
                m_editing = true;
                m_tree->edit(current);
            } else {
                ToggleRow(current.row());
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
