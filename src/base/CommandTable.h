// The program's commands: menu text, accelerator, status-bar prompt and tooltip of every id.
#pragma once

#include <QString>
#include <vector>

struct CommandInfo
{
    int id = 0;
    QString text;        // menu text as shown; the part after a tab is the accelerator label
    QString accelerator; // key sequence in portable form ("Ctrl+O", "F1"); empty when none
    QString prompt;      // status-bar prompt while the item is highlighted
    QString tooltip;     // toolbar tooltip
};

// Every command of the menus, in no particular order.
const std::vector<CommandInfo>& AllCommands();
// The command with this id, or null.
const CommandInfo* FindCommand(int id);
// The toolbar's buttons in order; 0 marks a separator.
const std::vector<int>& ToolbarLayout();
