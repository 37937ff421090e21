// The settings store over QSettings: group lookup, defaults, cursor positions, tree removal.
#include "base/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <cstdint>

namespace {

const QString kExtSetting = QStringLiteral("Settings/ExtSetting");
const QString kCurRest = QStringLiteral("Settings/CurRest");
const QString kFolderHistory = QStringLiteral("History/FF_FolderList");

struct SettingInfo { const char* name; int defaultValue; };

// Value names and defaults in SettingId order. FontName's default is text; Color_AddressBk's is
// the menu-bar colour and is filled in at read time.
constexpr std::array<SettingInfo, kSettingCount> kSettings = {{
    {"CharCode", 2},
    {"Inputmode", 0},
    {"ByteOrder", 0},
    {"Editmode", 0},
    {"Backup", 1},
    {"UndobufClear", 0},
    {"CursorRestore", 0},
    {"FontSize", 14},
    {"FontName", 0},
    {"Color_Text", 0x000000},
    {"Color_TextBk", 0xFFFFFF},
    {"Color_AddressBk", 0},
    {"Color_AddressTxt", 0x000000},
    {"Color_BookmarkBk", 0xFFEA00},
    {"Color_BookmarkTxt", 0x000000},
    {"Color_FindBk", 0xC88CFF},
    {"Color_FindTxt", 0x000000},
    {"Color_DiffpBk", 0xFFFFFF},
    {"Color_DiffpTxt", 0x00C800},
    {"Color_DiffmBk", 0xFFFFFF},
    {"Color_DiffmTxt", 0x0000FF},
    {"Color_EOFBk", 0xFFC8C8},
    {"Color_EOFTxt", 0x000000},
    {"Color_SelBk", 0xFFD8B1},
    {"Color_SelTxt", 0x000000},
    {"Color_StructRangeBk", 0xD0D0D0},
    {"Color_StructRangeTxt", 0x0000D5},
    {"Color_StructSelBk", 0xF1907C},
    {"Color_StructSelTxt", 0x50FF00},
}};

const QString kDefaultFontName = QStringLiteral("FixedSys");
const QString kDefaultFileTypes = QStringLiteral("*.* *.exe *.dat *.dat;*.ini");

CSettingsStore* g_current = nullptr;

bool ValidId(SettingId id)
{
    int i = static_cast<int>(id);
    return i >= 0 && i < kSettingCount && id != SettingId::FontName;
}

// Step 3 of the group lookup: does the pattern `name` match `key`? Case-sensitive.
bool PatternMatches(const QString& name, const QString& key)
{
    const QStringList pieces = name.split(QLatin1Char('*'), Qt::SkipEmptyParts);
    qsizetype p = 0;
    for (const QString& s : pieces) {
        if (name.contains(s + QLatin1Char('*'))) {
            qsizetype found = key.indexOf(s, p);
            if (found < 0)
                return false;
            p = found;
        } else if (!key.endsWith(s)) {
            return false;
        }
    }
    return true;
}

} // namespace

QString EncodeStoreName(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('%'))
            out += QLatin1String("%25");
        else if (c == QLatin1Char('/'))
            out += QLatin1String("%2F");
        else if (c == QLatin1Char('\\'))
            out += QLatin1String("%5C");
        else
            out += c;
    }
    return out;
}

QString DecodeStoreName(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('%') && i + 2 < name.size()) {
            const QString code = name.mid(i + 1, 2).toUpper();
            if (code == QLatin1String("25")) { out += QLatin1Char('%'); i += 2; continue; }
            if (code == QLatin1String("2F")) { out += QLatin1Char('/'); i += 2; continue; }
            if (code == QLatin1String("5C")) { out += QLatin1Char('\\'); i += 2; continue; }
        }
        out += name[i];
    }
    return out;
}

CSettingsStore::CSettingsStore(std::unique_ptr<QSettings> settings, QString makerFolder)
    : m_settings(std::move(settings)), m_makerFolder(std::move(makerFolder))
{
}

std::unique_ptr<CSettingsStore> CSettingsStore::OpenUserStore()
{
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("Pellamy"), QStringLiteral("Quorvane"));
    QString maker;
#ifndef Q_OS_WIN
    maker = QFileInfo(settings->fileName()).absolutePath();
#endif
    return std::unique_ptr<CSettingsStore>(new CSettingsStore(std::move(settings), maker));
}

std::unique_ptr<CSettingsStore> CSettingsStore::OpenFile(const QString& path)
{
    QFileInfo info(path);
    QDir().mkpath(info.absolutePath());
    auto settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    return std::unique_ptr<CSettingsStore>(new CSettingsStore(std::move(settings), info.absolutePath()));
}

CSettingsStore& CSettingsStore::Current()
{
    if (!g_current) {
        // Nothing installed yet (a tool without an application object): use the user's store.
        static std::unique_ptr<CSettingsStore> fallback = OpenUserStore();
        return *fallback;
    }
    return *g_current;
}

CSettingsStore* CSettingsStore::Install(CSettingsStore* store)
{
    CSettingsStore* previous = g_current;
    g_current = store;
    return previous;
}

QString CSettingsStore::ValueName(SettingId id)
{
    int i = static_cast<int>(id);
    if (i < 0 || i >= kSettingCount)
        return {};
    return QString::fromLatin1(kSettings[i].name);
}

int CSettingsStore::DefaultValue(SettingId id, uint32_t menuBarColor)
{
    if (id == SettingId::Color_AddressBk)
        return static_cast<int>(menuBarColor);
    int i = static_cast<int>(id);
    if (i < 0 || i >= kSettingCount)
        return 0;
    return kSettings[i].defaultValue;
}

QString CSettingsStore::ResolveGroup(const QString& group) const
{
    // Registry key names ignore case: "*.DAT" names the same key as "*.dat".
    m_settings->beginGroup(kExtSetting);
    const QStringList names = m_settings->childGroups();
    m_settings->endGroup();
    for (const QString& n : names)
        if (n.compare(group, Qt::CaseInsensitive) == 0)
            return n;
    return group;
}

QString CSettingsStore::GroupKey(const QString& group) const
{
    return kExtSetting + QLatin1Char('/') + ResolveGroup(group);
}

int CSettingsStore::GetGroupSetting(SettingId id, const QString& group) const
{
    if (!ValidId(id))
        return 0;
    const QVariant v = m_settings->value(GroupKey(group) + QLatin1Char('/') + ValueName(id));
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    // A value that cannot be read, or that no version of the program writes (hand-edited),
    // counts as missing.
    if (!v.isValid() || !ok || n < INT32_MIN || n > UINT32_MAX
        || !IsValidValue(id, static_cast<int>(static_cast<uint32_t>(n))))
        return DefaultValue(id, m_menuBarColor);
    return static_cast<int>(static_cast<uint32_t>(n));
}

bool CSettingsStore::IsValidValue(SettingId id, int value)
{
    switch (id) {
    case SettingId::CharCode:
        return value >= 0 && value <= 8;
    case SettingId::Inputmode: case SettingId::ByteOrder: case SettingId::Editmode:
    case SettingId::Backup: case SettingId::UndobufClear: case SettingId::CursorRestore:
        return value == 0 || value == 1;
    case SettingId::FontSize:
        return value >= kMinFontSize && value <= kMaxFontSize;
    case SettingId::FontName:
        return false;
    default:
        // Colours: 0x00BBGGRR.
        return (static_cast<uint32_t>(value) & 0xFF000000u) == 0;
    }
}

void CSettingsStore::SetGroupSetting(SettingId id, int value, const QString& group)
{
    if (!ValidId(id))
        return;
    m_settings->setValue(GroupKey(group) + QLatin1Char('/') + ValueName(id), value);
}

QString CSettingsStore::GetGroupFontName(const QString& group) const
{
    return m_settings->value(GroupKey(group) + QLatin1String("/FontName"), kDefaultFontName).toString();
}

void CSettingsStore::SetGroupFontName(const QString& group, const QString& name)
{
    m_settings->setValue(GroupKey(group) + QLatin1String("/FontName"), name);
}

QString CSettingsStore::FindSettingsGroup(const QString& path) const
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString key = QLatin1Char('*') + (dot >= 0 ? path.mid(dot) : path);
    if (GroupExists(key))
        return key;
    for (const QString& name : GroupNames()) {
        if (name == QLatin1String("*.*"))
            continue;
        if (PatternMatches(name, key))
            return name;
    }
    return QStringLiteral("*.*");
}

void CSettingsStore::WriteDefaultGroup()
{
    const QString group = QStringLiteral("*.*");
    for (int i = 0; i < kSettingCount; ++i) {
        auto id = static_cast<SettingId>(i);
        if (id == SettingId::FontName)
            SetGroupFontName(group, kDefaultFontName);
        else
            SetGroupSetting(id, DefaultValue(id, m_menuBarColor), group);
    }
}

QStringList CSettingsStore::GroupNames() const
{
    m_settings->beginGroup(kExtSetting);
    QStringList names = m_settings->childGroups();
    m_settings->endGroup();
    return names;
}

bool CSettingsStore::GroupExists(const QString& group) const
{
    for (const QString& n : GroupNames())
        if (n.compare(group, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void CSettingsStore::DeleteGroup(const QString& group)
{
    m_settings->remove(GroupKey(group));
}

std::optional<uint32_t> CSettingsStore::ReadCursorPosition(const QString& fullPath) const
{
    m_settings->beginGroup(kCurRest);
    const QStringList keys = m_settings->childKeys();
    std::optional<uint32_t> result;
    for (const QString& k : keys) {
        if (DecodeStoreName(k) == fullPath) {
            result = static_cast<uint32_t>(m_settings->value(k).toLongLong());
            break;
        }
    }
    m_settings->endGroup();
    return result;
}

void CSettingsStore::WriteCursorPosition(const QString& fullPath, uint32_t address)
{
    m_settings->setValue(kCurRest + QLatin1Char('/') + EncodeStoreName(fullPath),
                         static_cast<qlonglong>(address));
}

bool CSettingsStore::CursorRecordingEnabled() const
{
    return m_settings->value(QStringLiteral("Settings/CursorRestore"), 1).toInt() != 0;
}

QString CSettingsStore::FolderSearchFileTypes() const
{
    return m_settings->value(QStringLiteral("Settings/FF_FileType"), kDefaultFileTypes).toString();
}

void CSettingsStore::SetFolderSearchFileTypes(const QString& types)
{
    m_settings->setValue(QStringLiteral("Settings/FF_FileType"), types);
}

QStringList CSettingsStore::FolderHistory() const
{
    m_settings->beginGroup(kFolderHistory);
    const QStringList keys = m_settings->childKeys();
    std::vector<std::pair<int, QString>> ordered;
    for (const QString& k : keys)
        ordered.emplace_back(m_settings->value(k).toInt(), DecodeStoreName(k));
    m_settings->endGroup();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList result;
    for (auto& [pos, folder] : ordered)
        result << folder;
    return result;
}

void CSettingsStore::SetFolderHistory(const QStringList& folders)
{
    m_settings->remove(kFolderHistory);
    for (int i = 0; i < folders.size(); ++i)
        m_settings->setValue(kFolderHistory + QLatin1Char('/') + EncodeStoreName(folders[i]), i);
}

QVariant CSettingsStore::Value(const QString& key, const QVariant& fallback) const
{
    return m_settings->value(key, fallback);
}

void CSettingsStore::SetValue(const QString& key, const QVariant& value)
{
    m_settings->setValue(key, value);
}

void CSettingsStore::Remove(const QString& key)
{
    m_settings->remove(key);
}

bool CSettingsStore::IsFirstStart() const
{
    return !m_settings->contains(QStringLiteral("Workspace/Keyboard-0/Accelerators"));
}

void CSettingsStore::RemoveTree()
{
#ifdef Q_OS_WIN
    m_settings->clear();
    m_settings->sync();
    QSettings maker(QStringLiteral("HKEY_CURRENT_USER\\Software\\Pellamy"), QSettings::NativeFormat);
    if (maker.childGroups().size() <= 1)
        maker.remove(QString());
    QSettings software(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat);
    if (maker.childGroups().isEmpty())
        software.remove(QStringLiteral("Pellamy"));
#else
    m_settings->clear();
    m_settings->sync();
    const QString file = m_settings->fileName();
    QFile::remove(file);
    // The maker's folder holds one entry per product: ours alone means the whole key goes.
    QDir maker(m_makerFolder);
    if (!m_makerFolder.isEmpty() && maker.exists()) {
        const QStringList rest = maker.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        const QString ours = QFileInfo(file).fileName();
        bool onlyOurs = rest.isEmpty() || (rest.size() == 1 && rest.front().startsWith(ours));
        if (onlyOurs)
            maker.removeRecursively();
    }
#endif
}

void CSettingsStore::Sync()
{
    m_settings->sync();
}

QString CSettingsStore::FileName() const
{
    return m_settings->fileName();
}
