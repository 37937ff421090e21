// The shipped definitions over files written by other programs: the values shown must be the ones
// those programs wrote (Qt's image writer, Python's wave, zipfile and struct, an ELF program here).
#include "structs/StructSession.h"

#include "../search/SearchTestSupport.h"
#include "StructTestSupport.h"
#include "TempFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Shipped : ::testing::Test
{
    TempFiles files;
    BufferBytes bytes;
    CStructSession s;

    void Open(const QString& dataPath, const QString& def, const QString& structure)
    {
        bytes.data = TempFiles::Read(dataPath);
        ASSERT_FALSE(bytes.data.isEmpty());
        ASSERT_TRUE(s.LoadDefinitionFile(QStringLiteral(QUORVANE_DEFS "/") + def, bytes)) << s.ErrorMessage().toStdString();
        int index = -1;
        for (size_t i = 0; i < s.Defs().Defs().size(); ++i)
            if (s.Defs().Defs()[i].name == structure)
                index = int(i);
        ASSERT_GE(index, 0);
        s.ChooseStructure(index);
        // Every row of the whole structure, nested ones too.
        for (int64_t i = 0; i < s.Tree().RowCount(); ++i)
            if (CStructTree::IsExpandable(s.Tree().Row(i)) && s.Tree().Row(i).structType >= 0)
                s.Tree().Expand(i);
    }
    QString Text(const QString& label)
    {
        for (int64_t i = 0; i < s.Tree().RowCount(); ++i) {
            const CStructTree::LISTOPTION row = s.Tree().Row(i);
            if (row.label == label)
                return CStructValues::FormatValue(s.Tree(), row, bytes, s.Base(), bytes.Size());
        }
        ADD_FAILURE() << "no row " << label.toStdString();
        return {};
    }
    uint64_t Value(const QString& label) { return CStructValues::EditText(Text(label)).toULongLong(nullptr, 16); }
    uint64_t Value64(const QString& field) { return Value(field + "_hi") << 32 | Value(field + "_lo"); }
    // Numbers printed by Python, one per line.
    static std::vector<uint64_t> PythonNumbers(const QString& script, const QStringList& args)
    {
        std::vector<uint64_t> v;
        for (const QString& line : testsupport::Python(script, args).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            v.push_back(line.trimmed().toULongLong());
        return v;
    }
};

} // namespace

TEST_F(Shipped, BmpHeadersOfAnImageWrittenByQt)
{
    QImage image(7, 3, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    const QString path = files.Path("qt.bmp");
    ASSERT_TRUE(image.save(path, "BMP"));
    Open(path, "bmp.def", "BMPFILE");
    EXPECT_EQ(Text("bfType[2]"), "BM");
    EXPECT_EQ(Value("bfSize"), uint64_t(QFileInfo(path).size()));
    EXPECT_EQ(Value("biSize"), 40u);
    EXPECT_EQ(Value("biWidth"), 7u);
    EXPECT_EQ(Value("biHeight"), 3u);
    EXPECT_EQ(Value("biPlanes"), 1u);
    // Where the pixels start and how deep they are: as the file itself says, read by Python.
    const auto py = PythonNumbers("import struct,sys; d=open(sys.argv[1],'rb').read();"
                                  "print(struct.unpack_from('<I',d,10)[0]); print(struct.unpack_from('<H',d,28)[0])",
                                  {path});
    ASSERT_EQ(py.size(), 2u);
    EXPECT_EQ(Value("bfOffBits"), py[0]);
    EXPECT_EQ(Value("biBitCount"), py[1]);
    EXPECT_EQ(Value("bfOffBits") + Value("biSizeImage"), uint64_t(QFileInfo(path).size()));
}

TEST_F(Shipped, WavHeaderWrittenByPythonsWaveModule)
{
    const QString path = files.Path("py.wav");
    testsupport::Python("import wave,sys\nw=wave.open(sys.argv[1],'wb')\nw.setnchannels(2)\nw.setsampwidth(2)\n"
                        "w.setframerate(22050)\nw.writeframes(bytes(range(40)))\nw.close()",
                        {path});
    Open(path, "wav.def", "WAVHEADER");
    EXPECT_EQ(Text("riffId[4]"), "RIFF");
    EXPECT_EQ(Text("waveId[4]"), "WAVE");
    EXPECT_EQ(Text("fmtId[4]"), "fmt ");
    EXPECT_EQ(Text("dataId[4]"), "data");
    EXPECT_EQ(Value("riffSize"), 36u + 40u);
    EXPECT_EQ(Value("audioFormat"), 1u);
    EXPECT_EQ(Value("channels"), 2u);
    EXPECT_EQ(Value("sampleRate"), 22050u);
    EXPECT_EQ(Value("byteRate"), 22050u * 4);
    EXPECT_EQ(Value("blockAlign"), 4u);
    EXPECT_EQ(Value("bitsPerSample"), 16u);
    EXPECT_EQ(Value("dataSize"), 40u);
}

TEST_F(Shipped, ZipLocalHeaderWrittenByPythonsZipfile)
{
    const QString path = files.Path("py.zip");
    const auto py = PythonNumbers("import zipfile,zlib,sys\nz=zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED)\n"
                                  "data=b'hello structure editor '*20\nz.writestr('docs/readme.txt',data)\nz.close()\n"
                                  "i=zipfile.ZipFile(sys.argv[1]).infolist()[0]\n"
                                  "print(zlib.crc32(data)); print(i.compress_size); print(i.file_size); print(i.compress_type)",
                                  {path});
    ASSERT_EQ(py.size(), 4u);
    Open(path, "zip.def", "ZIPLOCALHEADER");
    EXPECT_EQ(Value("signature"), 0x04034B50u);
    EXPECT_EQ(Value("compression"), py[3]);
    EXPECT_EQ(Value("crc32"), py[0]);
    EXPECT_EQ(Value("compressedSize"), py[1]);
    EXPECT_EQ(Value("uncompressedSize"), py[2]);
    EXPECT_EQ(Value("2"), 15u); // the name's length, read from the data
    EXPECT_EQ(Text("fileName[15]"), "docs/readme.txt");
}

TEST_F(Shipped, Elf64HeaderOfAProgramOnThisMachine)
{
    // This test program is an ELF file itself; Python's struct reads its header independently.
    const QString path = QCoreApplication::applicationFilePath();
    const auto py = PythonNumbers("import struct,sys\nh=open(sys.argv[1],'rb').read(64)\n"
                                  "v=struct.unpack('<4sBBBBB7sHHIQQQIHHHHHH',h)\n"
                                  "for i in (1,7,8,10,11,12,14,15,16,18): print(v[i])",
                                  {path});
    ASSERT_EQ(py.size(), 10u);
    Open(path, "elf64.def", "ELF64HEADER");
    EXPECT_EQ(Text("ei_mag[4]"), ".ELF"); // 7F shows as a dot
    EXPECT_EQ(Value("ei_class"), py[0]);
    EXPECT_EQ(Value("e_type"), py[1]);
    EXPECT_EQ(Value("e_machine"), py[2]);
    EXPECT_EQ(Value64("e_entry"), py[3]);
    EXPECT_EQ(Value64("e_phoff"), py[4]);
    EXPECT_EQ(Value64("e_shoff"), py[5]);
    EXPECT_EQ(Value("e_ehsize"), py[6]);
    EXPECT_EQ(Value("e_phentsize"), py[7]);
    EXPECT_EQ(Value("e_phnum"), py[8]);
    EXPECT_EQ(Value("e_shnum"), py[9]);
    EXPECT_EQ(s.StructSize(), 64u);
}
