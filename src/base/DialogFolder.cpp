// Where the open and save dialogs start: never among the program's own files.
#include "base/DialogFolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Dialogs run on the user-interface thread only.
QString g_lastFolder;

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

QString CDialogFolder::StartFolder(const QString& activeDocumentPath)
{
    if (!activeDocumentPath.isEmpty()) {
        const QString folder = QFileInfo(activeDocumentPath).absolutePath();
        if (IsFolder(folder))
            return folder;
    }
    if (IsFolder(g_lastFolder))
        return g_lastFolder;
    return QDir::homePath();
}

QString CDialogFolder::StartPath(const QString& activeDocumentPath, const QString& name)
{
    return QDir(StartFolder(activeDocumentPath)).filePath(name);
}

void CDialogFolder::Remember(const QString& chosenPath)
{
    if (chosenPath.isEmpty())
        return;
    const QFileInfo info(chosenPath);
    g_lastFolder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

void CDialogFolder::Reset()
{
    g_lastFolder.clear();
}
