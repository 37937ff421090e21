// Fixed-form input: reading the address list and the data, and writing at every address.
#include "tools/FixedInput.h"

#include "app/Prompter.h"
#include "codes/TextEncoder.h"
#include "document/QuorvaneDoc.h"
#include "tools/RangeOutput.h"

#include <QStringList>

namespace {

// The in-memory store stays below 2 GiB (the undo records hold 32-bit addresses).
constexpr uint64_t kMemoryLimit = 0x80000000ull;

QString TrimmedRight(const QString& s)
{
    qsizetype end = s.size();
    while (end > 0 && s[end - 1].isSpace())
        --end;
    return s.left(end);
}

int HexDigit(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

QString LoadingRefusalText()
{
    return QStringLiteral("ファイルを読み込み中です。読み込みが終わってから実行してください。");
}

bool ParseFixedAddresses(const QString& text, std::vector<uint64_t>& addresses, QString* error)
{
    addresses.clear();
    QString all = TrimmedRight(text);
    all.remove(QLatin1Char('\r'));
    const QStringList lines = all.split(QLatin1Char('\n'));
    addresses.reserve(static_cast<size_t>(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = TrimmedRight(lines[i]);
        qsizetype zeros = 0;
        while (zeros < line.size() && line[zeros] == QLatin1Char('0'))
            ++zeros;
        line = line.mid(zeros);
        uint64_t value = 0;
        if (!ParseAddressField(line, value)) {
            if (error)
                *error = QStringLiteral("アドレスリストの %1 行目が正しくありません: %2").arg(i + 1).arg(lines[i]);
            addresses.clear();
            return false;
        }
        addresses.push_back(value);
    }
    return true;
}

QByteArray FixedInputData(bool stringMode, const QString& text, CharCode code)
{
    if (stringMode)
        return EncodeText(text, code);
    QByteArray bytes;
    int high = -1;
    for (QChar ch : text) {
        const int d = HexDigit(ch);
        if (d < 0)
            continue; // spaces (the field accepts nothing else)
        if (high < 0) {
            high = d;
        } else {
            bytes.append(static_cast<char>((high << 4) | d));
            high = -1;
        }
    }
    return bytes;
}

FixedInputOutcome ApplyFixedInput(CQuorvaneDoc& doc, const std::vector<uint64_t>& addresses, const QByteArray& data,
                                  bool insertMode)
{
    FixedInputOutcome outcome;
    if (doc.IsLoading()) {
        Prompter::ShowError(LoadingRefusalText());
        outcome.stopped = true;
        return outcome;
    }
    if (!doc.IsEditable()) {
        Prompter::ShowError(QStringLiteral("編集禁止のため書き込めません。"));
        outcome.stopped = true;
        return outcome;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    const size_t n = static_cast<size_t>(data.size());

    if (doc.IsDirectEdit()) {
        // Bytes past the end of the file are always added by insertion at its end (the file grows
        // first, then they are written), so that the length checks of the disk writes hold.
        for (uint64_t a : addresses) {
            bool ok = true;
            if (a > doc.GetFileSize()) {
                // Reach the address with zero bytes, then write, as in memory.
                const QByteArray zeros(static_cast<qsizetype>(std::min<uint64_t>(a - doc.GetFileSize(), 1 << 20)), '\0');
                while (ok && doc.GetFileSize() < a) {
                    const uint64_t at = doc.GetFileSize();
                    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(a - at, static_cast<uint64_t>(zeros.size())));
                    ok = doc.DiskWrite(at, reinterpret_cast<const uint8_t*>(zeros.constData()), chunk, true, true);
                }
            }
            const size_t inside = insertMode ? 0 : static_cast<size_t>(std::min<uint64_t>(n, doc.GetFileSize() - std::min(a, doc.GetFileSize())));
            // The part past the end first: when the disk has no room for it, the bytes inside the
            // file are left as they were.
            ok = ok && (inside == n || doc.DiskWrite(a + inside, bytes + inside, n - inside, true, true));
            ok = ok && (inside == 0 || doc.DiskWrite(a, bytes, inside, false, true));
            if (ok)
                ++outcome.written;
        }
        return outcome;
    }

    if (n == 0)
        return outcome; // no data: nothing to write anywhere
    // The first record empties the redo journal.
    // The size is followed here and announced once at the end.
    uint64_t size = doc.GetFileSize();
    for (uint64_t a : addresses) {
        const uint64_t gap = a > size ? a - size : 0;
        if (size + gap + n >= kMemoryLimit) {
            Prompter::ShowError(QStringLiteral("アドレス %1 への書き込みはメモリ上のファイルの上限 (2 GiB) を超えます。")
                                    .arg(QString::number(a, 16).toUpper()));
            outcome.stopped = true;
            break;
        }
        using Outcome = CQuorvaneDoc::RecordOutcome;
        bool done = false;
        if (gap) {
            // Zero bytes up to the address, then the data: one insertion at the old end.
            if (doc.Record(false, static_cast<uint32_t>(size), nullptr, 0, static_cast<int32_t>(gap + n)) == Outcome::Abandon) {
                outcome.stopped = true;
                break;
            }
            QByteArray block(static_cast<qsizetype>(gap), '\0');
            block.append(data);
            done = doc.InsertBytes(size, reinterpret_cast<const uint8_t*>(block.constData()), static_cast<size_t>(block.size()));
        } else if (insertMode) {
            if (doc.Record(false, static_cast<uint32_t>(a), nullptr, 0, static_cast<int32_t>(n)) == Outcome::Abandon) {
                outcome.stopped = true;
                break;
            }
            done = doc.InsertBytes(a, bytes, n);
        } else {
            const uint64_t replaced = std::min<uint64_t>(n, size - a);
            if (doc.RecordStoreBytes(true, static_cast<uint32_t>(a), static_cast<int32_t>(replaced), static_cast<int32_t>(n))
                == Outcome::Abandon) {
                outcome.stopped = true;
                break;
            }
            // Insert first and remove the replaced bytes behind: a failed insertion changes nothing.
            done = doc.InsertBytes(a, bytes, n);
            if (done)
                doc.RemoveBytes(a + n, static_cast<size_t>(replaced));
        }
        if (!done) {
            // The record just made describes no change: the journals no longer match the bytes.
            doc.ClearJournals();
            Prompter::ShowError(QStringLiteral("メモリが不足しています。"));
            outcome.stopped = true;
            break;
        }
        if (gap)
            size = a + n;
        else
            size = insertMode ? size + n : std::max<uint64_t>(size, a + n);
        ++outcome.written;
    }
    doc.SyncFileSize();
    return outcome;
}
