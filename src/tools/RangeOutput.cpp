// Checking a typed range and writing its bytes to a file.
#include "tools/RangeOutput.h"

#include "document/AlignedReader.h"
#include "document/ByteSource.h"
#include "document/SafeFileWriter.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>

namespace {

constexpr size_t kBlock = 4 << 20; // bytes per read and write

} // namespace

bool ParseAddressField(const QString& text, uint64_t& value)
{
    value = 0;
    int digits = 0;
    for (QChar ch : text) {
        const char16_t c = ch.toUpper().unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        if (digits == 0 && d == 0)
            continue; // leading zeros do not count against the 16 digits
        if (++digits > 16)
            return false;
        value = (value << 4) | static_cast<uint64_t>(d);
    }
    return true;
}

QString ValidateRangeOutput(const RangeOutputInput& input, RangeOutputRequest& request)
{
    if (!ParseAddressField(input.startText, request.start))
        return QStringLiteral("開始アドレスが正しくありません。");
    if (!ParseAddressField(input.endText, request.end))
        return QStringLiteral("終了アドレスが正しくありません。");
    if (request.start > request.end)
        return QStringLiteral("開始アドレスが不正な値です。");
    if (request.end >= input.fileSize)
        return QStringLiteral("終了アドレスがファイルサイズを超えています。");
    if (input.destination.isEmpty())
        return QStringLiteral("出力先が未入力です。");
    request.destination = input.destination;
    return QString();
}

bool WriteRangeToFile(ByteSource& source, const RangeOutputRequest& request, const CopyProgress& progress,
                      QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (request.end < request.start || request.end >= source.Size())
        return fail(QStringLiteral("終了アドレスがファイルサイズを超えています。"));
    const uint64_t total = request.end - request.start + 1;
    SafeFileWriter out(request.destination);
    const auto failed = [&] { return fail(QStringLiteral("%1\n%2").arg(request.destination, out.ErrorString())); };
    if (!out.Open())
        return failed();
    // A document held in memory is written straight from its block; a file is read in blocks.
    if (const uint8_t* data = source.Data()) {
        for (uint64_t done = 0; done < total;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlock, total - done));
            if (!out.Write(data + request.start + done, static_cast<qint64>(n)))
                return failed();
            done += n;
            if (progress && !progress(done, total)) {
                out.Cancel();
                return fail(QString());
            }
        }
    } else {
        std::optional<AlignedReader> reader;
        try {
            reader.emplace(source, request.start, request.end + 1, 0, nullptr, kBlock);
            uint64_t done = 0;
            while (reader->Next()) {
                if (!out.Write(reader->Data(), static_cast<qint64>(reader->Length())))
                    return failed();
                done += reader->Length();
                if (progress && !progress(done, total)) {
                    out.Cancel();
                    return fail(QString());
                }
            }
            if (reader->Failed()) {
                out.Cancel();
                return fail(source.ErrorText());
            }
            if (done < total) {
                // The file became shorter than the range while it was copied.
                out.Cancel();
                return fail(QStringLiteral("ファイルの途中で読み込めなくなりました。"));
            }
        } catch (const std::bad_alloc&) {
            out.Cancel();
            return fail(QStringLiteral("メモリが不足しています。"));
        }
    }
    if (!out.Commit())
        return failed();
    return true;
}
