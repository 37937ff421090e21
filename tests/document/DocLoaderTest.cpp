// The background loader: what it reads, the edit lock while it runs, stopping, and files that change.
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

namespace {

QByteArray StoreContents(CQuorvaneDoc& doc)
{
    QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
    doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
    return out;
}

struct HookGuard
{
    explicit HookGuard(std::function<void(const QString&)> f) { CQuorvaneDoc::s_loaderStartHook = std::move(f); }
    ~HookGuard() { CQuorvaneDoc::s_loaderStartHook = nullptr; }
};

} // namespace

TEST(DocLoader, ReadsTheRestAndRestoresTheLock)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    // Exactly 1 MB: ten reads of nothing. 1 MB + 9: nine empty reads, then 9 bytes. A larger
    // file with a remainder that the tenth read takes, and one large enough for huge pages.
    for (qsizetype size : {qsizetype(0x100000), qsizetype(0x100000 + 9), qsizetype(0x100000 + 10 * 4099 + 7),
                           qsizetype(40 << 20) + 12345}) {
        const QByteArray bytes = TempFiles::Random(size, static_cast<uint32_t>(size));
        CQuorvaneDoc doc;
        QSignalSpy finished(&doc, &CQuorvaneDoc::loadingFinished);
        bool lockedWhileLoading = false;
        HookGuard hook([&](const QString&) { lockedWhileLoading = doc.EditLock() == 2 && doc.IsLoading(); });
        ASSERT_TRUE(doc.OnOpenDocument(files.Write("l.bin", bytes)));
        doc.WaitForLoader();
        EXPECT_TRUE(lockedWhileLoading);
        EXPECT_FALSE(doc.IsLoading());
        EXPECT_EQ(doc.EditLock(), 0u);
        EXPECT_FALSE(doc.IsIncomplete());
        EXPECT_EQ(StoreContents(doc), bytes);
        QCoreApplication::processEvents();
        EXPECT_EQ(finished.count(), 1);
    }
    EXPECT_TRUE(prompts.asked.empty());
}

TEST(DocLoader, EditLockCannotBeToggledWhileLoadingAndGroupLockIsKept)
{
    TestSettings settings;
    TempFiles files;
    settings->SetGroupSetting(SettingId::Editmode, 1, "*.*");
    const QString path = files.Write("g.bin", TempFiles::Random(0x100000 + 100));
    CQuorvaneDoc doc;
    HookGuard hook([&](const QString&) {
        // The user chooses 編集禁止 while the loader runs: nothing changes.
        doc.ToggleEditLock();
    });
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.WaitForLoader();
    EXPECT_EQ(doc.EditLock(), 1u); // the group's lock, not the toggled one
    // Bytes not loaded yet would read as 00, never as garbage: here all have arrived.
    EXPECT_EQ(doc.LoadedUpTo(), CQuorvaneDoc::kNone);
}

TEST(DocLoader, BytesAboveTheLoadedMarkReadAsZero)
{
    TestSettings settings;
    TempFiles files;
    QByteArray bytes(0x300000, '\x5A');
    const QString path = files.Write("z.bin", bytes);
    CQuorvaneDoc doc;
    std::atomic<bool> release{false};
    uint8_t seenFirst = 0, seenLate = 0xEE;
    HookGuard hook([&](const QString&) {
        // The loader has not read anything yet: the first megabyte is there, the rest is 00.
        seenFirst = doc.ByteAt(0xFFFFF);
        seenLate = doc.ByteAt(0x200000);
    });
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.WaitForLoader();
    EXPECT_EQ(seenFirst, 0x5A);
    EXPECT_EQ(seenLate, 0x00);
    EXPECT_EQ(doc.ByteAt(0x200000), 0x5A);
}

TEST(DocLoader, ClosingWhileLoadingStopsTheLoader)
{
    TestSettings settings;
    TempFiles files;
    const QString path = files.Sparse("big.bin", 300ull * 1024 * 1024, "tail");
    auto doc = std::make_unique<CQuorvaneDoc>();
    HookGuard hook([&](const QString&) { QThread::msleep(20); });
    ASSERT_TRUE(doc->OnOpenDocument(path));
    doc->OnCloseDocument(); // sets the stop flag and joins
    EXPECT_FALSE(doc->IsLoading());
    doc.reset();             // and destroying a document never leaves a thread behind
}

TEST(DocLoader, AFileThatShrinksWhileLoadingIsReportedAndNeverSaved)
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    const QByteArray bytes = TempFiles::Random(0x100000 * 3, 9);
    const QString path = files.Write("shrink.bin", bytes);
    CQuorvaneDoc doc;
    QSignalSpy failed(&doc, &CQuorvaneDoc::loaderFailed);
    HookGuard hook([&](const QString& p) { QFile(p).resize(0x100000 + 500); });
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.WaitForLoader();
    QCoreApplication::processEvents();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(doc.IsIncomplete());
    EXPECT_EQ(doc.EditLock(), 2u); // nothing may be edited on top of missing bytes
    EXPECT_EQ(doc.ByteAt(0x100000 + 499), static_cast<uint8_t>(bytes[0x100000 + 499]));
    EXPECT_EQ(doc.ByteAt(0x100000 + 500), 0);
    // Saving would write zeros for bytes never read: refused with a message.
    EXPECT_FALSE(doc.DoSave(files.Path("out.bin")));
    EXPECT_FALSE(QFile::exists(files.Path("out.bin")));
    EXPECT_FALSE(prompts.asked.empty());
    // Reloading reads what the file holds now.
    ASSERT_TRUE(doc.Reload());
    doc.WaitForLoader();
    EXPECT_FALSE(doc.IsIncomplete());
    EXPECT_EQ(doc.GetFileSize(), 0x100000u + 500);
    EXPECT_EQ(doc.EditLock(), 0u);
}

TEST(DocLoader, AFileThatVanishesBeforeTheLoaderOpensItIsReported)
{
    TestSettings settings;
    TempFiles files;
    const QString path = files.Write("gone.bin", TempFiles::Random(0x100000 + 64));
    CQuorvaneDoc doc;
    QSignalSpy failed(&doc, &CQuorvaneDoc::loaderFailed);
    HookGuard hook([&](const QString& p) { QFile::remove(p); });
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.WaitForLoader();
    QCoreApplication::processEvents();
    ASSERT_EQ(failed.count(), 1);
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
    EXPECT_TRUE(doc.IsIncomplete());
}

TEST(DocLoader, TheLockOpensOnlyOnceTheLoaderHasStopped)
{
    // A key let in by the lock found the loader still "running": its undo record was kept while
    // InsertBytes refused the edit. The lock must open after the running flag has fallen.
    TestSettings settings;
    TempFiles files;
    const QString path = files.Write("o.bin", TempFiles::Random(0x100000 + 4096, 5));
    CQuorvaneDoc doc;
    std::atomic<int> openedWhileLoading{0};
    std::atomic<int> opened{0};
    QObject::connect(&doc, &CQuorvaneDoc::editLockChanged, &doc, [&](uint32_t lock) {
        if (lock != 0)
            return;
        ++opened;
        if (doc.IsLoading())
            ++openedWhileLoading;
    }, Qt::DirectConnection); // runs in the loader thread, at the moment of the change
    ASSERT_TRUE(doc.OnOpenDocument(path));
    doc.WaitForLoader();
    EXPECT_EQ(opened.load(), 1);
    EXPECT_EQ(openedWhileLoading.load(), 0);
    EXPECT_EQ(doc.EditLock(), 0u);
}
