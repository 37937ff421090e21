// Where the open and save dialogs start: never among the program's own files.
#pragma once

#include <QString>

class CDialogFolder
{
public:
    // The active document's folder when it has a file, else the folder of the last file chosen
    // in a dialog, else the user's home folder. A folder that no longer exists is passed over.
    static QString StartFolder(const QString& activeDocumentPath);
    // A file name in the start folder, for a save dialog (`name`: the proposed file name).
    static QString StartPath(const QString& activeDocumentPath, const QString& name);
    // Remembers the folder of a file the user chose in a dialog.
    static void Remember(const QString& chosenPath);
    // Forgets the remembered folder (tests).
    static void Reset();
};
