// Where the structure editor finds its ".def" files: beside the program and in the user's data folder.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class CStructFiles
{
public:
    struct Entry
    {
        QString name; // as the file list shows it
        QString path;
    };

    // The program's folder, then the user's data folder (where a user without write access to the
    // program's folder keeps definitions of their own).
    static QStringList DefaultFolders();
    static QString UserFolder();
    // The "*.def" files of the folders, folder by folder in that order, each folder's files in
    // name order. A name found in an earlier folder is shown with its folder in brackets.
    static std::vector<Entry> Find(const QStringList& folders);
};
