// The window list (ウィンドウ): every document window of the main frame, to activate, save or close.
#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

class CChildFrame;
class CMainFrame;
class QListWidget;
class QPushButton;

class CWindowsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CWindowsDlg(CMainFrame* frame);

    QListWidget* List() const { return m_list; }
    // The buttons' work, also for tests.
    void ActivateSelected();
    void SaveSelected();
    void CloseSelected();

private:
    void Fill();
    void UpdateButtons();
    QList<CChildFrame*> Selected() const;

    CMainFrame* m_frame;
    QListWidget* m_list = nullptr;
    QPushButton* m_activate = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
    QList<QPointer<CChildFrame>> m_windows; // in list order
};
