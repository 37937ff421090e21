// ISO-2022-JP with half-width katakana (code page 50222): escapes between character sets.
#include "Iso2022Jp.h"

#include "CodePage.h"
#include "JisPair.h"

namespace {

constexpr char16_t kJapaneseDefault = 0x30FB;

// Length in UTF-16 units of the code point at `i`: 2 for a surrogate pair, else 1.
qsizetype CodePointLength(QStringView text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return 2;
    return 1;
}

// The character sets an ISO-2022-JP stream can switch to.
enum class JisSet { Ascii, Roman, Kana, X0208, X0213Plane1, X0212, Unknown1, Unknown2 };

} // namespace

QString WidenIso2022Jp(QByteArrayView bytes)
{
    QString text;
    const qsizetype n = bytes.size();
    auto at = [&](qsizetype i) { return static_cast<uint8_t>(bytes[i]); };
    JisSet set = JisSet::Ascii;
    bool shiftOut = false;
    for (qsizetype i = 0; i < n; ++i) {
        const uint8_t b = at(i);
        if (b == 0x1B && i + 2 < n && at(i + 1) == '(') {
            const uint8_t f = at(i + 2);
            set = f == 'B' ? JisSet::Ascii : f == 'J' ? JisSet::Roman : f == 'I' ? JisSet::Kana : JisSet::Unknown1;
            i += 2;
            continue;
        }
        if (b == 0x1B && i + 2 < n && at(i + 1) == '$') {
            const uint8_t f = at(i + 2);
            if (f == '@' || f == 'B') {
                set = JisSet::X0208;
                i += 2;
            } else if (f == '(' && i + 3 < n) {
                const uint8_t g = at(i + 3);
                set = g == 'D' ? JisSet::X0212 : (g == 'Q' || g == 'O') ? JisSet::X0213Plane1 : JisSet::Unknown2;
                i += 3;
            } else {
                set = JisSet::Unknown2;
                i += 2;
            }
            continue;
        }
        if (b == 0x0E || b == 0x0F) {
            shiftOut = b == 0x0E;
            continue;
        }
        if (b >= 0x80) {
            text.append(QChar(b >= 0xA1 && b <= 0xDF ? static_cast<char16_t>(0xFF61 + (b - 0xA1)) : kJapaneseDefault));
            continue;
        }
        if (b < 0x21 || b == 0x7F) {
            text.append(QChar(b));
            continue;
        }
        if (shiftOut || set == JisSet::Kana) {
            text.append(QChar(b <= 0x5F ? static_cast<char16_t>(0xFF61 + (b - 0x21)) : kJapaneseDefault));
            continue;
        }
        switch (set) {
        case JisSet::Ascii:
        case JisSet::Roman:
            text.append(QChar(b));
            break;
        case JisSet::Unknown1:
            text.append(QChar(kJapaneseDefault));
            break;
        default: {
            if (i + 1 >= n || at(i + 1) < 0x21 || at(i + 1) > 0x7E) {
                text.append(QChar(kJapaneseDefault));
                break;
            }
            const uint8_t cell = at(++i);
            if (set == JisSet::X0212)
                text.append(JisX0212Text(b, cell));
            else if (set == JisSet::Unknown2 || (set == JisSet::X0213Plane1 && !IsJisX0208Row(b)))
                text.append(QChar(kJapaneseDefault));
            else
                text.append(QChar(JisX0208Char(b, cell)));
            break;
        }
        }
    }
    return text;
}

QByteArray NarrowIso2022Jp(QStringView text)
{
    QByteArray out;
    bool twoByte = false;
    bool shiftOut = false;
    auto toAscii = [&] {
        if (shiftOut) {
            out.append('\x0F');
            shiftOut = false;
        }
        if (twoByte) {
            out.append("\x1B(B");
            twoByte = false;
        }
    };
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = CodePointLength(text, i);
        // 932 gives "?" for what it cannot hold, which then goes out in ASCII like any "?".
        const QByteArray sjis = NarrowToCodePage(kCodePageShiftJis, text.mid(i, n));
        const bool mapped = !sjis.isEmpty();
        i += n;
        const uint8_t b1 = mapped ? static_cast<uint8_t>(sjis[0]) : 0;
        if (mapped && sjis.size() == 2) {
            const auto [row, cell] = ShiftJisToJisPair(b1, static_cast<uint8_t>(sjis[1]));
            if (row >= 0x21 && row <= 0x7E && cell >= 0x21 && cell <= 0x7E) {
                if (shiftOut) {
                    out.append('\x0F');
                    shiftOut = false;
                }
                if (!twoByte) {
                    out.append("\x1B$B");
                    twoByte = true;
                }
                out.append(static_cast<char>(row));
                out.append(static_cast<char>(cell));
                continue;
            }
        } else if (mapped && b1 >= 0xA1 && b1 <= 0xDF) {
            // Half-width katakana as SO ... SI around the 7-bit codes.
            if (twoByte) {
                out.append("\x1B(B");
                twoByte = false;
            }
            if (!shiftOut) {
                out.append('\x0E');
                shiftOut = true;
            }
            out.append(static_cast<char>(b1 - 0x80));
            continue;
        } else if (mapped && b1 < 0x80) {
            toAscii();
            out.append(static_cast<char>(b1));
            continue;
        }
        toAscii();
        out.append('?');
    }
    toAscii();
    return out;
}

