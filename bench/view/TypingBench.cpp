// Typing 1,000 hex digits in insert mode at address 0 of a 256 MB file held in memory: the time of
// each keystroke from the key event to the repainted view.
#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "view/QuorvaneView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    auto store = CSettingsStore::OpenFile(dir.path() + QStringLiteral("/Pellamy/Quorvane.ini"));
    CSettingsStore::Install(store.get());
    store->WriteDefaultGroup();
    store->SetGroupSetting(SettingId::Inputmode, 1, QStringLiteral("*.*")); // insert mode

    const QString path = dir.path() + QStringLiteral("/256m.bin");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 7);
        for (int i = 0; i < 256; ++i)
            f.write(block.data(), static_cast<qint64>(block.size()));
    }
    CQuorvaneDoc doc;
    doc.OnOpenDocument(path);
    doc.WaitForLoader();
    QApplication::processEvents();
    CQuorvaneView view(&doc);
    view.resize(1000, 700);
    view.show();
    view.OnInitialUpdate();
    view.setFocus();
    QApplication::processEvents();

    std::vector<double> ms;
    const Qt::Key digits[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                              Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_A, Qt::Key_B,
                              Qt::Key_C, Qt::Key_D, Qt::Key_E, Qt::Key_F};
    for (int i = 0; i < 1000; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        QTest::keyClick(&view, digits[i % 16], Qt::NoModifier);
        view.viewport()->repaint();
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("keystrokes: %zu  file: %llu bytes\n", ms.size(), static_cast<unsigned long long>(doc.GetFileSize()));
    std::printf("median %.3f ms  p99 %.3f ms  worst %.3f ms (keystroke %d)  first %.3f ms\n",
                sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back(),
                static_cast<int>(std::max_element(ms.begin(), ms.end()) - ms.begin()) + 1, ms.front());
    std::printf("under one frame (16 ms): %zu of %zu\n",
                static_cast<size_t>(std::count_if(ms.begin(), ms.end(), [](double v) { return v < 16.0; })),
                ms.size());
    doc.OnCloseDocument();
    return 0;
}
