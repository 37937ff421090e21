// The 29 values of one settings group as the settings dialog shows and writes them.
#pragma once

#include "base/SettingsStore.h"

#include <QString>
#include <array>
#include <cstdint>

struct SettingsGroupValues
{
    // Values by SettingId; the FontName slot is unused (the name is `fontName`).
    std::array<int, kSettingCount> values{};
    QString fontName;

    int& operator[](SettingId id) { return values[static_cast<size_t>(id)]; }
    int operator[](SettingId id) const { return values[static_cast<size_t>(id)]; }

    // The group's values; missing and unreadable ones are the defaults.
    static SettingsGroupValues Read(const CSettingsStore& store, const QString& group);
    // Writes all 29 values, in SettingId order, into the group (created when missing).
    void Write(CSettingsStore& store, const QString& group) const;
    bool operator==(const SettingsGroupValues&) const = default;

    // Colour i (0-19) of the 配色 tab: even i the text colour of row i / 2, odd i its background.
    static SettingId ColorSetting(int i);
    // The label of row r (0-9) of the 配色 tab.
    static QString ColorRowLabel(int r);
};

// Why a group pattern cannot be a key of the settings store, or an empty text when it can.
QString GroupPatternProblem(const QString& pattern);
