// The 同一検索 tab's drop-down list of same-search groups, drawn in alternating rows.
#include "panes/SameListBox.h"

#include "panes/OutputList.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// Paints the entries of the open list: the rows alternate so that long group lists stay readable.
class SameItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        QColor background = index.row() % 2 ? QColor(Qt::white) : QColor(230, 230, 230);
        QColor text = Qt::black;
        if (selected) {
            background = option.palette.color(QPalette::Highlight);
            text = Qt::white;
        }
        painter->save();
        painter->fillRect(option.rect, background);
        painter->setPen(text);
        painter->setFont(option.font);
        const QRect textRect = option.rect.adjusted(5, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(CSameListBox::kItemHeight);
        return size;
    }
};

} // namespace

CSameListBox::CSameListBox(QWidget* parent) : QComboBox(parent)
{
    setFont(COutputList::ListFont());
    setItemDelegate(new SameItemDelegate(this));
    view()->setFont(COutputList::ListFont());
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(10);
}
