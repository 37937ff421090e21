// The info pane's rows: value rows in both modes and byte orders for 0-4 available bytes, the bit
// groups, the file size, address and range texts.
#include "view/InfoRows.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

InfoRows Rows(std::array<uint8_t, 4> bytes, int count, bool big, bool plus, uint64_t size = 0x100, uint64_t cursor = 0,
              uint64_t range = 0)
{
    return InfoRows::Compute(InfoRows::MakeInput(bytes, count, big, size, cursor, range), plus);
}

} // namespace

TEST(InfoRowsTest, ValueRowsAreRightAlignedMostSignificantFirstInBothByteOrders)
{
    // The last byte of a file, 0x80, little-endian, "+" mode.
    const InfoRows last = Rows({0x80}, 1, false, true);
    EXPECT_EQ(last.text[InfoRows::Byte], QString(10, ' ') + "80" + QString(9, ' ') + "128");
    EXPECT_EQ(last.text[InfoRows::Word], "       00 80         128");
    EXPECT_EQ(last.text[InfoRows::Byte3], "    00 00 80         128");
    EXPECT_EQ(last.text[InfoRows::DWord], " 00 00 00 80         128");

    // 34 12: the number reads 12 34 little-endian, 34 12 big-endian.
    EXPECT_EQ(Rows({0x34, 0x12, 0xAB, 0xCD}, 4, false, true).text[InfoRows::Word], "       12 34        4660");
    EXPECT_EQ(Rows({0x34, 0x12, 0xAB, 0xCD}, 4, true, true).text[InfoRows::Word], "       34 12       13330");
    EXPECT_EQ(Rows({0x34, 0x12, 0xAB, 0xCD}, 4, false, true).text[InfoRows::Byte3], "    AB 12 34    11211316");
    EXPECT_EQ(Rows({0x34, 0x12, 0xAB, 0xCD}, 4, false, true).text[InfoRows::DWord], " CD AB 12 34  3450540596");
    EXPECT_EQ(Rows({0x34, 0x12, 0xAB, 0xCD}, 4, true, true).text[InfoRows::DWord], " 34 12 AB CD   873638861");
    // DWord is unsigned in "+" mode.
    EXPECT_EQ(Rows({0xFF, 0xFF, 0xFF, 0xFF}, 4, false, true).text[InfoRows::DWord], " FF FF FF FF  4294967295");

    // Two bytes left: the wider rows show the value of those two.
    EXPECT_EQ(Rows({0x34, 0x12}, 2, false, true).text[InfoRows::DWord], " 00 00 12 34        4660");
    EXPECT_EQ(Rows({0x34, 0x12}, 2, true, true).text[InfoRows::Byte3], "    00 34 12       13330");

    // At the end of the file nothing follows the cursor.
    const InfoRows end = Rows({}, 0, false, true);
    for (int row : {InfoRows::Byte, InfoRows::Word, InfoRows::Byte3, InfoRows::DWord})
        EXPECT_EQ(end.text[row], " 00 00 00 00") << row;
    EXPECT_EQ(Rows({}, 0, false, false).text[InfoRows::DWord], " 00 00 00 00");
}

TEST(InfoRowsTest, MinusModeIsAlwaysNegative)
{
    EXPECT_EQ(Rows({0xFF}, 1, false, false).text[InfoRows::Byte], "          FF          -1");
    EXPECT_EQ(Rows({0x00}, 1, false, false).text[InfoRows::Byte], "          00        -256");
    // A byte with its top bit clear is negative too.
    EXPECT_EQ(Rows({0x01}, 1, false, false).text[InfoRows::Byte], "          01        -255");
    EXPECT_EQ(Rows({0xFE, 0xFF}, 2, false, false).text[InfoRows::Word], "       FF FE          -2");
    EXPECT_EQ(Rows({0, 0, 0}, 3, false, false).text[InfoRows::Byte3], "    00 00 00   -16777216");
    // DWord of four bytes: a minus sign and the magnitude modulo 2^32 (zero reads "-0").
    EXPECT_EQ(Rows({0, 0, 0, 0}, 4, false, false).text[InfoRows::DWord], " 00 00 00 00 -         0");
    EXPECT_EQ(Rows({0xFF, 0xFF, 0xFF, 0xFF}, 4, false, false).text[InfoRows::DWord], " FF FF FF FF -         1");
    EXPECT_EQ(Rows({0x01, 0, 0, 0x80}, 4, false, false).text[InfoRows::DWord], " 80 00 00 01 -2147483647");
    // Fewer than four bytes: the DWord row is the shorter value, signed.
    EXPECT_EQ(Rows({0x10, 0x00}, 2, false, false).text[InfoRows::DWord], " 00 00 00 10      -65520");
}

TEST(InfoRowsTest, BitFileSizeAddressAndRangeTexts)
{
    // Four groups, the byte at the cursor last when little-endian, first when big-endian.
    EXPECT_EQ(InfoRows::FormatBitRow({0xA5, 0x0F, 0x80, 0x01}, 4, false),
              " 0000-0001  1000-0000  0000-1111  1010-0101");
    EXPECT_EQ(InfoRows::FormatBitRow({0xA5, 0x0F, 0x80, 0x01}, 4, true),
              " 1010-0101  0000-1111  1000-0000  0000-0001");
    // Bytes past the end are zeros.
    EXPECT_EQ(InfoRows::FormatBitRow({0xFF, 0xFF, 0xFF, 0xFF}, 1, false),
              " 0000-0000  0000-0000  0000-0000  1111-1111");
    EXPECT_EQ(InfoRows::FormatBitRow({0xFF, 0xFF, 0xFF, 0xFF}, 1, true),
              " 1111-1111  0000-0000  0000-0000  0000-0000");

    EXPECT_EQ(InfoRows::FormatFileSizeRow(0x1234567890ULL),
              " 00000012-34567890" + QString(2, ' ') + QString(21 - 11, ' ') + "78187493520");
    EXPECT_EQ(InfoRows::FormatAddressRow(0xFFFFFFFFFFFFFFFFULL), " FFFFFFFF-FFFFFFFF");

    // No selection: zero in both modes.
    EXPECT_EQ(Rows({}, 0, false, true).text[InfoRows::Range], " 00000000-00000000");
    EXPECT_EQ(Rows({}, 0, false, false).text[InfoRows::Range], " " + QString(16, ' ') + "0");
    EXPECT_EQ(Rows({}, 0, false, true, 0x100, 0, 0x100000000ULL).text[InfoRows::Range], " 00000001-00000000");
    EXPECT_EQ(Rows({}, 0, false, false, 0x100, 0, 0x100000000ULL).text[InfoRows::Range], "        4294967296");

    QStringList labels;
    for (int row = 0; row < InfoRows::RowCount; ++row)
        labels << InfoRows::Label(row);
    EXPECT_EQ(labels, (QStringList{"Bit", "Byte", "Word", "3Byte", "DWord", "FileSize", "Address", "Range"}));
}
