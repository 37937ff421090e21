// Typing 1,000 hex digits in insert mode at address 0 of a file held in memory (256 MB, or the
// size in MB given as the first argument): the time of each keystroke from the key event to the
// repainted view. With --listing, a listing of hits runs while the keys come, in five bursts of
// 200 keys with pauses between them in which the interrupted listing starts again.
#include "base/Messages.h"
#include "base/SettingsStore.h"
#include "document/QuorvaneDoc.h"
#include "search/SearchPattern.h"
#include "view/QuorvaneView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
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
    int megabytes = 256;
    bool listing = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--listing")
            listing = true;
        else if (atoi(argv[i]) > 0)
            megabytes = atoi(argv[i]);
    }
    QTemporaryDir dir;
    auto store = CSettingsStore::OpenFile(dir.path() + QStringLiteral("/Pellamy/Quorvane.ini"));
    CSettingsStore::Install(store.get());
    store->WriteDefaultGroup();
    store->SetGroupSetting(SettingId::Inputmode, 1, QStringLiteral("*.*")); // insert mode

    const QString path = dir.path() + QStringLiteral("/typing.bin");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        std::vector<char> block(1 << 20);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 7);
        for (int i = 0; i < megabytes; ++i)
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

    // A pattern with a hit every 256 bytes: the listing takes a while and hands over many lines.
    SearchPattern pattern = *SearchPattern::FromHexText(QStringLiteral("0007"), true);
    if (listing) {
        um::Search::Send(&view, &pattern, true);
        view.setFocus();
    }
    auto pause = [](int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
    };

    std::vector<double> ms;
    std::vector<double> firsts;
    const Qt::Key digits[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
                              Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_A, Qt::Key_B,
                              Qt::Key_C, Qt::Key_D, Qt::Key_E, Qt::Key_F};
    for (int i = 0; i < 1000; ++i) {
        if (listing && i % 200 == 0 && i > 0)
            pause(400); // typing pauses: the listing starts again and runs
        const auto t0 = std::chrono::steady_clock::now();
        QTest::keyClick(&view, digits[i % 16], Qt::NoModifier);
        view.viewport()->repaint();
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        if (i % 200 == 0)
            firsts.push_back(ms.back());
        if (listing)
            QApplication::processEvents(); // the listing's hand-overs between two keys
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("keystrokes: %zu  file: %llu bytes\n", ms.size(), static_cast<unsigned long long>(doc.GetFileSize()));
    std::printf("median %.3f ms  p99 %.3f ms  worst %.3f ms (keystroke %d)  first %.3f ms\n",
                sorted[sorted.size() / 2], sorted[sorted.size() * 99 / 100], sorted.back(),
                static_cast<int>(std::max_element(ms.begin(), ms.end()) - ms.begin()) + 1, ms.front());
    std::printf("first key of each burst:");
    for (double f : firsts)
        std::printf(" %.3f", f);
    std::printf(" ms%s\n", listing ? " (a listing running)" : "");
    std::printf("under one frame (16 ms): %zu of %zu\n",
                static_cast<size_t>(std::count_if(ms.begin(), ms.end(), [](double v) { return v < 16.0; })),
                ms.size());
    doc.OnCloseDocument();
    return 0;
}
