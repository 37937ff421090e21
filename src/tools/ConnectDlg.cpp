// The ファイル連結 dialog: file field with browse button and drop, position and action.
#include "tools/ConnectDlg.h"

#include "base/NativePath.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

CConnectDlg::CConnectDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ファイル連結"));
    setObjectName(QStringLiteral("ConnectDlg"));
    setAcceptDrops(true);

    auto* fileLabel = new QLabel(QStringLiteral("ファイル"), this);
    m_path = new QLineEdit(this);
    m_path->setMinimumWidth(320);
    fileLabel->setBuddy(m_path);
    m_path->setAccessibleName(fileLabel->text());
    auto* browse = new QToolButton(this);
    browse->setText(QStringLiteral("..."));
    browse->setAccessibleName(QStringLiteral("参照"));
    connect(browse, &QToolButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("ファイル"), m_path->text());
        if (!path.isEmpty())
            m_path->setText(QDir::toNativeSeparators(path));
    });

    auto* where = new QGroupBox(QStringLiteral("連結位置"), this);
    auto* whereLayout = new QHBoxLayout(where);
    const char* positions[] = {"先頭", "カーソル位置", "末尾"};
    for (int i = 0; i < 3; ++i) {
        m_position[i] = new QRadioButton(QString::fromUtf8(positions[i]), where);
        whereLayout->addWidget(m_position[i]);
    }
    m_position[2]->setChecked(true);
    auto* how = new QGroupBox(QStringLiteral("連結動作"), this);
    auto* howLayout = new QHBoxLayout(how);
    const char* actions[] = {"挿入", "上書"};
    for (int i = 0; i < 2; ++i) {
        m_action[i] = new QRadioButton(QString::fromUtf8(actions[i]), how);
        howLayout->addWidget(m_action[i]);
    }
    m_action[0]->setChecked(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(where);
    layout->addWidget(how);
    layout->addWidget(buttons);
}

QString CConnectDlg::Path() const
{
    return m_path->text();
}

int CConnectDlg::Position() const
{
    for (int i = 0; i < 3; ++i)
        if (m_position[i]->isChecked())
            return i;
    return 2;
}

int CConnectDlg::Action() const
{
    return m_action[1]->isChecked() ? 1 : 0;
}

void CConnectDlg::DropPaths(const QStringList& paths)
{
    if (paths.isEmpty() || StatPath(paths.first()).isDir)
        return;
    m_path->setText(QDir::toNativeSeparators(paths.first()));
}

void CConnectDlg::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CConnectDlg::dropEvent(QDropEvent* e)
{
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile())
            paths << PathFromUrl(url);
    DropPaths(paths);
    e->acceptProposedAction();
}
