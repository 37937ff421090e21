// A private settings store in a temporary folder, installed for the duration of a test.
#pragma once

#include "base/SettingsStore.h"

#include <QTemporaryDir>
#include <memory>

struct TestSettings
{
    QTemporaryDir dir;
    std::unique_ptr<CSettingsStore> store;
    CSettingsStore* previous = nullptr;

    TestSettings()
    {
        store = CSettingsStore::OpenFile(dir.path() + QStringLiteral("/Pellamy/Quorvane.ini"));
        previous = CSettingsStore::Install(store.get());
    }
    ~TestSettings() { CSettingsStore::Install(previous); }
    CSettingsStore* operator->() { return store.get(); }
};
