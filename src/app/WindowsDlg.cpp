// The window list dialog.
#include "app/WindowsDlg.h"

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "document/QuorvaneDoc.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QVBoxLayout>

CWindowsDlg::CWindowsDlg(CMainFrame* frame) : QDialog(frame), m_frame(frame)
{
    setWindowTitle(QStringLiteral("ウィンドウ"));
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_activate = new QPushButton(QStringLiteral("アクティブにする(&A)"), this);
    m_save = new QPushButton(QStringLiteral("保存(&S)"), this);
    m_close = new QPushButton(QStringLiteral("ウィンドウを閉じる(&C)"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(m_activate);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] {
        ActivateSelected();
        accept();
    });
    connect(m_activate, &QPushButton::clicked, this, [this] {
        ActivateSelected();
        accept();
    });
    connect(m_save, &QPushButton::clicked, this, &CWindowsDlg::SaveSelected);
    connect(m_close, &QPushButton::clicked, this, &CWindowsDlg::CloseSelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CWindowsDlg::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        ActivateSelected();
        accept();
    });
    Fill();
    resize(420, 260);
}

void CWindowsDlg::Fill()
{
    m_list->clear();
    m_windows.clear();
    const CChildFrame* active = m_frame->ActiveChild();
    for (CChildFrame* child : m_frame->ChildFrames()) {
        QString title = child->windowTitle();
        title.remove(QStringLiteral("[*]"));
        if (child->GetDocument() && child->GetDocument()->IsModified())
            title += QLatin1Char('*');
        m_list->addItem(title);
        m_windows << child;
        if (child == active)
            m_list->setCurrentRow(m_list->count() - 1);
    }
    UpdateButtons();
}

QList<CChildFrame*> CWindowsDlg::Selected() const
{
    QList<CChildFrame*> out;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->isSelected() && m_windows.value(row))
            out << m_windows.value(row).data();
    }
    return out;
}

void CWindowsDlg::UpdateButtons()
{
    const int n = static_cast<int>(Selected().size());
    m_activate->setEnabled(n == 1);
    m_save->setEnabled(n > 0);
    m_close->setEnabled(n > 0);
}

void CWindowsDlg::ActivateSelected()
{
    const QList<CChildFrame*> selected = Selected();
    if (selected.size() == 1)
        m_frame->MdiArea()->setActiveSubWindow(selected.front());
}

void CWindowsDlg::SaveSelected()
{
    // Each document once, even when several of its windows are selected.
    QList<CQuorvaneDoc*> done;
    for (CChildFrame* child : Selected()) {
        CQuorvaneDoc* doc = child->GetDocument();
        if (!doc || done.contains(doc))
            continue;
        done << doc;
        if (!m_frame->FileSave(doc))
            break; // the failure has been shown; the rest stay as they are
    }
    Fill();
}

void CWindowsDlg::CloseSelected()
{
    // A window whose document asks about its changes may stay open when the user cancels.
    QList<QPointer<CChildFrame>> selected;
    for (CChildFrame* child : Selected())
        selected << child;
    for (const QPointer<CChildFrame>& child : selected) {
        if (child && !child->close())
            break;
    }
    Fill();
}
