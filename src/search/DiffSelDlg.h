// 比較ウィンドウ選択: the dialog that picks the window to compare the active one with.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// One line per candidate window (its document's path, or its tab label when untitled). 比較
// accepts the selected line and stays open without one; a double click acts as 比較.
class CDiffSelDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CDiffSelDlg(const QStringList& lines, QWidget* parent = nullptr);

    // The chosen line after 比較, -1 before.
    int Chosen() const { return m_chosen; }
    QListWidget* List() const { return m_list; }
    QPushButton* CompareButton() const { return m_compare; }

private:
    void OnCompare();

    QListWidget* m_list = nullptr;
    QPushButton* m_compare = nullptr;
    int m_chosen = -1;
};
