// フォルダ内検索 dialog rules: number fields, stored choices, the checks of 検索, the request.
#include "search/GrepSetupRules.h"

#include "codes/TextEncoder.h"
#include "base/NativePath.h"

#include <QDir>

namespace GrepSetupRules {

std::optional<QString> DecimalForHex(const QString& hex)
{
    if (hex.isEmpty())
        return QString();
    if (hex.contains(QLatin1Char('?')))
        return std::nullopt;
    // The low 32 bits of the value: the last eight digits carry them.
    bool ok = false;
    const uint32_t low = static_cast<uint32_t>(hex.right(8).toULongLong(&ok, 16));
    if (!ok)
        return std::nullopt;
    return QString::number(static_cast<int32_t>(low));
}

QStringList FileTypeChoices(const QString& stored)
{
    return stored.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::optional<QString> FileTypesToStore(const QStringList& choices, const QString& typed)
{
    if (choices.contains(typed, Qt::CaseInsensitive))
        return std::nullopt;
    QString text = (QStringList(choices) << typed).join(QLatin1Char(' '));
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QStringList HistoryAfterSearch(const QStringList& history, const QString& folder)
{
    if (history.contains(folder, Qt::CaseInsensitive))
        return history;
    QStringList result = history;
    result.prepend(folder);
    return result;
}

QStringList HistoryWithFirst(const QStringList& history, int index)
{
    if (index <= 0 || index >= history.size())
        return history;
    QStringList result = history;
    result.move(index, 0);
    return result;
}

QString FolderOfDropped(const QString& path, bool isFolder)
{
    if (isFolder)
        return path;
    const QString native = QDir::toNativeSeparators(path);
    const qsizetype cut = native.lastIndexOf(QDir::separator());
    return cut < 0 ? QString() : native.left(cut);
}

QString CheckFields(const Fields& fields, bool folderExists)
{
    if (fields.folder.trimmed().isEmpty())
        return QStringLiteral("検索対象のフォルダを指定してください。");
    // The data is the 16進数 field (which 10進数 fills) or the string. A pattern that begins with
    // "?" leaves 10進数 empty and is still a pattern.
    if (fields.hex.isEmpty() && fields.decimal.isEmpty() && fields.text.isEmpty())
        return QStringLiteral("検索するデータを入力してください。");
    // A character the code cannot hold would be searched as some other bytes.
    if (!fields.text.isEmpty()) {
        const QString unheld = UnheldCharMessage(fields.text, fields.codeName);
        if (!unheld.isEmpty())
            return unheld;
    }
    if (!folderExists)
        return QStringLiteral("検索対象のフォルダが見つかりません。\n%1").arg(fields.folder);
    return {};
}

std::optional<FolderSearchRequest> BuildRequest(const Fields& fields)
{
    QString hex = fields.hex;
    const bool fromString = !fields.text.isEmpty();
    if (fromString)
        hex = EncodeTextAsHex(fields.text, fields.codeName);
    else if (hex.isEmpty())
        hex = FolderSearchDecimalToHex(fields.decimal);
    const std::optional<SearchPattern> pattern = BuildFolderSearchPattern(hex.toUpper(), fromString);
    if (!pattern)
        return std::nullopt;
    FolderSearchRequest request;
    request.folder = AbsolutePath(fields.folder.trimmed()); // a dropped folder's name keeps its bytes
    request.fileTypes = fields.fileTypes;
    request.subfolders = fields.subfolders;
    request.pattern = *pattern;
    return request;
}

} // namespace GrepSetupRules
