// The frame of one document window: a tab of the main frame holding one view of a document.
#pragma once

#include <QMdiSubWindow>

class CMainFrame;
class CQuorvaneDoc;
class CQuorvaneView;

class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT

public:
    CChildFrame(CQuorvaneDoc* doc, CMainFrame* mainFrame);
    ~CChildFrame() override;

    CQuorvaneDoc* GetDocument() const { return m_doc; }
    CQuorvaneView* GetActiveView() const { return m_view; }
    // The status bar's idle text while this window is active: its document's full path.
    QString IdleText() const;

    // Closes without the save question (the caller has asked already, or the user declined).
    void CloseWithoutPrompt();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    CMainFrame* m_mainFrame;
    CQuorvaneDoc* m_doc;
    CQuorvaneView* m_view = nullptr;
    bool m_skipPrompt = false;
};
