// The properties pane's grid: categories with their properties, edited in place, and a
// description area under it.
#include "panes/MPGridCtrl.h"

#include "panes/PropertyRules.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QValidator>
#include <QVBoxLayout>

#include <functional>

namespace {

constexpr int kPropRole = Qt::UserRole + 1; // PropId of a property row's cells, -1 on categories
constexpr int kCategoryRole = Qt::UserRole + 2;
constexpr int kMinColumn = 40;      // narrowest a column may be dragged
constexpr int kMinValueColumn = 70; // room the values keep when the names want more
constexpr int kDividerGrip = 3;   // pixels either side of the divider that take a drag

// Refuses, while they are typed, characters the property does not take; shows upper case where
// the property asks for it.
class PropertyValidator : public QValidator
{
public:
    PropertyValidator(const PROPERTYDEF& def, QObject* parent) : QValidator(parent), m_def(def) {}

    State validate(QString& input, int&) const override
    {
        if (m_def.upperCase)
            input = input.toUpper();
        return PropertyRules::Accepts(m_def, input) ? Acceptable : Invalid;
    }

private:
    const PROPERTYDEF& m_def;
};

QString MaskOf(const PROPERTYDEF& def)
{
    // "________-________" → one optional hexadecimal digit per "_", upper case, "_" for blanks.
    QString mask = QStringLiteral(">");
    for (QChar c : def.mask)
        mask += c == QLatin1Char('_') ? QStringLiteral("h") : QString(c);
    return mask + QStringLiteral(";_");
}

// A drop-down that says when its list closes, whether a choice was made or not (Esc, a click
// elsewhere).
class ChoiceBox : public QComboBox
{
public:
    ChoiceBox(std::function<void()> closed, QWidget* parent) : QComboBox(parent), m_closed(std::move(closed)) {}

    void hidePopup() override
    {
        QComboBox::hidePopup();
        // After the choice (if any) has been committed.
        QMetaObject::invokeMethod(this, [f = m_closed] { f(); }, Qt::QueuedConnection);
    }

private:
    std::function<void()> m_closed;
};

// Opens the entry of a value cell and paints category rows shaded.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(CMPGridCtrl* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.data(kPropRole).toInt() < 0) {
            painter->fillRect(option.rect, option.palette.color(QPalette::Button));
            QStyleOptionViewItem shaded = option;
            shaded.font.setBold(true);
            QStyledItemDelegate::paint(painter, shaded, index);
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        const int id = index.data(kPropRole).toInt();
        if (id < 0 || index.column() != 1)
            return nullptr;
        const PROPERTYDEF& def = PropertyDefinition(static_cast<PropId>(id));
        if (!def.options.isEmpty()) {
            QPointer<CMPGridCtrl> grid = m_grid;
            auto* combo = new ChoiceBox([grid, id] {
                if (grid)
                    Q_EMIT grid->choiceClosed(static_cast<PropId>(id));
            }, parent);
            combo->addItems(def.options);
            combo->setAccessibleName(def.name);
            // A choice takes effect as soon as it is made.
            connect(combo, qOverload<int>(&QComboBox::activated), this, [this, combo] {
                Q_EMIT const_cast<GridDelegate*>(this)->commitData(combo);
            });
            return combo;
        }
        auto* edit = new QLineEdit(parent);
        edit->setAccessibleName(def.name);
        edit->setFrame(false);
        if (!def.mask.isEmpty())
            edit->setInputMask(MaskOf(def));
        else
            edit->setValidator(new PropertyValidator(def, edit));
        if (def.menu != AddressMenu::None) {
            QAction* button = edit->addAction(edit->style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
            button->setToolTip(def.name);
            connect(button, &QAction::triggered, this, [this, edit, id, menu = def.menu] {
                m_grid->ReportButton(static_cast<PropId>(id), menu, edit->mapToGlobal(edit->rect().bottomRight()));
            });
        }
        return edit;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        const QString value = index.data(Qt::EditRole).toString();
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            if (combo->findText(value) < 0)
                combo->addItem(value); // "ASCII" shown in 検索 after a view in that code
            combo->setCurrentText(value);
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(value);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        QString text;
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            text = combo->currentText();
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            // Unfilled places of a mask read as blanks (which the pane then fills with "0").
            text = edit->inputMask().isEmpty() ? edit->text() : edit->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
        }
        if (text == index.data(Qt::EditRole).toString())
            return;
        model->setData(index, text, Qt::EditRole);
        m_grid->ReportChange(static_cast<PropId>(index.data(kPropRole).toInt()), text);
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        editor->setGeometry(option.rect);
    }

    // Shift+Tab in an open entry goes back to the view (the entry's value is kept), instead of
    // moving to the previous property.
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Backtab) {
            if (auto* editor = qobject_cast<QWidget*>(watched))
                Q_EMIT const_cast<GridDelegate*>(this)->commitData(editor);
            Q_EMIT m_grid->backTabPressed();
            return true;
        }
        return QStyledItemDelegate::eventFilter(watched, e);
    }

private:
    CMPGridCtrl* m_grid;
};

} // namespace

CMPGridCtrl::CMPGridCtrl(QWidget* parent) : QWidget(parent)
{
    m_tree = new QTreeView(this);
    m_model = new QStandardItemModel(0, 2, this);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setIndentation(12);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked
                            | QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    m_tree->setItemDelegate(new GridDelegate(this));
    m_tree->setAccessibleName(QStringLiteral("プロパティ"));
    m_tree->installEventFilter(this);

    const auto& categories = PropertyCategories();
    std::vector<QStandardItem*> categoryItems;
    for (int c = 0; c < static_cast<int>(categories.size()); ++c) {
        auto* item = new QStandardItem(categories[c].name);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(-1, kPropRole);
        item->setData(c, kCategoryRole);
        auto* filler = new QStandardItem;
        filler->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        filler->setData(-1, kPropRole);
        filler->setData(c, kCategoryRole);
        m_model->appendRow({item, filler});
        categoryItems.push_back(item);
    }
    for (const PROPERTYDEF& def : PropertyDefinitions()) {
        auto* name = new QStandardItem(def.name);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        name->setData(def.id, kPropRole);
        auto* value = new QStandardItem(def.value);
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        value->setData(def.id, kPropRole);
        value->setData(def.name, Qt::AccessibleTextRole);
        categoryItems[def.category]->appendRow({name, value});
        m_valueItems[def.id] = value;
    }
    for (int c = 0; c < static_cast<int>(categories.size()); ++c) {
        m_tree->setFirstColumnSpanned(c, QModelIndex(), true);
        m_tree->setExpanded(m_model->index(c, 0), categories[c].expanded);
    }
    m_tree->header()->setStretchLastSection(true);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->header()->setMinimumSectionSize(kMinColumn);
    m_tree->viewport()->installEventFilter(this);
    m_tree->viewport()->setMouseTracking(true);
    // Both columns share the pane's width: never scrolled sideways (names would be cut on the left).
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_tree->horizontalScrollBar(), &QScrollBar::valueChanged, m_tree, [this](int value) {
        if (value != 0)
            m_tree->horizontalScrollBar()->setValue(0); // an entry that opens never shifts the names
    });
    FitNameColumn();

    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMinimumHeight(48);
    m_description->setTextFormat(Qt::PlainText);
    m_description->setAccessibleName(QStringLiteral("説明"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_description);
    setFocusProxy(m_tree);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShowDescription(current); });
}

QModelIndex CMPGridCtrl::ValueIndex(PropId id) const
{
    return id >= 0 && id < PropCount ? m_valueItems[id]->index() : QModelIndex();
}

QString CMPGridCtrl::Value(PropId id) const
{
    return id >= 0 && id < PropCount ? m_valueItems[id]->text() : QString();
}

void CMPGridCtrl::SetValue(PropId id, const QString& value)
{
    if (id < 0 || id >= PropCount)
        return;
    m_valueItems[id]->setText(value);
    // An entry open on the property shows the new value too.
    if (QWidget* editor = m_tree->indexWidget(ValueIndex(id)))
        m_tree->itemDelegate()->setEditorData(editor, ValueIndex(id));
}

void CMPGridCtrl::ExpandAll()
{
    m_tree->expandAll();
}

bool CMPGridCtrl::IsExpanded(int category) const
{
    return m_tree->isExpanded(m_model->index(category, 0));
}

void CMPGridCtrl::EditProperty(PropId id)
{
    const QModelIndex index = ValueIndex(id);
    m_tree->setExpanded(index.parent(), true);
    m_tree->setCurrentIndex(index);
    m_tree->edit(index);
}

void CMPGridCtrl::CommitOpenEntry()
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid())
        return;
    const QModelIndex index = current.sibling(current.row(), 1);
    if (QWidget* editor = m_tree->indexWidget(index))
        m_tree->itemDelegate()->setModelData(editor, m_model, index);
}

int CMPGridCtrl::NameColumnFit() const
{
    const QFontMetrics metrics(m_tree->font());
    int widest = 0;
    for (const PROPERTYDEF& def : PropertyDefinitions())
        widest = std::max(widest, metrics.horizontalAdvance(def.name));
    // Property rows sit one level in, behind the category's expand sign; the cell keeps a margin
    // on either side.
    const int margin = m_tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_tree) + 1;
    return widest + 2 * m_tree->indentation() + 2 * margin + 8;
}

void CMPGridCtrl::FitNameColumn()
{
    SetNameColumnWidth(NameColumnFit());
}

int CMPGridCtrl::NameColumnWidth() const
{
    return m_tree->header()->sectionSize(0);
}

void CMPGridCtrl::SetNameColumnWidth(int width)
{
    m_wantedNameWidth = width;
    ApplyNameColumnWidth();
}

void CMPGridCtrl::ApplyNameColumnWidth()
{
    // The values keep room of their own in a narrow pane; a wider pane gives the names what they
    // asked for.
    const int room = m_tree->viewport()->width() - kMinValueColumn;
    m_tree->header()->resizeSection(0, std::max(kMinColumn, std::min(m_wantedNameWidth, std::max(room, kMinColumn))));
}

void CMPGridCtrl::ReportChange(PropId id, const QString& value)
{
    Q_EMIT propertyChanged(id, value);
}

void CMPGridCtrl::ReportButton(PropId id, AddressMenu menu, const QPoint& globalPos)
{
    Q_EMIT addressButtonClicked(id, menu, globalPos);
}

void CMPGridCtrl::ShowDescription(const QModelIndex& index)
{
    QString title;
    QString text;
    const int id = index.data(kPropRole).toInt();
    if (!index.isValid()) {
    } else if (id < 0) {
        const PROPERTYCATEGORY& category = PropertyCategories().at(index.data(kCategoryRole).toInt());
        title = category.name;
        text = category.description;
    } else {
        const PROPERTYDEF& def = PropertyDefinition(static_cast<PropId>(id));
        title = def.name;
        text = def.description;
    }
    m_description->setText(text.isEmpty() ? title : title + QLatin1Char('\n') + text);
    // The tooltip holds the description on one line, shortened to 160 characters.
    QString tip = text;
    tip.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_description->setToolTip(tip.left(160));
}

bool CMPGridCtrl::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_tree->viewport()) {
        if (e->type() == QEvent::Resize)
            ApplyNameColumnWidth();
        // The divider between names and values: dragged to resize, double-clicked to fit the
        // longest name (the grid has no header to drag).
        switch (e->type()) {
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(e);
            const int x = mouse->position().toPoint().x();
            if (m_dragging) {
                SetNameColumnWidth(x);
                return true;
            }
            if (std::abs(x - NameColumnWidth()) <= kDividerGrip)
                m_tree->viewport()->setCursor(Qt::SplitHCursor);
            else
                m_tree->viewport()->unsetCursor();
            break;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(e);
            if (mouse->button() == Qt::LeftButton && std::abs(mouse->position().toPoint().x() - NameColumnWidth()) <= kDividerGrip) {
                m_dragging = true;
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (m_dragging) {
                m_dragging = false;
                return true;
            }
            break;
        case QEvent::MouseButtonDblClick:
            if (std::abs(static_cast<QMouseEvent*>(e)->position().toPoint().x() - NameColumnWidth()) <= kDividerGrip) {
                FitNameColumn();
                return true;
            }
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_Backtab) {
            Q_EMIT backTabPressed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}
