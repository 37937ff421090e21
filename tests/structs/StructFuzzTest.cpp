// Random and mutated ".def" text through the parser, the rows and the value texts: no crash, no
// undefined behaviour (the suite also runs under AddressSanitizer and UBSan), and sizes that add up.
#include "structs/StructSession.h"

#include "StructTestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

namespace {

const char kSeed[] =
    "// seed\nstruct P\n{\n\tlong x;\n\tLONG y;\n}\n/* block\n comment */\nstruct H\n{\n"
    "\tchar sig[4];\n\tvarsize 2;\n\tvarsize *3;\n\tP pts[varsize];\n\tVARSIZE 1;\n\tvarsize /0;\n"
    "\twchar name[varsize];\n\tvarsize varsize;\n\tdouble d[2];\n\tP one;\n\tunknown u;\n}\n";

const char* const kPieces[] = {
    "struct", "{", "}", ";", "[", "]", "varsize", "VARSIZE", "+", "-", "*", "/", "//", "/*", "*/",
    "\n", "\t", " ", "0", "9", "4294967295", "-1", "char", "WORD", "double", "P", "H", "x", "\r\n",
};

QByteArray Mutate(QByteArray text, std::mt19937& rng)
{
    const int edits = 1 + int(rng() % 8);
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = text.isEmpty() ? 0 : qsizetype(rng() % uint32_t(text.size() + 1));
        switch (rng() % 4) {
        case 0: text.insert(at, kPieces[rng() % std::size(kPieces)]); break;
        case 1: text.remove(at, qsizetype(rng() % 12)); break;
        case 2: if (at < text.size()) text[at] = char(rng() & 0x7F); break;
        default: text.insert(at, text.mid(qsizetype(rng() % uint32_t(text.size() + 1)), 20)); break;
        }
    }
    return text;
}

} // namespace

TEST(StructFuzzTest, RandomAndMutatedDefinitionsNeverBreakTheEditor)
{
    std::mt19937 rng(20261207);
    BufferBytes bytes(QByteArray(256, '\0'));
    for (int i = 0; i < bytes.data.size(); ++i)
        bytes.data[i] = char(rng());
    for (int round = 0; round < 1500; ++round) {
        QByteArray text;
        if (round % 5 == 0) {
            text.resize(qsizetype(rng() % 300));
            for (char& c : text)
                c = char(rng()); // any bytes, NULs and invalid UTF-8 included
        } else {
            text = Mutate(QByteArray(kSeed), rng);
        }
        CStructDefs defs;
        defs.Parse(text, bytes.Reader(rng() % 64));
        if (defs.ErrorLine() != 0) {
            EXPECT_FALSE(defs.ErrorText().isEmpty());
        }
        CStructTree tree(defs);
        for (int def = 0; def < int(defs.Defs().size()); ++def) {
            const auto& d = defs.Defs()[size_t(def)];
            EXPECT_GE(d.size, 0);
            EXPECT_LE(d.size, CStructDefs::kMaxSize);
            tree.Show(def);
            // Expand a few rows (arrays are held short) and read every value.
            for (int64_t r = 0; r < tree.RowCount() && r < 200; ++r) {
                const CStructTree::LISTOPTION row = tree.Row(r);
                if (CStructTree::IsExpandable(row) && rng() % 2)
                    tree.Expand(r, 8);
                CStructValues::RowLine(tree, tree.Row(r), bytes, rng() % 300, bytes.Size());
                tree.RowLength(tree.Row(r));
            }
            if (tree.RowCount() > 0 && rng() % 2)
                tree.Collapse(0);
        }
        defs.Reevaluate(bytes.Reader(rng() % 300));
    }
}
