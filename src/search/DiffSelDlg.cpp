// 比較ウィンドウ選択: the candidate list and its two buttons.
#include "search/DiffSelDlg.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDiffSelDlg::CDiffSelDlg(const QStringList& lines, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("比較ウィンドウ選択"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("DiffSelList"));
    m_list->setAccessibleName(QStringLiteral("比較ウィンドウ"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->addItems(lines);
    m_compare = new QPushButton(QStringLiteral("比較"), this);
    m_compare->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_compare);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    connect(m_compare, &QPushButton::clicked, this, &CDiffSelDlg::OnCompare);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CDiffSelDlg::OnCompare);
    resize(460, 220);
}

void CDiffSelDlg::OnCompare()
{
    const int row = m_list->currentRow();
    if (row < 0 || !m_list->currentItem() || !m_list->currentItem()->isSelected())
        return; // nothing chosen: the dialog stays open
    m_chosen = row;
    accept();
}
