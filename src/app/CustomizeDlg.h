// カスタマイズ: the toolbar's buttons and the keys of the commands, changed on a copy and
// applied to the main frame on OK.
#pragma once

#include "app/KeyBindings.h"

#include <QDialog>
#include <vector>

class CMainFrame;
class QKeySequenceEdit;
class QLabel;
class QListWidget;

class CCustomizeDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CCustomizeDlg(CMainFrame* frame);

    // What OK will apply.
    const std::vector<int>& Buttons() const { return m_buttons; }
    const CKeyBindings& Keys() const { return m_keys; }
    void ApplyTo(CMainFrame& frame) const;

    // The buttons' work, also for tests. Rows count in the list of toolbar buttons.
    void AddButton(int id, int beforeRow);
    void AddSeparator(int beforeRow);
    void RemoveButton(int row);
    void MoveButton(int row, int delta);
    void ResetButtons();
    // Binds `key` to `id` (taking it from another command); false for an empty key.
    bool AssignKey(int id, const QKeySequence& key);
    void RemoveKey(int id, const QKeySequence& key);
    void ResetKeys();

private:
    QWidget* BuildToolbarTab();
    QWidget* BuildKeyboardTab();
    void FillButtons(int selectRow);
    void FillKeys();
    int SelectedCommand(const QListWidget* list) const;

    std::vector<int> m_buttons;
    CKeyBindings m_keys;
    std::vector<int> m_commands; // every menu command, in table order

    QListWidget* m_toolCommands = nullptr;
    QListWidget* m_buttonList = nullptr;
    QListWidget* m_keyCommands = nullptr;
    QListWidget* m_currentKeys = nullptr;
    QKeySequenceEdit* m_newKey = nullptr;
    QLabel* m_assignedTo = nullptr;
};
