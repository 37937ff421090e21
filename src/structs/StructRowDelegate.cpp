// Painting and editing of the structure editor's rows.
#include "structs/StructRowDelegate.h"

#include "structs/StructRowModel.h"
#include "structs/SubEdit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

QRect CStructRowDelegate::IconRect(const QRect& cell, int level)
{
    return QRect(cell.left() + std::max(level, 0) * kIndent, cell.top() + (cell.height() - 16) / 2, 16, 16);
}

QSize CStructRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
}

void CStructRowDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    p->save();
    p->fillRect(option.rect, selected ? option.palette.highlight() : QBrush(Qt::white));
    p->setPen(selected ? option.palette.highlightedText().color() : QColor(Qt::black));
    QRect text = option.rect.adjusted(5, 0, -2, 0);
    if (index.column() == CStructRowModel::ColName) {
        const int level = index.data(CStructRowModel::LevelRole).toInt();
        text = option.rect.adjusted(level * kIndent + 2, 0, -2, 0);
        if (index.data(CStructRowModel::ExpandableRole).toBool()) {
            // A small triangle: pointing right while collapsed, down while expanded.
            const QRect icon = IconRect(option.rect, level).adjusted(4, 4, -4, -4);
            QPolygon tri;
            if (index.data(CStructRowModel::ExpandedRole).toBool())
                tri << icon.topLeft() << icon.topRight() << QPoint(icon.center().x(), icon.bottom());
            else
                tri << icon.topLeft() << icon.bottomLeft() << QPoint(icon.right(), icon.center().y());
            p->setRenderHint(QPainter::Antialiasing);
            p->setBrush(p->pen().color());
            p->drawPolygon(tri);
            text.setLeft(text.left() + 16);
        }
    }
    const QString s = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width());
    p->drawText(text, Qt::AlignVCenter | Qt::AlignLeft, s);
    p->restore();
}

bool CStructRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                     const QModelIndex& index)
{
    if (event->type() == QEvent::MouseButtonPress && index.column() == CStructRowModel::ColName
        && index.data(CStructRowModel::ExpandableRole).toBool()) {
        auto* me = static_cast<QMouseEvent*>(event);
        const int level = index.data(CStructRowModel::LevelRole).toInt();
        if (IconRect(option.rect, level).contains(me->position().toPoint())) {
            Q_EMIT iconClicked(index);
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

QWidget* CStructRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    if (index.column() != CStructRowModel::ColValue)
        return nullptr;
    return new CSubEdit(parent);
}

void CStructRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* e = qobject_cast<CSubEdit*>(editor)) {
        e->setText(index.data(Qt::EditRole).toString());
        e->selectAll();
    }
}

void CStructRowDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const
{
    // The editor stays on the value cell, whatever moves it.
    editor->setGeometry(option.rect);
}
