// The replace dialog "置換ダイアログ": asks, for one hit, 置換 / 次を検索 / 一括置換 / キャンセル.
#pragma once

#include <QDialog>

class QPushButton;

// Modal; exec() returns the id of the button pressed: IdReplace, IdSkip, IdReplaceAll, or
// IdCancel (also when the dialog is closed).
class CReplaceDlg : public QDialog
{
    Q_OBJECT

public:
    enum : int { IdReplace = 1, IdCancel = 2, IdReplaceAll = 1011, IdSkip = 1012 };

    explicit CReplaceDlg(QWidget* parent = nullptr);

    void reject() override; // Esc and the close box stop the replace

    // Where the dialog opens: at the remembered rectangle, or centred over the window of `over`
    // (kept on its screen) when none is remembered yet.
    void Place(const QRect& remembered, const QWidget* over);

private:
    QPushButton* AddButton(const QString& caption, int id, const char* name);
};
