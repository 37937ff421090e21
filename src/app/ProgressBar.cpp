// The folder search's progress window.
#include "app/ProgressBar.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

CProgressBar::CProgressBar(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::FramelessWindowHint)
{
    setModal(false);
    setObjectName(QStringLiteral("FolderSearchProgress"));
    setAccessibleName(QStringLiteral("フォルダ内検索"));
    m_bar = new QProgressBar(this);
    m_bar->setAccessibleName(QStringLiteral("フォルダ内検索"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 1);
    m_stopButton = new QPushButton(QStringLiteral("中止"), this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_bar, 1);
    layout->addWidget(m_stopButton);
    connect(m_stopButton, &QPushButton::clicked, this, &CProgressBar::OnStop);
    // 201 x 53 dialog units.
    const QFontMetrics fm = fontMetrics();
    resize(fm.averageCharWidth() * 201 / 4, fm.height() * 53 / 8);
}

void CProgressBar::Begin(QWidget* over, std::function<void()> stop)
{
    m_stop = std::move(stop);
    m_bar->setRange(0, 0); // a bar that moves without an end: the scan does not know its length
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - rect().center());
    }
    show();
    raise();
}

void CProgressBar::End()
{
    m_bar->setRange(0, 1);
    m_stop = nullptr;
    hide();
}

bool CProgressBar::IsMoving() const
{
    return isVisible() && m_bar->maximum() == 0;
}

void CProgressBar::OnStop()
{
    if (m_stop)
        m_stop();
    End();
}

void CProgressBar::reject()
{
    OnStop();
}
