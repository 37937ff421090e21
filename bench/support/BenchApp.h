// What every widget benchmark needs: one application object on the offscreen platform and
// private settings in a temporary folder. Made in main() and torn down there, before the
// program's static objects go: a QApplication destroyed during static destruction crashes at exit.
#pragma once

#include "base/SettingsStore.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

struct BenchApp
{
    std::unique_ptr<QApplication> app;
    QTemporaryDir dir;
    std::unique_ptr<CSettingsStore> store;

    explicit BenchApp(const char* program)
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(program), nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        store = CSettingsStore::OpenFile(dir.path() + QStringLiteral("/Pellamy/Quorvane.ini"));
        CSettingsStore::Install(store.get());
        store->WriteDefaultGroup();
    }
    ~BenchApp()
    {
        CSettingsStore::Install(nullptr);
        store.reset();
        app.reset();
    }
    BenchApp(const BenchApp&) = delete;
    BenchApp& operator=(const BenchApp&) = delete;

    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
};

// The main() of a widget benchmark: makes the benchmark's environment (a BenchApp), points
// `current` at it while the benchmarks run, and tears it down before the program's statics.
template <typename Environment>
int RunBenchmarksWith(int argc, char** argv, Environment*& current)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    {
        Environment env;
        current = &env;
        benchmark::RunSpecifiedBenchmarks();
        current = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
