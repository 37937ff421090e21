// フォルダ内検索 dialog rules that need no window: the number fields, the stored choices, the
// checks of 検索 and the pattern handed to the scan.
#pragma once

#include "search/FolderSearch.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace GrepSetupRules {

// The 10進数 text after the 16進数 field changed to `hex`: empty for an empty text, nothing (the
// field keeps its text) while the text holds a "?", else the low 32 bits of its value as a
// signed decimal number. `hex` holds only "0123456789ABCDEF?" (the field takes nothing else).
std::optional<QString> DecimalForHex(const QString& hex);

// The file-type choices stored as "FF_FileType": the parts of the stored text, split at single
// spaces, empty parts left out.
QStringList FileTypeChoices(const QString& stored);
// After 検索: the stored text anew when `typed` is not among `choices` (letter case aside): all
// choices, then the new text, separated by single spaces, trailing spaces removed. Nothing when
// it is among them.
std::optional<QString> FileTypesToStore(const QStringList& choices, const QString& typed);

// After 検索: the folder history with `folder` as its first entry when it is not in it yet
// (letter case aside); unchanged otherwise. The history is not trimmed.
QStringList HistoryAfterSearch(const QStringList& history, const QString& folder);
// The history after its entry `index` was taken into the folder field: that entry first.
QStringList HistoryWithFirst(const QStringList& history, int index);

// The folder that a dropped path stands for: a folder itself, a file its folder.
QString FolderOfDropped(const QString& path, bool isFolder);

// What the dialog holds when 検索 is pressed.
struct Fields
{
    QString decimal;   // 10進数
    QString hex;       // 16進数
    QString text;      // 文字列
    QString codeName;  // 文字コード
    QString folder;    // 検索フォルダ
    QString fileTypes; // ファイルの種類
    bool subfolders = false;
};

// The error 検索 shows (the dialog then stays open), or an empty text when the fields describe a
// search. `folderExists` tells whether the folder is there.
QString CheckFields(const Fields& fields, bool folderExists);

// The scan's request: the folder as a clean absolute path, the file types, the subfolder flag and
// the pattern (from 文字列 when it is filled, in written order; else the 16進数 digits read as a
// number, least significant byte first). Nothing when the string cannot be written in the code.
std::optional<FolderSearchRequest> BuildRequest(const Fields& fields);

} // namespace GrepSetupRules
