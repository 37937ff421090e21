// Bookmark list files (".lst"): reading "BML" and headerless files, writing "BML" files.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// One bookmark: a byte address and its description.
struct BOOKMARKLIST
{
    uint64_t address = 0;
    QString description;

    bool operator==(const BOOKMARKLIST&) const = default;
};

// The longest description a list file keeps, in UTF-16 code units.
inline constexpr int kBookmarkDescriptionMax = 255;

// The bookmarks of a list file's bytes, in the file's order. A file that begins with "BML" holds
// records of an 8-byte address, a 1-byte count and that many UTF-16LE code units (the text ends
// at its first NUL); a record is read when its 8 address bytes exist, a cut description gives
// what could be read. Any other file is a sequence of 4-byte addresses; a trailing part is ignored.
std::vector<BOOKMARKLIST> ParseBookmarkList(const QByteArray& bytes);
// The "BML" file of `list`. A description longer than 255 code units is cut to 255 (or 254, so
// that a surrogate pair is never split).
QByteArray SerializeBookmarkList(const std::vector<BOOKMARKLIST>& list);

// File forms of the two; false with the system's text in `error` when the file cannot be read
// or written. A written file replaces the old one only when it is complete.
bool ReadBookmarkList(const QString& path, std::vector<BOOKMARKLIST>& list, QString* error);
bool WriteBookmarkList(const QString& path, const std::vector<BOOKMARKLIST>& list, QString* error);

// The address text of the ブックマーク tab: "00000000-0001A2F0".
QString BookmarkAddressText(uint64_t address);
