// The バージョン情報 box: program icon, name and version, the maker's link and a close button.
#include "app/AboutDlg.h"

#include "panes/ToolIcons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("バージョン情報"));
    setObjectName(QStringLiteral("AboutDlg"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("AboutIcon"));
    icon->setPixmap(ToolIcons::AppIcon().pixmap(32, 32));

    auto* name = new QLabel(QStringLiteral("Quorvane, Ver2.44"), this);
    name->setObjectName(QStringLiteral("AboutName"));
    auto* link = new QLabel(QStringLiteral("<a href=\"https://pellamy.example/\">Pellamy</a>"), this);
    link->setObjectName(QStringLiteral("AboutLink"));
    link->setOpenExternalLinks(true);

    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(link);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    top->addWidget(close, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    setFixedSize(sizeHint());
}
