// Tests of the replace loop on documents in memory and in direct edit mode.
#include "search/ReplaceEngine.h"

#include "document/FileGrowth.h"
#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "SearchTestSupport.h"
#include "SmallFileSystem.h"
#include "TestSettings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

using namespace testsupport;

namespace {

struct ReplaceFixture : ::testing::Test
{
    TestSettings settings;
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    CQuorvaneDoc doc;

    void Open(const std::vector<uint8_t>& bytes, bool direct = false)
    {
        const QString path = dir.filePath("doc.bin");
        ASSERT_TRUE(WriteFile(path, bytes));
        ASSERT_TRUE(doc.OnOpenDocument(path, direct));
        doc.WaitForLoader();
        doc.SetEditLock(0);
    }
    std::vector<uint8_t> Content()
    {
        if (doc.IsDirectEdit())
            return ReadFile(doc.PathName());
        std::vector<uint8_t> v(doc.GetFileSize());
        doc.ReadBytes(0, v.data(), v.size());
        return v;
    }
    ReplaceOutcome Replace(const char* hex, const QString& number, ReplaceScope scope, SearchCursor& s,
                           std::vector<ReplaceDecision> answers = {ReplaceDecision::ReplaceAll},
                           bool fromString = false)
    {
        const auto pattern = *SearchPattern::FromHexText(hex, true);
        const auto request = *ReplaceRequest::Build(number, fromString, scope);
        size_t asked = 0;
        ReplaceCallbacks cb;
        cb.decide = [&](const SearchCursor&) {
            return asked < answers.size() ? answers[asked++] : ReplaceDecision::Stop;
        };
        return RunReplace(doc, pattern, request, s, cb);
    }
};

using Bytes = std::vector<uint8_t>;

} // namespace

TEST_F(ReplaceFixture, WholeDocumentDeletionAndOneUndoPerHit)
{
    Open({0x41, 0x42, 0x00, 0x41, 0x42});
    SearchCursor s;
    s.cursor = 3;
    const ReplaceOutcome o = Replace("4142", "", ReplaceScope::Whole, s);
    EXPECT_EQ(o.replaced, 2u);
    EXPECT_EQ(Content(), (Bytes{0x00}));
    EXPECT_EQ(doc.GetFileSize(), 1u);
    EXPECT_EQ(s.findPos, kNoAddress);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Content(), (Bytes{0x00, 0x41, 0x42}));
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Content(), (Bytes{0x41, 0x42, 0x00, 0x41, 0x42}));
    EXPECT_FALSE(doc.CanUndo());
}

TEST_F(ReplaceFixture, DownwardFromTheCursorWithALongerReplacement)
{
    Open({0x41, 0x00, 0x41});
    SearchCursor s;
    s.cursor = 2; // on the second 41
    EXPECT_EQ(Replace("41", "0x3E7", ReplaceScope::Downward, s).replaced, 1u);
    EXPECT_EQ(Content(), (Bytes{0x41, 0x00, 0xE7, 0x03}));
    EXPECT_EQ(s.cursor, 4u); // behind the replacement
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Content(), (Bytes{0x41, 0x00, 0x41}));

    // Upward from the end finds the first one as well.
    SearchCursor up;
    up.cursor = 2;
    EXPECT_EQ(Replace("41", "999", ReplaceScope::Upward, up).replaced, 2u);
    EXPECT_EQ(Content(), (Bytes{0xE7, 0x03, 0x00, 0xE7, 0x03}));
}

TEST_F(ReplaceFixture, ReplacementsHoldingThePatternEnd)
{
    // Every 41 becomes 41 41: downward the search goes on behind the inserted bytes.
    Open({0x41, 0x00, 0x41, 0x41});
    SearchCursor s;
    EXPECT_EQ(Replace("41", "0x4141", ReplaceScope::Whole, s).replaced, 3u);
    EXPECT_EQ(Content(), (Bytes{0x41, 0x41, 0x00, 0x41, 0x41, 0x41, 0x41}));

    // Upward with a hit at address 0 whose replacement holds the pattern again.
    SearchCursor up;
    up.cursor = 6;
    EXPECT_EQ(Replace("4141", "0x414141", ReplaceScope::Upward, up).replaced, 3u);
    // Skipping every hit at address 0 ends too, with the document unchanged.
    const Bytes before = Content();
    SearchCursor skip;
    skip.cursor = 0;
    const ReplaceOutcome o = Replace("41", "0x42", ReplaceScope::Upward, skip,
                                     std::vector<ReplaceDecision>(50, ReplaceDecision::Skip));
    EXPECT_EQ(o.replaced, 0u);
    EXPECT_EQ(o.skipped, 1u);
    EXPECT_EQ(Content(), before);
}

TEST_F(ReplaceFixture, SelectionScopeDecisionsAndLock)
{
    Open({0x00, 0x41, 0x42, 0x00, 0x41, 0x42, 0x41, 0x42});
    // Exactly the bytes of one hit: replaced; a hit reaching one byte past the end: not.
    SearchCursor s;
    s.selStart = 1;
    s.selEnd = 4;
    EXPECT_EQ(Replace("4142", "0x5A5B", ReplaceScope::Selection, s, {}, true).replaced, 0u); // dialog closed: stop
    EXPECT_EQ(Content(), (Bytes{0x00, 0x41, 0x42, 0x00, 0x41, 0x42, 0x41, 0x42}));
    EXPECT_EQ(Replace("4142", "0x5A5B", ReplaceScope::Selection, s, {ReplaceDecision::Replace, ReplaceDecision::Replace}, true).replaced, 1u);
    EXPECT_EQ(Content(), (Bytes{0x00, 0x5A, 0x5B, 0x00, 0x41, 0x42, 0x41, 0x42}));
    EXPECT_EQ(s.selStart, 1u); // the selection stays where it was
    EXPECT_EQ(s.selEnd, 4u);

    // 次を検索 on every hit changes nothing; キャンセル stops at once.
    SearchCursor all;
    const ReplaceOutcome skip = Replace("4142", "", ReplaceScope::Whole, all,
                                        {ReplaceDecision::Skip, ReplaceDecision::Skip, ReplaceDecision::Skip});
    EXPECT_EQ(skip.skipped, 2u);
    EXPECT_EQ(Content(), (Bytes{0x00, 0x5A, 0x5B, 0x00, 0x41, 0x42, 0x41, 0x42}));
    SearchCursor stop;
    const ReplaceOutcome stopped = Replace("4142", "", ReplaceScope::Whole, stop,
                                           {ReplaceDecision::Replace, ReplaceDecision::Stop});
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(Content(), (Bytes{0x00, 0x5A, 0x5B, 0x00, 0x41, 0x42}));

    // A locked document: nothing happens, without a question.
    doc.SetEditLock(1);
    SearchCursor locked;
    EXPECT_EQ(Replace("4142", "", ReplaceScope::Whole, locked).replaced, 0u);
    EXPECT_EQ(Content(), (Bytes{0x00, 0x5A, 0x5B, 0x00, 0x41, 0x42}));
}

TEST_F(ReplaceFixture, DirectEditModeChangesTheFileWithoutRecords)
{
    Open({0x41, 0x42, 0x00, 0x41, 0x42, 0x43}, true);
    ASSERT_TRUE(doc.IsDirectEdit());
    SearchCursor s;
    EXPECT_EQ(Replace("4142", "0x4142434445", ReplaceScope::Whole, s, {ReplaceDecision::ReplaceAll}, true).replaced, 2u);
    EXPECT_EQ(Content(), (Bytes{0x41, 0x42, 0x43, 0x44, 0x45, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45, 0x43}));
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.GetFileSize(), 12u);
}

TEST_F(ReplaceFixture, DirectEditModeGivesTheBytesOfMemoryForEveryReplacementLength)
{
    // Hits at the start, in the middle (two adjacent) and at the very end of the file.
    const Bytes start{0x41, 0x42, 0x43, 0x00, 0x41, 0x42, 0x43, 0x41, 0x42, 0x43, 0x07, 0x41, 0x42, 0x43};
    for (const char* number : {"0x44434241", "0x464544", "0x4847", "0x49", ""}) {
        SCOPED_TRACE(number);
        Open(start);
        SearchCursor inMemory;
        EXPECT_EQ(Replace("414243", QString::fromLatin1(number), ReplaceScope::Whole, inMemory,
                          {ReplaceDecision::ReplaceAll}, true).replaced, 4u);
        const Bytes expected = Content();

        Open(start, true);
        doc.SetWindowRows(0, 4); // a view shows the file: every step reloads its rows
        SearchCursor onDisk;
        EXPECT_EQ(Replace("414243", QString::fromLatin1(number), ReplaceScope::Whole, onDisk,
                          {ReplaceDecision::ReplaceAll}, true).replaced, 4u);
        EXPECT_EQ(Content(), expected);
        EXPECT_EQ(doc.GetFileSize(), expected.size());
        if (!expected.empty()) {
            EXPECT_EQ(doc.ByteAt(0), expected[0]);
        }
    }
}

TEST_F(ReplaceFixture, DirectEditModeStopsBeforeAHitTheDiskHasNoRoomFor)
{
    // Three hits; the disk has room for the growth of the first only. Before, the second hit was
    // overwritten first and then its insertion failed half-way through moving the tail.
    const Bytes start{0x41, 0x42, 0x00, 0x41, 0x42, 0x01, 0x41, 0x42, 0x02};
    Open(start, true);
    int reservations = 0;
    g_reserveFileLengthHook = [&](uint64_t) { return ++reservations > 1 ? ENOSPC : 0; };
    SearchCursor s;
    const ReplaceOutcome out = Replace("4142", "0x5A5B4344", ReplaceScope::Whole, s, {ReplaceDecision::ReplaceAll}, true);
    g_reserveFileLengthHook = nullptr;
    EXPECT_TRUE(out.failed);
    EXPECT_FALSE(out.partial); // the failing hit was left whole
    EXPECT_EQ(out.replaced, 1u);
    EXPECT_EQ(Content(), (Bytes{0x5A, 0x5B, 0x43, 0x44, 0x00, 0x41, 0x42, 0x01, 0x41, 0x42, 0x02}));
    EXPECT_EQ(doc.GetFileSize(), 11u);
    EXPECT_EQ(prompter.asked.size(), 1u);
}

TEST_F(ReplaceFixture, DirectEditModeOnAFullDiskLeavesTheFileAsItWas)
{
    SmallFileSystem fs(192);
    if (!fs.Mounted())
        GTEST_SKIP() << "no right to mount a small file system here";
    // Whole pages: any growth needs one more. Hits near the start, so the tail would have to move.
    Bytes bytes(0x28000, 0x11);
    for (size_t at : {size_t(8), size_t(0x1000), size_t(0x20000)}) {
        bytes[at] = 0x41;
        bytes[at + 1] = 0x42;
    }
    const QString path = fs.Path("full.bin");
    ASSERT_TRUE(WriteFile(path, bytes));
    fs.Fill();
    ASSERT_TRUE(doc.OnOpenDocument(path, true));
    doc.SetEditLock(0);
    SearchCursor s;
    const ReplaceOutcome out = Replace("4142", "0x414243", ReplaceScope::Whole, s, {ReplaceDecision::ReplaceAll}, true);
    EXPECT_TRUE(out.failed);
    EXPECT_FALSE(out.partial);
    EXPECT_EQ(out.replaced, 0u);
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(ReplaceFixture, ManyHitsInALargeDocument)
{
    // 20,000 hits spread over 4 MB, replaced by a longer sequence in one run.
    Bytes d = RandomBytes(4'000'000, 9, 100); // bytes 41..A4: FE FF only where planted
    size_t planted = 0;
    for (size_t at = 100; at + 2 < d.size(); at += 200, ++planted) {
        d[at] = 0xFE;
        d[at + 1] = 0xFF;
    }
    Open(d);
    SearchCursor s;
    EXPECT_EQ(Replace("FEFF", "0x010203", ReplaceScope::Whole, s, {ReplaceDecision::ReplaceAll}, true).replaced, planted);
    EXPECT_EQ(doc.GetFileSize(), d.size() + planted);
    EXPECT_EQ(doc.UndoJournal().size(), planted);
}
