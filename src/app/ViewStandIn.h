// A stand-in for the hex view, built only while the real view is not in the program yet.
#pragma once

#include <QAbstractScrollArea>

class CQuorvaneDoc;
struct CmdUI;

// Same construction and command interface as the hex view; shows the bytes as plain rows.
class CQuorvaneView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit CQuorvaneView(CQuorvaneDoc* doc, QWidget* parent = nullptr);
    CQuorvaneDoc* GetDocument() const { return m_doc; }
    void OnInitialUpdate();
    void OnActivateView(bool activate);
    bool OnCommand(int id);
    bool OnUpdateCommand(int id, CmdUI& ui);
    int ResetCount() const { return m_resets; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    CQuorvaneDoc* m_doc;
    int m_resets = 0;
};
