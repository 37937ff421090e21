// The gap buffer against a plain byte array under random edits.
#include "document/ByteStore.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {
std::vector<uint8_t> Contents(ByteStore& s)
{
    std::vector<uint8_t> out(s.Size());
    if (!out.empty())
        s.Read(0, out.data(), out.size());
    return out;
}
} // namespace

TEST(ByteStore, RandomEditsMatchAPlainArray)
{
    std::mt19937 rng(7);
    ByteStore store;
    std::vector<uint8_t> model(1000);
    for (size_t i = 0; i < model.size(); ++i)
        model[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(store.ResizeZeroed(model.size()));
    store.Overwrite(0, model.data(), model.size());

    for (int step = 0; step < 5000; ++step) {
        const size_t at = model.empty() ? 0 : rng() % (model.size() + 1);
        std::vector<uint8_t> data(rng() % 40);
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        switch (rng() % 3) {
        case 0:
            ASSERT_TRUE(store.Insert(at, data.data(), data.size()));
            model.insert(model.begin() + static_cast<long>(at), data.begin(), data.end());
            break;
        case 1: {
            const size_t n = std::min(data.size(), model.size() - at);
            store.Remove(at, n);
            model.erase(model.begin() + static_cast<long>(at), model.begin() + static_cast<long>(at + n));
            break;
        }
        default: {
            const size_t n = std::min(data.size(), model.size() - at);
            store.Overwrite(at, data.data(), n);
            std::copy(data.begin(), data.begin() + static_cast<long>(n), model.begin() + static_cast<long>(at));
        }
        }
        ASSERT_EQ(store.Size(), model.size());
        if (step % 97 == 0) {
            ASSERT_EQ(Contents(store), model);
            if (!model.empty()) {
                ASSERT_EQ(store.At(model.size() - 1), model.back());
            }
        }
    }
    // Closing the gap keeps the bytes.
    const uint8_t* p = store.Contiguous();
    ASSERT_EQ(std::vector<uint8_t>(p, p + store.Size()), model);
}

TEST(ByteStore, LargeStoreIsPageAlignedAndKeepsItsBytesWhenItGrows)
{
    // A store large enough for its own mapping: the loader reads into it page to page, and
    // insertions that outgrow its gap remap it without losing or shifting a byte.
    ByteStore s;
    const size_t n = size_t(3) << 20;
    ASSERT_TRUE(s.ResizeZeroed(n));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(s.RawForLoading()) % 4096, 0u);
    std::vector<uint8_t> model(n);
    for (size_t i = 0; i < n; ++i)
        model[i] = static_cast<uint8_t>(i * 13 + (i >> 12));
    s.PrepareForLoading(4096, n - 4096);
    std::copy(model.begin(), model.end(), s.RawForLoading());
    EXPECT_EQ(s.ContiguousIfClosed(), s.RawForLoading());

    std::vector<uint8_t> inserted(size_t(5) << 20, 0xA5); // more than the gap: the block grows
    ASSERT_TRUE(s.Insert(12345, inserted.data(), inserted.size()));
    model.insert(model.begin() + 12345, inserted.begin(), inserted.end());
    EXPECT_EQ(s.ContiguousIfClosed(), nullptr); // the gap sits behind the insertion now
    ASSERT_TRUE(s.Insert(model.size() - 7, inserted.data(), 100));
    model.insert(model.end() - 7, inserted.begin(), inserted.begin() + 100);
    s.Remove(1, 2);
    model.erase(model.begin() + 1, model.begin() + 3);
    EXPECT_EQ(Contents(s), model);
    EXPECT_TRUE(std::equal(model.begin(), model.end(), s.Contiguous()));
    s.Clear();
    EXPECT_EQ(s.Size(), 0u);
}

TEST(ByteStore, AFileJustOpenedKeepsItsGapInFrontAndStillReadsAndGrowsRight)
{
    // The gap of a file just opened stands at its start: the loader's part lands page aligned
    // behind it, typing at the start moves no byte, and everything else works as with the gap
    // at the end.
    for (const size_t n : {size_t(100), size_t(3) << 20}) {
        ByteStore s;
        ASSERT_TRUE(s.ResizeZeroed(n, ByteStore::GapPlace::Start));
        std::vector<uint8_t> model(n);
        for (size_t i = 0; i < n; ++i)
            model[i] = static_cast<uint8_t>(i * 29 + (i >> 12));
        if (n >= (size_t(1) << 20)) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(s.RawForLoading()) % 4096, 0u);
            EXPECT_EQ(s.ContiguousIfClosed(), nullptr);
        } else {
            EXPECT_EQ(s.ContiguousIfClosed(), s.RawForLoading()); // small: no gap at all
        }
        s.PrepareForLoading(0, n);
        std::copy(model.begin(), model.end(), s.RawForLoading());
        EXPECT_EQ(Contents(s), model);
        EXPECT_EQ(s.At(0), model[0]);
        EXPECT_EQ(s.At(n - 1), model[n - 1]);

        const uint8_t typed[] = {0x31, 0x32};
        ASSERT_TRUE(s.Insert(0, typed, 2));
        model.insert(model.begin(), typed, typed + 2);
        ASSERT_TRUE(s.Insert(n / 2, typed, 1));
        model.insert(model.begin() + static_cast<long>(n / 2), typed[0]);
        std::vector<uint8_t> big(size_t(2) << 20, 0x5A); // outgrows the gap
        ASSERT_TRUE(s.Insert(1, big.data(), big.size()));
        model.insert(model.begin() + 1, big.begin(), big.end());
        s.Overwrite(model.size() - 1, typed, 1);
        model.back() = typed[0];
        EXPECT_EQ(Contents(s), model);
        EXPECT_TRUE(std::equal(model.begin(), model.end(), s.Contiguous()));
        EXPECT_NE(s.ContiguousIfClosed(), nullptr);
    }
}
