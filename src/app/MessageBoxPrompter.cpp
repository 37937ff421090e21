// Message boxes for the questions and errors of the program.
#include "app/MessageBoxPrompter.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

PromptAnswer CMessageBoxPrompter::Show(const QString& text, const QString& caption,
                                       PromptButtons buttons, PromptIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
    case PromptIcon::Error: boxIcon = QMessageBox::Critical; break;
    case PromptIcon::Warning: boxIcon = QMessageBox::Warning; break;
    case PromptIcon::Information: boxIcon = QMessageBox::Information; break;
    case PromptIcon::Question: boxIcon = QMessageBox::Question; break;
    }
    QMessageBox::StandardButtons set = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case PromptButtons::Ok: set = QMessageBox::Ok; escape = QMessageBox::Ok; break;
    case PromptButtons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; escape = QMessageBox::Cancel; break;
    case PromptButtons::YesNo: set = QMessageBox::Yes | QMessageBox::No; escape = QMessageBox::No; break;
    case PromptButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    }
    QWidget* parent = QApplication::activeWindow();
    QMessageBox box(boxIcon, caption, text, set, parent);
    box.setEscapeButton(escape);
    // Japanese labels for the standard buttons, whatever the system's translations are.
    if (auto* b = box.button(QMessageBox::Ok)) b->setText(QStringLiteral("OK"));
    if (auto* b = box.button(QMessageBox::Cancel)) b->setText(QStringLiteral("キャンセル"));
    if (auto* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("はい(&Y)"));
    if (auto* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("いいえ(&N)"));
    switch (box.exec()) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    default: return buttons == PromptButtons::Ok ? PromptAnswer::Ok
                  : buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
    }
}
