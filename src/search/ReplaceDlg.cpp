// The replace dialog: four buttons in one row, one decision per hit.
#include "search/ReplaceDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>

CReplaceDlg::CReplaceDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("置換ダイアログ"));
    setAccessibleName(QStringLiteral("置換ダイアログ"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* row = new QHBoxLayout(this);
    QPushButton* replace = AddButton(QStringLiteral("置換"), IdReplace, "replace");
    AddButton(QStringLiteral("次を検索"), IdSkip, "skip");
    AddButton(QStringLiteral("一括置換"), IdReplaceAll, "replaceAll");
    AddButton(QStringLiteral("キャンセル"), IdCancel, "cancel");
    for (QPushButton* b : findChildren<QPushButton*>())
        row->addWidget(b);
    replace->setDefault(true);
    replace->setFocus();
    setFixedSize(sizeHint());
}

QPushButton* CReplaceDlg::AddButton(const QString& caption, int id, const char* name)
{
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(caption);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, id] { done(id); });
    return b;
}

void CReplaceDlg::reject()
{
    done(IdCancel);
}

void CReplaceDlg::Place(const QRect& remembered, const QWidget* over)
{
    // Nothing remembered (all four sides 0): the middle of the window it belongs to, never the
    // screen's corner over the menu bar.
    if (!remembered.isNull() && (remembered.left() != 0 || remembered.right() != 0)) {
        setGeometry(remembered);
        return;
    }
    const QWidget* frame = over ? over->window() : nullptr;
    if (!frame)
        return;
    QRect target(QPoint(0, 0), size());
    target.moveCenter(frame->frameGeometry().center());
    if (const QScreen* screen = frame->screen()) {
        const QRect room = screen->availableGeometry();
        target.moveLeft(std::max(room.left(), std::min(target.left(), room.right() - target.width() + 1)));
        target.moveTop(std::max(room.top(), std::min(target.top(), room.bottom() - target.height() + 1)));
    }
    move(target.topLeft());
}
