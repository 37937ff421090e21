// The ブックマーク tab: a two-column list of bookmark addresses and their descriptions.
#pragma once

#include <QString>
#include <QTreeView>
#include <utility>
#include <vector>

class QStandardItemModel;

// Columns "アドレス" and "説明". A double click on 説明 edits it in place; an edit that ends
// with a new text is reported by descriptionEdited. Activating a row anywhere else (double
// click, Enter) reports rowActivated. A double click on a header divider fits that column to
// its widest cell.
class COutputListCtrl : public QTreeView
{
    Q_OBJECT

public:
    enum Column : int { ColumnAddress = 0, ColumnText = 1 };

    explicit COutputListCtrl(QWidget* parent = nullptr);

    // Replaces every row (address text, description); reports nothing.
    void SetRows(const std::vector<std::pair<QString, QString>>& rows);
    int RowCount() const;
    QString CellText(int row, int column) const;
    // Sizes a column to its widest cell text plus 15 pixels.
    void FitColumn(int column);

Q_SIGNALS:
    void descriptionEdited(int row, const QString& text);
    void rowActivated(int row, const QString& addressText);

private:
    QStandardItemModel* m_model;
    bool m_filling = false;
};
