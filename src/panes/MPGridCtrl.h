// The properties pane's grid: categories with their properties, edited in place, and a
// description area under it.
#pragma once

#include "panes/PropertyTable.h"

#include <QTreeView>
#include <QWidget>

class QLabel;
class QStandardItem;
class QStandardItemModel;

// A two-column tree (name, value) without a header; category rows are shaded and span both
// columns. The value cell of a property is edited in place: a drop-down list for a property with
// choices, otherwise an entry that refuses characters outside the property's set (upper case,
// masked where the property says so), with the address button where one belongs.
// propertyChanged reports values the user changed; SetValue never reports.
class CMPGridCtrl : public QWidget
{
    Q_OBJECT

public:
    explicit CMPGridCtrl(QWidget* parent = nullptr);

    QString Value(PropId id) const;
    void SetValue(PropId id, const QString& value);
    void ExpandAll();
    bool IsExpanded(int category) const;
    QTreeView* Tree() const { return m_tree; }
    QLabel* DescriptionArea() const { return m_description; }
    // The value cell of a property, for focus and tests.
    QModelIndex ValueIndex(PropId id) const;
    // Selects a property and opens its entry.
    void EditProperty(PropId id);

    // Takes the text of an open entry as the property's value, as Enter would (and reports the
    // change): commands that read the grid call this first.
    void CommitOpenEntry();
    // The name column: by default as wide as the longest property name (as far as the pane's
    // width allows, keeping room for the values); the divider can be dragged, and a double click
    // on it fits the names again.
    int NameColumnWidth() const;
    int NameColumnFit() const;
    void SetNameColumnWidth(int width);
    void FitNameColumn();

    // Called by the in-place entry: the user changed a value (the new text is already in the cell).
    void ReportChange(PropId id, const QString& value);
    // Called by the entry's address button.
    void ReportButton(PropId id, AddressMenu menu, const QPoint& globalPos);

Q_SIGNALS:
    void propertyChanged(PropId id, const QString& value);
    void addressButtonClicked(PropId id, AddressMenu menu, const QPoint& globalPos);
    // Shift+Tab in the grid: the focus goes back to the view.
    void backTabPressed();
    // The drop-down of a choice property closed.
    void choiceClosed(PropId id);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void ShowDescription(const QModelIndex& index);

    QTreeView* m_tree;
    QStandardItemModel* m_model;
    QLabel* m_description;
    QStandardItem* m_valueItems[PropCount] = {};
    void ApplyNameColumnWidth();

    bool m_dragging = false;      // the name column's divider is being dragged
    int m_wantedNameWidth = 100;  // fitted or dragged; less when the pane is too narrow
};
