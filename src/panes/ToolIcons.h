// The pictures of the toolbar's commands and of the program itself.
#pragma once

#include <QIcon>
#include <QString>

namespace ToolIcons {

// The desktop's icon theme's picture for a command where a standard one exists (document-open,
// edit-cut ...), otherwise, and wherever no theme is installed, the program's own drawn picture.
QIcon CommandIcon(int id);
// The freedesktop name a command's picture is looked up by in the theme (empty: none fits).
QString ThemeName(int id);
// The program's own picture of a command (":/icons/tool/<name>.svg").
QIcon OwnIcon(int id);
// The program's icon: the installed theme's, else the one built into the program.
QIcon AppIcon();

} // namespace ToolIcons
