// The shipped format definitions through quorvane-cli struct, over files made by the usual tools
// (ImageMagick, Python, sqlite3, dosfstools, sfdisk, sgdisk, binutils) and checked against those
// tools' own reading of the same fields.
#include "../search/SearchTestSupport.h"
#include "TempFiles.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <map>

using namespace testsupport;

namespace {

// The rows of `quorvane-cli struct --expand`, by their path of labels ("FileHeader.Machine").
struct Rows
{
    std::map<QString, QString> value;
    QString error;

    QString Text(const QString& key) const
    {
        const auto it = value.find(key);
        if (it == value.end()) {
            ADD_FAILURE() << "no row " << key.toStdString() << error.toStdString();
            return {};
        }
        return it->second;
    }
    // A number shown in hexadecimal (the value up to its character suffix).
    uint64_t Number(const QString& key) const { return Text(key).section(QLatin1Char(' '), 0, 0).toULongLong(nullptr, 16); }
    uint64_t Number64(const QString& key) const { return Number(key + "_hi") << 32 | Number(key + "_lo"); }
    // A GUID shown as its five groups.
    QString Guid(const QString& prefix) const
    {
        const auto part = [&](const char* name) { return Text(prefix + name).section(QLatin1Char(' '), 0, 0); };
        return part("Data1") + '-' + part("Data2") + '-' + part("Data3") + '-' + part("Data4") + '-' + part("Data5_hi") + part("Data5_lo");
    }
};

struct FormatDefs : ::testing::Test
{
    TempFiles files;

    // The program of that name, or an empty string (the test then says what to install).
    static QString Tool(const QString& name)
    {
        QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty())
            path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        return path;
    }
    static QString Run(const QString& tool, const QStringList& args, const QByteArray& input = {})
    {
        const RunResult r = RunTool(Tool(tool), args, input);
        EXPECT_EQ(r.status, 0) << tool.toStdString() << ": " << r.err.toStdString();
        return QString::fromUtf8(r.out);
    }
    static Rows Struct(const QString& file, const QString& def, const QString& name = {}, uint64_t at = 0)
    {
        QStringList args{"struct", file, "--def", QStringLiteral(QUORVANE_DEFS "/") + def, "--expand", "--at", QString::number(at, 16)};
        if (!name.isEmpty())
            args << "--name" << name;
        const RunResult r = RunTool(QStringLiteral(QUORVANE_CLI), args);
        Rows rows;
        rows.error = QStringLiteral(" (%1 %2: %3)").arg(def, name, QString::fromUtf8(r.err));
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        QStringList path;
        for (const QString& line : QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList cells = line.split(QLatin1Char('\t'));
            if (cells.size() != 3)
                continue;
            const QString label = cells[0].trimmed();
            const int level = int(cells[0].size() - label.size()) / 2;
            path = path.mid(0, level);
            path << label;
            rows.value.emplace(path.join(QLatin1Char('.')), cells[1]);
        }
        return rows;
    }
    // A "key: value" or "key<blanks>value" line of a tool's report.
    static QString Field(const QString& report, const QString& pattern)
    {
        const QRegularExpressionMatch m = QRegularExpression(pattern, QRegularExpression::MultilineOption).match(report);
        EXPECT_TRUE(m.hasMatch()) << pattern.toStdString() << " in\n" << report.toStdString();
        return m.captured(1);
    }
    static uint64_t Hex(const QString& s) { return s.toULongLong(nullptr, 16); }
};

#define NEED_TOOLS(...)                                                                                   \
    for (const char* tool : {__VA_ARGS__})                                                                \
        if (Tool(QString::fromLatin1(tool)).isEmpty())                                                   \
            GTEST_SKIP() << tool << " is not installed (scripts/setup.sh installs it)";

} // namespace

TEST_F(FormatDefs, PngGifAndJpegWrittenByImageMagick)
{
    NEED_TOOLS("convert", "identify");
    const QString png = files.Path("im.png");
    Run("convert", {"-size", "37x19", "gradient:red-blue", "-depth", "16", "-interlace", "PNG", png});
    const QStringList ihdr = Run("identify", {"-format", "%[png:IHDR.width,height]|%[png:IHDR.bit_depth]|"
                                                         "%[png:IHDR.color_type]|%[png:IHDR.interlace_method]", png})
                                 .split(QLatin1Char('|'));
    ASSERT_EQ(ihdr.size(), 4);
    Rows r = Struct(png, "png.def");
    EXPECT_EQ(r.Number("HighBit"), 0x89u);
    EXPECT_EQ(r.Text("Name[3]"), "PNG");
    EXPECT_EQ(r.Text("Type[4]"), "IHDR");
    EXPECT_EQ(r.Number("Length"), 13u);
    EXPECT_EQ(QStringLiteral("%1, %2").arg(r.Number("Width")).arg(r.Number("Height")), ihdr[0]);
    EXPECT_EQ(QString::number(r.Number("BitDepth")), ihdr[1]);
    EXPECT_EQ(QString::number(r.Number("ColorType")), ihdr[2].section(' ', 0, 0));
    EXPECT_EQ(QString::number(r.Number("InterlaceMethod")), ihdr[3].section(' ', 0, 0));

    // A GIF whose logical screen is larger than its one image.
    const QString gif = files.Path("im.gif");
    Run("convert", {"-size", "29x13", "xc:blue", "-fill", "red", "-draw", "point 3,3", "-page", "40x20+5+3", gif});
    const QStringList page = Run("identify", {"-format", "%W %H %w %h %X %Y", gif}).split(' ');
    ASSERT_EQ(page.size(), 6);
    r = Struct(gif, "gif.def");
    EXPECT_EQ(r.Text("Signature[3]"), "GIF");
    EXPECT_EQ(r.Text("Version[3]"), "89a");
    EXPECT_EQ(QString::number(r.Number("ScreenWidth")), page[0]);
    EXPECT_EQ(QString::number(r.Number("ScreenHeight")), page[1]);
    // The image descriptor behind the two-colour table (2 x 3 bytes) and the graphic control
    // extension that ImageMagick writes first.
    ASSERT_EQ(r.Number("Flags") & 0x87, 0x80u);
    Rows gce = Struct(gif, "gif.def", "GIF_GRAPHIC_CONTROL", 13 + 6);
    EXPECT_EQ(gce.Number("Label"), 0xF9u);
    Rows image = Struct(gif, "gif.def", "GIF_IMAGE_DESCRIPTOR", 13 + 6 + 8);
    EXPECT_EQ(image.Number("Separator"), 0x2Cu);
    EXPECT_EQ(QString::number(image.Number("Width")), page[2]);
    EXPECT_EQ(QString::number(image.Number("Height")), page[3]);
    EXPECT_EQ(QString::number(image.Number("Left")), page[4].mid(1)); // "+5"
    EXPECT_EQ(QString::number(image.Number("Top")), page[5].mid(1));

    const QString jpg = files.Path("im.jpg");
    Run("convert", {"-size", "41x23", "gradient:white-black", "-density", "300x150", "-units", "PixelsPerInch", jpg});
    const QStringList jfif = Run("identify", {"-format", "%w %h %x %y %U", jpg}).split(' ');
    ASSERT_EQ(jfif.size(), 5);
    r = Struct(jpg, "jpeg.def");
    EXPECT_EQ(r.Number("SOI"), 0xFFD8u);
    EXPECT_EQ(r.Number("APP0"), 0xFFE0u);
    EXPECT_EQ(r.Text("Identifier[5]"), "JFIF");
    EXPECT_EQ(QString::number(r.Number("XDensity")), jfif[2]);
    EXPECT_EQ(QString::number(r.Number("YDensity")), jfif[3]);
    EXPECT_EQ(jfif[4], "PixelsPerInch");
    EXPECT_EQ(r.Number("Units"), 1u);
    // The frame header, found by its marker, holds the size ImageMagick reports.
    const QByteArray bytes = TempFiles::Read(jpg);
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    Rows frame = Struct(jpg, "jpeg.def", "JPEG_SOF", uint64_t(sof));
    EXPECT_EQ(QString::number(frame.Number("Width")), jfif[0]);
    EXPECT_EQ(QString::number(frame.Number("Height")), jfif[1]);
}

TEST_F(FormatDefs, TarAndGzipWrittenByPython)
{
    NEED_TOOLS("python3");
    const QString tar = files.Path("py.tar");
    const QStringList member =
        Python("import tarfile,io,sys\nt=tarfile.open(sys.argv[1],'w',format=tarfile.USTAR_FORMAT)\nd=b'hello'*100\n"
               "i=tarfile.TarInfo('docs/readme.txt'); i.size=len(d); i.mtime=1700000000; i.mode=0o640\n"
               "i.uid=1234; i.gid=77; i.uname='quorv'; i.gname='staff'\nt.addfile(i,io.BytesIO(d)); t.close()\n"
               "m=tarfile.open(sys.argv[1]).getmembers()[0]\n"
               "print('|'.join(str(x) for x in (m.name,m.size,m.mtime,m.mode,m.uid,m.gid,m.uname,m.gname,m.type.decode(),m.chksum)))",
               {tar})
            .split('|');
    ASSERT_EQ(member.size(), 10);
    const Rows r = Struct(tar, "tar.def");
    const auto octal = [&](const QString& key) { return QString::number(r.Text(key).trimmed().toULongLong(nullptr, 8)); };
    EXPECT_EQ(r.Text("name[100]"), member[0]);
    EXPECT_EQ(octal("size[12]"), member[1]);
    EXPECT_EQ(octal("mtime[12]"), member[2]);
    EXPECT_EQ(octal("mode[8]"), member[3]);
    EXPECT_EQ(octal("uid[8]"), member[4]);
    EXPECT_EQ(octal("gid[8]"), member[5]);
    EXPECT_EQ(r.Text("uname[32]"), member[6]);
    EXPECT_EQ(r.Text("gname[32]"), member[7]);
    EXPECT_EQ(r.Text("typeflag"), QStringLiteral("%1 '%2'").arg(member[8].at(0).unicode(), 2, 16).arg(member[8]));
    EXPECT_EQ(octal("chksum[8]"), member[9]);
    EXPECT_EQ(r.Text("magic[6]"), "ustar");

    const QString gz = files.Path("py.gz");
    const QStringList header =
        Python("import gzip,zlib,sys\nd=b'structure editor '*50\n"
               "with open(sys.argv[1],'wb') as raw:\n"
               "  with gzip.GzipFile(filename='inner.txt',mode='wb',fileobj=raw,mtime=1600000000) as f: f.write(d)\n"
               "g=gzip.GzipFile(sys.argv[1]); g.read()\nprint(g.mtime, zlib.crc32(d), len(d))",
               {gz})
            .split(' ');
    ASSERT_EQ(header.size(), 3);
    const Rows h = Struct(gz, "gzip.def");
    EXPECT_EQ(h.Number("ID1"), 0x1Fu);
    EXPECT_EQ(h.Number("ID2"), 0x8Bu);
    EXPECT_EQ(h.Number("CM"), 8u);
    EXPECT_EQ(h.Number("FLG"), 0x08u); // the file name follows
    EXPECT_EQ(QString::number(h.Number("MTIME")), header[0]);
    const uint64_t size = uint64_t(TempFiles::Read(gz).size());
    const Rows t = Struct(gz, "gzip.def", "GZIP_TRAILER", size - 8);
    EXPECT_EQ(QString::number(t.Number("CRC32")), header[1]);
    EXPECT_EQ(QString::number(t.Number("ISIZE")), header[2]);
}

TEST_F(FormatDefs, SqliteHeaderWrittenBySqlite3)
{
    NEED_TOOLS("sqlite3");
    const QString db = files.Path("t.db");
    Run("sqlite3", {db, "PRAGMA page_size=2048; PRAGMA user_version=42; PRAGMA application_id=1364087118;"
                        "CREATE TABLE t(a); INSERT INTO t VALUES(1); CREATE TABLE u(b); DROP TABLE u;"});
    const QStringList pragmas =
        Run("sqlite3", {db, "PRAGMA page_size; PRAGMA page_count; PRAGMA freelist_count; PRAGMA schema_version;"
                            "PRAGMA user_version; PRAGMA application_id; PRAGMA encoding; SELECT sqlite_version();"})
            .split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(pragmas.size(), 8);
    const Rows r = Struct(db, "sqlite.def");
    EXPECT_EQ(r.Text("Magic[16]"), "SQLite format 3");
    EXPECT_EQ(QString::number(r.Number("PageSize")), pragmas[0]);
    EXPECT_EQ(QString::number(r.Number("DatabaseSizeInPages")), pragmas[1]);
    EXPECT_EQ(QString::number(r.Number("FreelistPageCount")), pragmas[2]);
    EXPECT_EQ(QString::number(r.Number("SchemaCookie")), pragmas[3]);
    EXPECT_EQ(QString::number(r.Number("UserVersion")), pragmas[4]);
    EXPECT_EQ(QString::number(r.Number("ApplicationId")), pragmas[5]);
    EXPECT_EQ(pragmas[6], "UTF-8");
    EXPECT_EQ(r.Number("TextEncoding"), 1u);
    const QStringList version = pragmas[7].split('.');
    ASSERT_EQ(version.size(), 3);
    EXPECT_EQ(r.Number("SqliteVersion"), version[0].toULongLong() * 1000000 + version[1].toULongLong() * 1000 + version[2].toULongLong());
}

TEST_F(FormatDefs, DiskImagesPartitionedBySfdiskAndSgdiskAndAFat32ByMkfs)
{
    NEED_TOOLS("sfdisk", "sgdisk", "mkfs.vfat", "fatlabel", "fsck.fat");
    // MBR: sfdisk's own JSON dump of the table it wrote.
    const QString mbr = files.Sparse("mbr.img", 8 << 20);
    Run("sfdisk", {"-q", mbr}, "label: dos\nlabel-id: 0x12345678\n2048,4096,83,*\n6144,,c\n");
    const QJsonObject table = QJsonDocument::fromJson(Run("sfdisk", {"-J", mbr}).toUtf8()).object()["partitiontable"].toObject();
    Rows r = Struct(mbr, "mbr.def");
    EXPECT_EQ(r.Number("DiskSignature"), Hex(table["id"].toString()));
    EXPECT_EQ(r.Number("Signature"), 0x55AAu);
    const QJsonArray parts = table["partitions"].toArray();
    ASSERT_EQ(parts.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QString p = QStringLiteral("Partition%1_").arg(i + 1);
        const QJsonObject part = parts[i].toObject();
        EXPECT_EQ(r.Number(p + "FirstLBA"), uint64_t(part["start"].toInteger()));
        EXPECT_EQ(r.Number(p + "Sectors"), uint64_t(part["size"].toInteger()));
        EXPECT_EQ(r.Number(p + "Type"), Hex(part["type"].toString()));
        EXPECT_EQ(r.Number(p + "Status"), part["bootable"].toBool() ? 0x80u : 0u);
    }
    EXPECT_EQ(r.Number("Partition3_Type"), 0u);

    // GPT: sgdisk's report of the disk and its first partition.
    const QString gpt = files.Sparse("gpt.img", 8 << 20);
    Run("sgdisk", {"-o", "-n", "1:2048:+2M", "-t", "1:8300", "-c", "1:qvdata", "-n", "2:0:0", "-t", "2:ef00", gpt});
    const QString disk = Run("sgdisk", {"-p", gpt});
    const QString first = Run("sgdisk", {"-i", "1", gpt});
    r = Struct(gpt, "gpt.def");
    EXPECT_EQ(r.Text("Signature[8]"), "EFI PART");
    EXPECT_EQ(r.Number("Protective_Type"), 0xEEu);
    EXPECT_EQ(r.Guid("DiskGUID_"), Field(disk, "Disk identifier \\(GUID\\): (\\S+)"));
    EXPECT_EQ(r.Number64("FirstUsableLBA"), Field(disk, "First usable sector is (\\d+)").toULongLong());
    EXPECT_EQ(r.Number64("LastUsableLBA"), Field(disk, "last usable sector is (\\d+)").toULongLong());
    EXPECT_EQ(QString::number(r.Number("NumberOfPartitionEntries")), Field(disk, "holds up to (\\d+) entries"));
    EXPECT_EQ(r.Number64("PartitionEntryLBA"), Field(disk, "begins at sector (\\d+)").toULongLong());
    const uint64_t entries = r.Number64("PartitionEntryLBA") * 512;
    const Rows e = Struct(gpt, "gpt.def", "GPT_ENTRY", entries);
    EXPECT_EQ(e.Guid("PartitionTypeGUID."), Field(first, "Partition GUID code: (\\S+)"));
    EXPECT_EQ(e.Guid("UniquePartitionGUID."), Field(first, "Partition unique GUID: (\\S+)"));
    EXPECT_EQ(e.Number64("StartingLBA"), Field(first, "First sector: (\\d+)").toULongLong());
    EXPECT_EQ(e.Number64("EndingLBA"), Field(first, "Last sector: (\\d+)").toULongLong());
    EXPECT_EQ(e.Text("PartitionName[36]"), Field(first, "Partition name: '([^']*)'"));

    // FAT32: mkfs.vfat's volume, read back by fsck.fat and fatlabel.
    const QString fat = files.Path("fat.img");
    Run("mkfs.vfat", {"-F", "32", "-s", "1", "-n", "QVTEST", "-i", "1234ABCD", "-C", fat, "40960"});
    const QString check = Run("fsck.fat", {"-v", "-n", fat});
    r = Struct(fat, "fat32.def");
    EXPECT_EQ(QString::number(r.Number("BPB_BytsPerSec")), Field(check, "^\\s*(\\d+) bytes per logical sector"));
    EXPECT_EQ(r.Number("BPB_SecPerClus") * r.Number("BPB_BytsPerSec"), Field(check, "^\\s*(\\d+) bytes per cluster").toULongLong());
    EXPECT_EQ(QString::number(r.Number("BPB_RsvdSecCnt")), Field(check, "^\\s*(\\d+) reserved sectors"));
    EXPECT_EQ(QString::number(r.Number("BPB_NumFATs")), Field(check, "^\\s*(\\d+) FATs, 32 bit entries"));
    EXPECT_EQ(QStringLiteral("%1").arg(r.Number("BPB_Media"), 2, 16, QLatin1Char('0')), Field(check, "Media byte 0x([0-9a-f]+)"));
    EXPECT_EQ(QString::number(r.Number("BPB_FATSz32")), Field(check, "\\(= (\\d+) sectors\\)"));
    EXPECT_EQ(QString::number(r.Number("BPB_RootClus")), Field(check, "Root directory start at cluster (\\d+)"));
    EXPECT_EQ(QString::number(r.Number("BPB_SecPerTrk")), Field(check, "^(\\d+) sectors/track"));
    EXPECT_EQ(QString::number(r.Number("BPB_NumHeads")), Field(check, "sectors/track, (\\d+) heads"));
    EXPECT_EQ(QString::number(r.Number("BPB_TotSec32")), Field(check, "^\\s*(\\d+) sectors total"));
    EXPECT_EQ(r.Text("BS_OEMName[8]"), Field(check, "System ID \"([^\"]*)\""));
    EXPECT_EQ(r.Text("BS_VolLab[11]").trimmed(), Run("fatlabel", {fat}).trimmed());
    EXPECT_EQ(r.Number("BS_VolID"), Hex(Run("fatlabel", {"-i", fat}).trimmed()));
    EXPECT_EQ(r.Text("BS_FilSysType[8]"), "FAT32   ");
    EXPECT_EQ(r.Number("Signature"), 0x55AAu);
    const Rows info = Struct(fat, "fat32.def", "FAT32_FSINFO", r.Number("BPB_FSInfo") * r.Number("BPB_BytsPerSec"));
    EXPECT_EQ(info.Number("FSI_LeadSig"), 0x41615252u);
    EXPECT_EQ(info.Number("FSI_StrucSig"), 0x61417272u);
    EXPECT_EQ(info.Number("FSI_TrailSig"), 0xAA550000u);
}

TEST_F(FormatDefs, ElfAndPeImagesMadeByBinutilsAndAnEfiBinary)
{
    NEED_TOOLS("as", "ld", "readelf", "objcopy", "objdump");
    // ELF32: a little program assembled and linked for i386, read back by readelf.
    files.Write("t.s", ".globl _start\n_start:\n  movl $1, %eax\n  int $0x80\n");
    Run("as", {"--32", "-o", files.Path("t.o"), files.Path("t.s")});
    const QString elf = files.Path("t32");
    Run("ld", {"-m", "elf_i386", "-o", elf, files.Path("t.o")});
    const QString h = Run("readelf", {"-h", elf});
    Rows r = Struct(elf, "elf32.def");
    EXPECT_EQ(r.Text("ei_mag[4]"), ".ELF");
    EXPECT_EQ(r.Number("ei_class"), 1u);
    EXPECT_EQ(r.Number("e_type"), 2u);
    EXPECT_EQ(r.Number("e_machine"), 3u); // Intel 80386
    EXPECT_EQ(r.Number("e_entry"), Hex(Field(h, "Entry point address:\\s+0x([0-9a-f]+)")));
    EXPECT_EQ(QString::number(r.Number("e_phoff")), Field(h, "Start of program headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_shoff")), Field(h, "Start of section headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_ehsize")), Field(h, "Size of this header:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_phentsize")), Field(h, "Size of program headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_phnum")), Field(h, "Number of program headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_shentsize")), Field(h, "Size of section headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_shnum")), Field(h, "Number of section headers:\\s+(\\d+)"));
    EXPECT_EQ(QString::number(r.Number("e_shstrndx")), Field(h, "Section header string table index:\\s+(\\d+)"));

    // PE32: the same program as a pei-i386 image by objcopy; PE32+: shim's EFI binary.
    const QString pe32 = files.Path("t32.efi");
    Run("objcopy", {"-O", "pei-i386", elf, pe32});
    QStringList images{pe32};
    const QString shim = QStringLiteral("/usr/lib/shim/shimx64.efi");
    if (QFileInfo::exists(shim))
        images << shim;
    else
        ADD_FAILURE() << "shim-unsigned is not installed (scripts/setup.sh installs it): no PE32+ image to read";
    for (const QString& image : images) {
        SCOPED_TRACE(image.toStdString());
        const QString p = Run("objdump", {"-p", image});
        const QString sections = Run("objdump", {"-h", image});
        const QByteArray file = TempFiles::Read(image);
        const Rows dos = Struct(image, "pe.def");
        EXPECT_EQ(dos.Text("e_magic[2]"), "MZ");
        const uint64_t lfanew = dos.Number("e_lfanew");
        const bool plus = Field(p, "^Magic\\s+0*([0-9a-f]+)") == "20b";
        EXPECT_EQ(plus, image == shim);
        r = Struct(image, "pe.def", plus ? "PE64_IMAGE" : "PE32_IMAGE", lfanew);
        EXPECT_EQ(r.Text("Signature[4]"), "PE");
        EXPECT_EQ(r.Number("Characteristics"), Hex(Field(p, "^Characteristics 0x([0-9a-f]+)")));
        const QString o = QStringLiteral("OptionalHeader.");
        EXPECT_EQ(r.Number(o + "Magic"), plus ? 0x20Bu : 0x10Bu);
        EXPECT_EQ(QString::number(r.Number(o + "MajorLinkerVersion")), Field(p, "^MajorLinkerVersion\\s+(\\d+)"));
        EXPECT_EQ(QString::number(r.Number(o + "MinorLinkerVersion")), Field(p, "^MinorLinkerVersion\\s+(\\d+)"));
        for (const char* name : {"SizeOfCode", "SizeOfInitializedData", "AddressOfEntryPoint", "BaseOfCode",
                                 "SectionAlignment", "FileAlignment", "SizeOfImage", "SizeOfHeaders", "CheckSum",
                                 "Subsystem", "DllCharacteristics", "LoaderFlags", "NumberOfRvaAndSizes"})
            EXPECT_EQ(r.Number(o + name), Hex(Field(p, QStringLiteral("^%1\\s+([0-9a-f]+)").arg(name)))) << name;
        const uint64_t imageBase = plus ? r.Number64(o + "ImageBase") : r.Number(o + "ImageBase");
        EXPECT_EQ(imageBase, Hex(Field(p, "^ImageBase\\s+([0-9a-f]+)")));
        // Entry 5 of objdump's directory list is the base relocation table.
        const QRegularExpressionMatch reloc = QRegularExpression("^Entry 5 ([0-9a-f]+) ([0-9a-f]+)",
                                                                 QRegularExpression::MultilineOption).match(p);
        ASSERT_TRUE(reloc.hasMatch());
        EXPECT_EQ(r.Number(o + "DataDirectory.BaseRelocationTable.VirtualAddress"), Hex(reloc.captured(1)));
        EXPECT_EQ(r.Number(o + "DataDirectory.BaseRelocationTable.Size"), Hex(reloc.captured(2)));
        // The section table: every section objdump lists, in order, with its size, address and place in the file.
        const QRegularExpression line("^\\s*(\\d+) (\\S+)\\s+([0-9a-f]+)\\s+([0-9a-f]+)\\s+[0-9a-f]+\\s+([0-9a-f]+)", QRegularExpression::MultilineOption);
        const uint64_t count = r.Number("2"); // NumberOfSections: the table's length
        uint64_t listed = 0;
        for (auto it = line.globalMatch(sections); it.hasNext(); ++listed) {
            const QRegularExpressionMatch m = it.next();
            const QString s = QStringLiteral("Sections[%1].Sections[%2].").arg(count).arg(m.captured(1));
            QString name = r.Text(s + "Name[8]");
            if (name.startsWith('/')) {
                // A longer name: "/n" is its offset in the string table behind the symbol table.
                const uint64_t table = r.Number("PointerToSymbolTable") + 18 * r.Number("NumberOfSymbols");
                name = QString::fromLatin1(file.mid(qsizetype(table + name.mid(1).toULongLong())).constData());
            }
            EXPECT_EQ(name, m.captured(2));
            EXPECT_EQ(r.Number(s + "VirtualSize"), Hex(m.captured(3)));
            EXPECT_EQ(r.Number(s + "VirtualAddress"), Hex(m.captured(4)) - imageBase);
            EXPECT_EQ(r.Number(s + "PointerToRawData"), Hex(m.captured(5)));
        }
        EXPECT_GT(listed, 0u);
        EXPECT_EQ(listed, count);
    }
}
