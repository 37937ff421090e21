// ファイル連結: the dialog that picks the file to add, where, and whether it inserts or overwrites.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

// Modal dialog. The file is typed, browsed or dropped (the first dropped item that is not a
// folder; folders are ignored). On OK: the path, the position (0 先頭, 1 カーソル位置, 2 末尾)
// and the action (0 挿入, 1 上書).
class CConnectDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CConnectDlg(QWidget* parent = nullptr);

    QString Path() const;
    int Position() const;
    int Action() const;
    QLineEdit* PathEdit() const { return m_path; }
    // A drop of these local paths, as a drag onto the dialog would give.
    void DropPaths(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QLineEdit* m_path = nullptr;
    QRadioButton* m_position[3] = {};
    QRadioButton* m_action[2] = {};
};
