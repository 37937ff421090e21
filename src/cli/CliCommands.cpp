// Subcommands search, replace, same, sum, compare, grep and encode: each reads its inputs as the
// panes do, runs one engine and prints the engine's lines.
#include "cli/CliCommands.h"

#include "codes/TextEncoder.h"
#include "document/ByteSource.h"
#include "document/MappedByteSource.h"
#include "base/NativePath.h"
#include "document/FileGrowth.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "search/DiffRuns.h"
#include "search/FolderSearch.h"
#include "search/ReplaceEngine.h"
#include "search/SameSearch.h"
#include "search/SearchEngine.h"
#include "search/SearchFields.h"
#include "search/SumCalculator.h"

#include "base/SettingsStore.h"

#include <atomic>

namespace {

const QString kHex = QStringLiteral("--hex");
const QString kDec = QStringLiteral("--dec");
const QString kString = QStringLiteral("--string");
const QString kCode = QStringLiteral("--code");
const QString kBig = QStringLiteral("--big-endian");

// Opens a file to read, or fails with status 2 (missing) or 1 (unreadable).
template <typename Source = FileByteSource>
std::unique_ptr<Source> OpenFile(const QString& path)
{
    CheckExists(path);
    auto source = std::make_unique<Source>(path);
    if (!source->IsOpen())
        FailAt(1, path, source->ErrorText());
    return source;
}

} // namespace

int CmdSearch(const QStringList& argv, LineWriter& out)
{
    const CliArgs args(argv, {kHex, kDec, kString, kCode}, {kBig});
    args.ExpectPositional({QStringLiteral("FILE")});
    const SearchPattern pattern = ParsePatternOptions(args, false);
    auto source = OpenFile<MappedByteSource>(args.Positional()[0]);
    // Files of 4 GiB and more are edited on disk: their hits carry long addresses.
    const bool longAddresses = UseLongAddresses(FindMode::DirectEdit, source->Size());
    std::atomic<bool> stop{false};
    qint64 lines = 0;
    // The lines come as bytes in large batches and go out as they are.
    const HitListResult r = ListHits(
        *source, pattern, longAddresses, stop,
        [&](HitBatch&& batch) {
            out.Text(batch.text);
            lines += static_cast<qint64>(batch.hits.size());
        },
        size_t(1) << 16, HitText::Bytes, true);
    if (r.status == ScanResult::Failed)
        FailAt(1, args.Positional()[0], r.errorText);
    out.Lines(SearchSummaryLines(lines));
    return 0;
}

int CmdReplace(const QStringList& argv, LineWriter& out, CliPrompter& prompter)
{
    // Room a copy of a large file needs beyond its size: replacements may make it longer.
    constexpr int64_t kCopyMargin = 64LL << 20;
    const QString kWithHex = QStringLiteral("--with-hex");
    const QString kWithDec = QStringLiteral("--with-dec");
    const QString kWithString = QStringLiteral("--with-string");
    const QString kStart = QStringLiteral("--start");
    const QString kEnd = QStringLiteral("--end");
    const QString kOut = QStringLiteral("-o");
    const CliArgs args(argv, {kHex, kDec, kString, kCode, kWithHex, kWithDec, kWithString, kStart, kEnd, kOut}, {kBig});
    args.ExpectPositional({QStringLiteral("FILE")});
    const SearchPattern pattern = ParsePatternOptions(args, false);

    const int withCount = int(args.Has(kWithHex)) + int(args.Has(kWithDec)) + int(args.Has(kWithString));
    if (withCount != 1)
        FailInput(QStringLiteral("--with-hex, --with-dec, --with-string のどれか一つを指定してください。"));
    QString number; // the 数値 field
    bool fromString = false;
    if (auto h = args.Value(kWithHex)) {
        if (!h->isEmpty()) {
            if (!IsHexDigits(*h))
                FailInput(QStringLiteral("--with-hex は16進数で入力してください: %1").arg(*h));
            number = QStringLiteral("0x") + h->toUpper();
        }
    } else if (auto d = args.Value(kWithDec)) {
        if (!d->isEmpty()) {
            ParseCount(*d, kWithDec);
            number = *d;
        }
    } else {
        const QString text = *args.Value(kWithString);
        const QString code = ParseCodeName(args.Required(kCode));
        if (!text.isEmpty()) {
            CheckTextHeld(text, code, kWithString);
            number = EncodeReplaceString(text, code);
            fromString = true;
        }
    }
    if (args.Has(kStart) != args.Has(kEnd))
        FailInput(QStringLiteral("--start と --end は組にして指定してください。"));
    ReplaceScope scope = ReplaceScope::Whole;
    SearchCursor state;
    if (args.Has(kStart)) {
        scope = ReplaceScope::Selection;
        state.selStart = ParseAddress(*args.Value(kStart), kStart);
        state.selEnd = ParseAddress(*args.Value(kEnd), kEnd);
        if (state.selEnd < state.selStart)
            FailInput(QStringLiteral("--end が --start より前です。"));
    }
    const auto request = ReplaceRequest::Build(number, fromString, scope);
    if (!request)
        FailInput(QStringLiteral("置換する値が正しくありません。"));

    const QString path = args.Positional()[0];
    CheckExists(path);
    const QString target = args.Value(kOut).value_or(path);
    CheckWritable(target);
    const bool toOther = AbsolutePath(target) != AbsolutePath(path);
    CSettingsStore& settings = CSettingsStore::Current();
    const bool backup = settings.GetGroupSetting(SettingId::Backup, settings.FindSettingsGroup(target)) != 0;
    // A file that cannot be held in memory is edited on disk, in a complete copy that replaces
    // the target only once the replace has succeeded. Only when the target's file system has no
    // room for such a copy is the file changed in place (after the backup the settings ask for,
    // a real copy, since the file itself then changes); the user is told, and every growth of
    // the file takes its room before any byte moves.
    QString working = path;
    const qint64 size = StatPath(path).size;
    const bool onDisk = size >= 0x80000000LL;
    bool inPlace = false;
    SafeFileWriter copy(target);
    if (onDisk) {
        const int64_t room = FreeBytesAt(target);
        inPlace = !toOther && room >= 0 && room < size + kCopyMargin;
        if (inPlace) {
            out.Flush();
            PrintError(QStringLiteral("%1: 作業用のコピーを置く空き容量がないため、ファイルを直接書き換えます。")
                           .arg(PathForDisplay(path)));
            if (backup) {
                QString error;
                if (!MakeBackup(path, path + QStringLiteral(".bak"), false, &error))
                    FailIo(QStringLiteral("%1.bak: %2 ファイルは変更されていません。").arg(PathForDisplay(path), error));
            }
        } else {
            if (!copy.Open() || !copy.WriteFrom(path))
                FailIo(QStringLiteral("%1: %2 ファイルは変更されていません。").arg(PathForDisplay(target), copy.ErrorString()));
            working = copy.TemporaryPath();
        }
    }
    CQuorvaneDoc doc;
    OpenDocumentOrFail(doc, working, onDisk, prompter);
    ReplaceCallbacks callbacks;
    callbacks.decide = [](const SearchCursor&) { return ReplaceDecision::ReplaceAll; };
    const ReplaceOutcome outcome = RunReplace(doc, pattern, *request, state, callbacks);
    if (outcome.failed || prompter.ErrorShown()) {
        // Say what became of the file: in place, whole replacements may stand before the failure.
        QString what = QStringLiteral("ファイルは変更されていません。");
        if (inPlace && outcome.partial)
            what = QStringLiteral("ファイルは途中まで変更されています (%1件置換済み、最後の置換は不完全です)。").arg(outcome.replaced);
        else if (inPlace && outcome.replaced > 0)
            what = QStringLiteral("ファイルは変更されています (%1件置換済み)。").arg(outcome.replaced);
        FailIo(QStringLiteral("置換に失敗しました。%1").arg(what));
    }
    // Nothing replaced in place: the file and its backup stay as they are.
    const bool unchanged = outcome.replaced == 0 && target == path;
    if (!doc.IsDirectEdit() && !unchanged && !doc.DoSave(target))
        FailAt(1, target, QStringLiteral("保存できませんでした。"));
    if (onDisk && !inPlace) {
        doc.OnCloseDocument();
        if (unchanged) {
            copy.Cancel(); // nothing to replace: the file and its backup stay as they are
        } else {
            QString error;
            if (backup && StatPath(target).exists && !MakeBackup(target, target + QStringLiteral(".bak"), true, &error))
                FailIo(QStringLiteral("%1.bak: %2 ファイルは変更されていません。").arg(PathForDisplay(target), error));
            if (!copy.Commit())
                FailIo(QStringLiteral("%1: %2 ファイルは変更されていません。").arg(PathForDisplay(target), copy.ErrorString()));
        }
    }
    out.Line(QStringLiteral("置換結果　%1件").arg(outcome.replaced));
    return 0;
}

int CmdSame(const QStringList& argv, LineWriter& out)
{
    const QString kLength = QStringLiteral("--length");
    const QString kStart = QStringLiteral("--start");
    const QString kRange = QStringLiteral("--range");
    const QString kLimit = QStringLiteral("--group-limit");
    const CliArgs args(argv, {kLength, kStart, kRange, kLimit}, {});
    args.ExpectPositional({QStringLiteral("FILE")});
    SameSearchRequest request;
    request.n = ParseCount(args.Required(kLength), kLength);
    request.start = ParseHexNumber(args.Value(kStart).value_or(QStringLiteral("0")), kStart);
    const uint64_t range = ParseHexNumber(args.Value(kRange).value_or(QStringLiteral("00010000")), kRange);
    if (range > UINT64_MAX - request.start)
        FailInput(QStringLiteral("--start と --range の和が16桁を超えます。"));
    request.end = request.start + range;
    request.groupLimit = ParseCount(args.Value(kLimit).value_or(QStringLiteral("50")), kLimit);
    // Mapped: the same search would otherwise copy the whole range into memory first.
    auto source = OpenFile<MappedByteSource>(args.Positional()[0]);
    if (request.n == 0)
        return 0; // バイト数 0 starts no search
    std::atomic<bool> stop{false};
    const SameSearchResult r = RunSameSearch(*source, request, stop);
    if (r.status == ScanResult::Failed)
        FailAt(1, args.Positional()[0], r.errorText);
    out.Lines(SameSearchAllLines(r.groups));
    return 0;
}

int CmdSum(const QStringList& argv, LineWriter& out)
{
    const QString kMethod = QStringLiteral("--method");
    const QString kStart = QStringLiteral("--start");
    const QString kEnd = QStringLiteral("--end");
    const QString kInitial = QStringLiteral("--initial");
    const CliArgs args(argv, {kMethod, kStart, kEnd, kInitial}, {});
    args.ExpectPositional({QStringLiteral("FILE")});
    const QString name = args.Required(kMethod);
    const auto method = SumMethodFromName(name);
    if (!method)
        FailInput(QStringLiteral("不明な計算方法です: %1 (加算, 減算, XOR, CRC32, MD5, SHA-256, SHA-384, SHA-512)").arg(name));
    SumRequest request;
    request.start = ParseHexNumber(args.Value(kStart).value_or(QStringLiteral("0")), kStart);
    // Without --end the range runs to the last byte (an end past it is cut there).
    request.end = args.Has(kEnd) ? ParseHexNumber(*args.Value(kEnd), kEnd) : kNoAddress;
    if (auto init = args.Value(kInitial)) {
        if (!IsHexDigits(*init))
            FailInput(QStringLiteral("--initial は16進数で入力してください: %1").arg(*init));
        request.initial = ParseHexNumber(*init, kInitial);
    }
    if (request.end < request.start)
        FailInput(QStringLiteral("--end が --start より前です。"));
    auto source = OpenFile(args.Positional()[0]);
    // A start at or past the last byte leaves nothing to sum (an empty file sums from 0).
    if (request.start > 0 && request.start >= source->Size())
        FailInput(QStringLiteral("--start がファイルの末尾 (%1) 以降です。").arg(QString::number(source->Size(), 16).toUpper()));
    const SumResult r = RunSum(*source, request, *method);
    out.Lines(r.lines);
    if (!r.errorText.isEmpty())
        FailAt(1, args.Positional()[0], r.errorText);
    return 0;
}

int CmdCompare(const QStringList& argv, LineWriter& out)
{
    const CliArgs args(argv, {}, {});
    args.ExpectPositional({QStringLiteral("FILE1"), QStringLiteral("FILE2")});
    auto a = OpenFile(args.Positional()[0]);
    auto b = OpenFile(args.Positional()[1]);
    const uint64_t length = ComparedLength(*a, *b);
    const DiffStepResult r = ForEachDiffRun(*a, *b, nullptr, [&](uint64_t first, uint64_t last) {
        out.Line(FormatDiffRun(first, last, length));
        return true;
    });
    if (r.failed)
        FailIo(r.errorText);
    // Past the compared length only one file has bytes: the other ended there, as cmp reports.
    if (a->Size() != b->Size()) {
        const QString& shorter = args.Positional()[a->Size() < b->Size() ? 0 : 1];
        out.Line(FormatDiffEnd(Shown(shorter), length));
        return 1;
    }
    return 0;
}

int CmdGrep(const QStringList& argv, LineWriter& out)
{
    const QString kTypes = QStringLiteral("--types");
    const QString kRecursive = QStringLiteral("--recursive");
    const CliArgs args(argv, {kHex, kDec, kString, kCode, kTypes}, {kRecursive});
    args.ExpectPositional({QStringLiteral("FOLDER")});
    FolderSearchRequest request;
    request.pattern = ParsePatternOptions(args, true);
    CheckExists(args.Positional()[0], true);
    // The result lines name every file by its full path.
    request.folder = AbsolutePath(args.Positional()[0]);
    request.fileTypes = args.Value(kTypes).value_or(QStringLiteral("*.*"));
    request.subfolders = args.Has(kRecursive);
    std::atomic<bool> stop{false};
    bool unreadable = false;
    FolderSearchSink sink;
    sink.lines = [&](QStringList&& lines) { out.Lines(lines); };
    sink.openFailed = [&](const QString& path, const QString& text) {
        out.Flush();
        PrintError(QStringLiteral("%1: %2").arg(Shown(path), text));
        unreadable = true;
    };
    RunFolderSearch(request, stop, sink);
    return unreadable ? 1 : 0;
}

int CmdEncode(const QStringList& argv, LineWriter& out)
{
    const CliArgs args(argv, {kCode}, {});
    args.ExpectPositional({QStringLiteral("TEXT")});
    const QString code = ParseCodeName(args.Required(kCode));
    CheckTextHeld(args.Positional()[0], code, QStringLiteral("TEXT"));
    out.Line(EncodeTextAsHex(args.Positional()[0], code));
    return 0;
}
