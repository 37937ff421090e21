// The settings store: settings groups chosen by file extension, cursor positions, history.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

// The 29 values of a settings group, in their fixed order.
enum class SettingId : int {
    CharCode = 0,
    Inputmode,
    ByteOrder,
    Editmode,
    Backup,
    UndobufClear,
    CursorRestore,
    FontSize,
    FontName,
    Color_Text,
    Color_TextBk,
    Color_AddressBk,
    Color_AddressTxt,
    Color_BookmarkBk,
    Color_BookmarkTxt,
    Color_FindBk,
    Color_FindTxt,
    Color_DiffpBk,
    Color_DiffpTxt,
    Color_DiffmBk,
    Color_DiffmTxt,
    Color_EOFBk,
    Color_EOFTxt,
    Color_SelBk,
    Color_SelTxt,
    Color_StructRangeBk,
    Color_StructRangeTxt,
    Color_StructSelBk,
    Color_StructSelTxt,
};
inline constexpr int kSettingCount = 29;
// The font sizes the program reads and the settings dialog offers.
inline constexpr int kMinFontSize = 6;
inline constexpr int kMaxFontSize = 72;

// Registry-like store under "Software\Pellamy\Quorvane". Group values are never cached: every
// reader reads the store when it needs a value. Used from the user-interface thread only.
class CSettingsStore
{
public:
    // The current user's store in the platform's native form.
    static std::unique_ptr<CSettingsStore> OpenUserStore();
    // A private store in an INI file (tests, portable use). The file's folder plays the maker's key.
    static std::unique_ptr<CSettingsStore> OpenFile(const QString& path);

    // The store every part of the program reads; installed by the application (or a test).
    static CSettingsStore& Current();
    static CSettingsStore* Install(CSettingsStore* store);

    static QString ValueName(SettingId id);
    static int DefaultValue(SettingId id, uint32_t menuBarColor);
    // Whether a stored value is one the program writes (code 0-8, switches 0 or 1, font size
    // 6-72, colours 0x00BBGGRR); others read as the default.
    static bool IsValidValue(SettingId id, int value);

    int GetGroupSetting(SettingId id, const QString& group) const;
    void SetGroupSetting(SettingId id, int value, const QString& group);
    QString GetGroupFontName(const QString& group) const;
    void SetGroupFontName(const QString& group, const QString& name);
    QString FindSettingsGroup(const QString& path) const;
    void WriteDefaultGroup();

    // Names of the existing groups, in the store's order.
    QStringList GroupNames() const;
    bool GroupExists(const QString& group) const;
    void DeleteGroup(const QString& group);

    // The default of Color_AddressBk: the menu-bar colour, which only the UI can ask for.
    void SetMenuBarColor(uint32_t colorref) { m_menuBarColor = colorref; }
    uint32_t MenuBarColor() const { return m_menuBarColor; }

    // Cursor positions under "Settings\CurRest", one value per full path.
    std::optional<uint32_t> ReadCursorPosition(const QString& fullPath) const;
    void WriteCursorPosition(const QString& fullPath, uint32_t address);
    // The global switch "Settings\CursorRestore" (default 1) that decides whether positions are written.
    bool CursorRecordingEnabled() const;

    // "Settings\FF_FileType", the folder search's file-type choices separated by single spaces.
    QString FolderSearchFileTypes() const;
    void SetFolderSearchFileTypes(const QString& types);
    // "History\FF_FolderList": folders ordered by their position, 0 first.
    QStringList FolderHistory() const;
    void SetFolderHistory(const QStringList& folders);

    // Free-form values of the framework (workspace state, recent files) under the root.
    QVariant Value(const QString& key, const QVariant& fallback = {}) const;
    void SetValue(const QString& key, const QVariant& value);
    void Remove(const QString& key);
    // No keyboard customisation saved yet: the program has never been closed normally.
    bool IsFirstStart() const;

    // Removes the settings tree: the maker's whole key when ours is its only subkey, else ours alone.
    void RemoveTree();
    void Sync();
    QString FileName() const;

private:
    explicit CSettingsStore(std::unique_ptr<QSettings> settings, QString makerFolder);
    QString ResolveGroup(const QString& group) const;
    QString GroupKey(const QString& group) const;

    std::unique_ptr<QSettings> m_settings;
    QString m_makerFolder; // the folder that stands for "Software\Pellamy" (file-based stores)
    uint32_t m_menuBarColor = 0xF0F0F0;
};

// Encodes a free text (a path) as one key name of the store: separators cannot appear in names.
QString EncodeStoreName(const QString& text);
QString DecodeStoreName(const QString& name);
