// Reading and writing bookmark list files.
#include "tools/BookmarkList.h"

#include "base/NativePath.h"
#include "document/SafeFileWriter.h"

#include <QFile>

namespace {

uint64_t ReadLe(const uchar* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void AppendLe(QByteArray& out, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

std::vector<BOOKMARKLIST> ParseBookmarkList(const QByteArray& bytes)
{
    std::vector<BOOKMARKLIST> list;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size >= 3 && bytes.startsWith("BML")) {
        qsizetype pos = 3;
        while (pos + 8 <= size) {
            BOOKMARKLIST entry;
            entry.address = ReadLe(p + pos, 8);
            pos += 8;
            int units = 0;
            if (pos < size)
                units = p[pos++];
            const qsizetype readable = std::min<qsizetype>(units, (size - pos) / 2);
            QString text;
            for (qsizetype i = 0; i < readable; ++i) {
                const char16_t u = static_cast<char16_t>(ReadLe(p + pos + 2 * i, 2));
                if (u == 0)
                    break;
                text.append(QChar(u));
            }
            pos = std::min<qsizetype>(size, pos + 2 * units);
            entry.description = text;
            list.push_back(std::move(entry));
        }
        return list;
    }
    for (qsizetype pos = 0; pos + 4 <= size; pos += 4)
        list.push_back({ReadLe(p + pos, 4), QString()});
    return list;
}

QByteArray SerializeBookmarkList(const std::vector<BOOKMARKLIST>& list)
{
    QByteArray out("BML");
    for (const BOOKMARKLIST& entry : list) {
        AppendLe(out, entry.address, 8);
        qsizetype units = std::min<qsizetype>(entry.description.size(), kBookmarkDescriptionMax);
        if (units < entry.description.size() && units > 0 && entry.description[units - 1].isHighSurrogate())
            --units;
        out.append(static_cast<char>(units));
        for (qsizetype i = 0; i < units; ++i)
            AppendLe(out, entry.description[i].unicode(), 2);
    }
    return out;
}

bool ReadBookmarkList(const QString& path, std::vector<BOOKMARKLIST>& list, QString* error)
{
    list.clear();
    QFile file;
    if (!OpenNativeFile(file, path, QIODevice::ReadOnly, error))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    list = ParseBookmarkList(bytes);
    return true;
}

bool WriteBookmarkList(const QString& path, const std::vector<BOOKMARKLIST>& list, QString* error)
{
    // A full disk or a failed sync leaves the older list as it was.
    return WriteFileSafely(path, SerializeBookmarkList(list), error);
}

QString BookmarkAddressText(uint64_t address)
{
    return QStringLiteral("%1-%2")
        .arg(static_cast<qulonglong>(address >> 32), 8, 16, QLatin1Char('0'))
        .arg(static_cast<qulonglong>(address & 0xFFFFFFFFu), 8, 16, QLatin1Char('0'))
        .toUpper();
}
