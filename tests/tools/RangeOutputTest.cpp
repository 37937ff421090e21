// Range output: the dialog's checks in their order, and the copy from memory and from disk.
#include "tools/RangeOutput.h"

#include "document/ByteSource.h"

#include "ToolsTestSupport.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString Check(const QString& start, const QString& end, uint64_t size, const QString& dest = QStringLiteral("out.bin"))
{
    RangeOutputRequest r;
    return ValidateRangeOutput({start, end, dest, size}, r);
}

} // namespace

TEST(RangeOutputTest, ValidationMessagesComeInTheirOrder)
{
    EXPECT_EQ(Check("1G", "ZZ", 0x100, ""), QStringLiteral("開始アドレスが正しくありません。"));
    EXPECT_EQ(Check("10", "ZZ", 0x100, ""), QStringLiteral("終了アドレスが正しくありません。"));
    EXPECT_EQ(Check("20", "10", 0x100, ""), QStringLiteral("開始アドレスが不正な値です。"));
    EXPECT_EQ(Check("10", "100", 0x100, ""), QStringLiteral("終了アドレスがファイルサイズを超えています。"));
    EXPECT_EQ(Check("10", "FF", 0x100, ""), QStringLiteral("出力先が未入力です。"));
    EXPECT_EQ(Check("", "", 1), QString()); // empty fields are address 0: one byte
    // Lower case passes; 17 significant digits do not wrap to a small address.
    RangeOutputRequest r;
    EXPECT_EQ(ValidateRangeOutput({"a0", "0000ff", "o", 0x100}, r), QString());
    EXPECT_EQ(r.start, 0xA0u);
    EXPECT_EQ(r.end, 0xFFu);
    EXPECT_EQ(Check("10000000000000000", "1", 0x100), QStringLiteral("開始アドレスが正しくありません。"));
    EXPECT_EQ(Check("0", "FFFFFFFFFFFFFFFF", 0x100), QStringLiteral("終了アドレスがファイルサイズを超えています。"));
    EXPECT_EQ(Check("0", "-1", 0x100), QStringLiteral("終了アドレスが正しくありません。"));
}

TEST(RangeOutputTest, CopiesFromMemoryAndDiskAndReplacesOnlyWhenComplete)
{
    const QByteArray bytes = ToolDoc::Count(256).repeated(40000); // ~10 MB: several blocks
    ToolDoc mem(bytes);
    const QString dest = mem.files.Path("range.bin");
    mem.files.Write("range.bin", QByteArray(20000000, 'x')); // an existing, longer file is replaced
    QString error;
    {
        auto source = mem.doc.OpenSource();
        ASSERT_TRUE(WriteRangeToFile(*source, {0x10, 0x987654, dest}, {}, &error)) << error.toStdString();
    }
    EXPECT_EQ(TempFiles::Read(dest), bytes.mid(0x10, 0x987654 - 0x10 + 1));

    // From a file on disk (direct edit), through the last byte.
    FileByteSource file(mem.path);
    ASSERT_TRUE(WriteRangeToFile(file, {0, static_cast<uint64_t>(bytes.size() - 1), dest}, {}, &error));
    EXPECT_EQ(TempFiles::Read(dest), bytes);

    // A cancelled copy leaves the old destination whole and no temporary file behind.
    mem.files.Write("old.bin", "old");
    const QString old = mem.files.Path("old.bin");
    int calls = 0;
    EXPECT_FALSE(WriteRangeToFile(file, {0, static_cast<uint64_t>(bytes.size() - 1), old},
                                  [&](uint64_t, uint64_t) { return ++calls < 2; }, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(TempFiles::Read(old), "old");
    EXPECT_EQ(QDir(mem.files.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // doc, range, old
}

TEST(RangeOutputTest, UnwritableDestinationsFailWithTheirReason)
{
    ToolDoc mem(QByteArray("abcdef"));
    auto source = mem.doc.OpenSource();
    QString error;
    // A folder, a device and a folder that does not exist.
    EXPECT_FALSE(WriteRangeToFile(*source, {0, 5, mem.files.dir.path()}, {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(WriteRangeToFile(*source, {0, 5, "/dev/null"}, {}, &error));
    EXPECT_TRUE(QFileInfo("/dev/null").exists());
    EXPECT_FALSE(WriteRangeToFile(*source, {0, 5, mem.files.Path("no/such/dir/x.bin")}, {}, &error));
    EXPECT_TRUE(error.contains("x.bin"));
    // A range past the end of the source is never copied short.
    EXPECT_FALSE(WriteRangeToFile(*source, {0, 6, mem.files.Path("x.bin")}, {}, &error));
    EXPECT_FALSE(QFileInfo::exists(mem.files.Path("x.bin")));
}
