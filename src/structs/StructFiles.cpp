// Finding the definition files of the structure editor.
#include "structs/StructFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

QString CStructFiles::UserFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QStringList CStructFiles::DefaultFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath()};
    // An installed program keeps its shipped definitions under PREFIX/share, beside PREFIX/bin.
    const QString shared = QDir::cleanPath(folders.front() + QStringLiteral("/../share/quorvane/structs"));
    if (QFileInfo(shared).isDir())
        folders << shared;
    const QString user = UserFolder();
    if (!user.isEmpty() && !folders.contains(QDir::cleanPath(user)) && QDir::cleanPath(user) != QDir::cleanPath(folders.front()))
        folders << user;
    return folders;
}

std::vector<CStructFiles::Entry> CStructFiles::Find(const QStringList& folders)
{
    std::vector<Entry> entries;
    QSet<QString> names;
    for (const QString& folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir dir(folder);
        const QStringList files = dir.entryList({QStringLiteral("*.def")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : files) {
            Entry e;
            e.path = dir.absoluteFilePath(file);
            e.name = names.contains(file) ? QStringLiteral("%1 (%2)").arg(file, QDir::toNativeSeparators(folder)) : file;
            names.insert(file);
            entries.push_back(std::move(e));
        }
    }
    return entries;
}
