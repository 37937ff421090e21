// Writing and reading the view's clipboard formats.
#include "view/ClipboardBytes.h"

#include "codes/CodePage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QStringDecoder>

namespace {

const QString kText = QStringLiteral("application/x-quorvane-text");
const QString kOemText = QStringLiteral("application/x-quorvane-oemtext");
const QString kUnicodeText = QStringLiteral("application/x-quorvane-unicodetext");

QString MimeType(ClipFormat f)
{
    switch (f) {
    case ClipFormat::Text: return kText;
    case ClipFormat::OemText: return kOemText;
    case ClipFormat::UnicodeText: return kUnicodeText;
    }
    return kText;
}

// What other programs see of text copied from the text column.
QString PlainText(const QByteArray& bytes, CharCode code)
{
    switch (code) {
    case CharCode::Unicode:
    case CharCode::UnicodeBE: {
        QString s;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
            const uint8_t a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
            s += QChar(code == CharCode::Unicode ? char16_t(a | (b << 8)) : char16_t((a << 8) | b));
        }
        return s;
    }
    case CharCode::Utf8:
        return QString::fromUtf8(bytes);
    case CharCode::ShiftJis:
    case CharCode::Ascii: {
        QString s;
        if (WidenFromCodePage(bytes, 932, s))
            return s;
        return QString::fromLatin1(bytes);
    }
    default:
        return QString::fromLatin1(bytes);
    }
}

} // namespace

ClipFormat CClipboardBytes::FormatFor(bool inCharColumn, CharCode code)
{
    if (!inCharColumn)
        return ClipFormat::OemText;
    if (code == CharCode::Unicode || code == CharCode::UnicodeBE)
        return ClipFormat::UnicodeText;
    return ClipFormat::Text;
}

QMimeData* CClipboardBytes::MakeMimeData(const QByteArray& bytes, ClipFormat format, CharCode code)
{
    auto* mime = new QMimeData;
    QByteArray block = bytes;
    block.append(2, '\0');
    mime->setData(MimeType(format), block);
    // Raw bytes of the hex column read as code page 932 text, as other programs read them.
    mime->setText(PlainText(bytes, format == ClipFormat::OemText ? CharCode::ShiftJis : code));
    return mime;
}

bool CClipboardBytes::Place(const QByteArray& bytes, ClipFormat format, CharCode code)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setMimeData(MakeMimeData(bytes, format, code));
    const QMimeData* now = clipboard->mimeData();
    return now && now->hasFormat(MimeType(format));
}

std::optional<ClipBlock> CClipboardBytes::Read(const QMimeData* mime)
{
    if (!mime)
        return std::nullopt;
    const QStringList formats = mime->formats();
    for (const QString& f : formats) {
        ClipBlock block;
        if (f == kText) {
            block.format = ClipFormat::Text;
            block.charWidth = 1;
        } else if (f == kOemText) {
            block.format = ClipFormat::OemText;
            block.charWidth = 2;
        } else if (f == kUnicodeText) {
            block.format = ClipFormat::UnicodeText;
            block.charWidth = 2;
        } else {
            continue;
        }
        // Our blocks end with two zero bytes; the data is exactly what was copied.
        block.bytes = mime->data(f);
        block.bytes.chop(std::min<qsizetype>(2, block.bytes.size()));
        return block;
    }
    if (mime->hasText()) {
        ClipBlock block;
        block.format = ClipFormat::Text;
        block.charWidth = 1;
        const QString text = mime->text();
        block.bytes = NarrowToCodePage(kCodePageShiftJis, text);
        // The converter writes "?" for what 932 lacks: more "?" than the text had were replaced.
        block.replacedChars = int(block.bytes.count('?') - text.count(QLatin1Char('?')));
        return block;
    }
    if (!formats.isEmpty()) {
        ClipBlock block;
        block.format = ClipFormat::Text;
        block.bytes = mime->data(formats.front());
        return block;
    }
    return std::nullopt;
}

std::optional<ClipBlock> CClipboardBytes::ReadSystem()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? Read(clipboard->mimeData()) : std::nullopt;
}
