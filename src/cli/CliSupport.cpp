// Argument parsing, input checks and output of the command-line companion.
#include "cli/CliSupport.h"

#include "tools/RangeOutput.h"

#include "codes/HexText.h"
#include "codes/TextEncoder.h"
#include "document/ByteSource.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "search/FolderSearch.h"
#include "search/SearchFields.h"

#include <cerrno>
#include <cstdio>

void FailInput(const QString& message)
{
    throw CliError{2, message};
}

void FailIo(const QString& message)
{
    throw CliError{1, message};
}

void PrintError(const QString& message)
{
    if (message.isEmpty())
        return;
    QString one = message;
    one.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray text = (QStringLiteral("quorvane-cli: ") + one + QLatin1Char('\n')).toUtf8();
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
}

CliArgs::CliArgs(const QStringList& args, const std::set<QString>& valueOptions, const std::set<QString>& flags)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            QString name = a;
            std::optional<QString> inlineValue;
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            if (a.startsWith(QLatin1String("--")) && eq > 0) {
                name = a.left(eq);
                inlineValue = a.mid(eq + 1);
            }
            if (valueOptions.count(name)) {
                if (inlineValue) {
                    m_values[name] = *inlineValue;
                } else {
                    if (i + 1 >= args.size())
                        FailInput(QStringLiteral("%1 には値が必要です。").arg(name));
                    m_values[name] = args[++i];
                }
            } else if (flags.count(name) && !inlineValue) {
                m_flags.insert(name);
            } else {
                FailInput(QStringLiteral("不明なオプションです: %1").arg(a));
            }
        } else {
            m_positional.push_back(a);
        }
    }
}

std::optional<QString> CliArgs::Value(const QString& option) const
{
    const auto it = m_values.find(option);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

QString CliArgs::Required(const QString& option) const
{
    const auto v = Value(option);
    if (!v)
        FailInput(QStringLiteral("%1 を指定してください。").arg(option));
    return *v;
}

void CliArgs::ExpectPositional(const QStringList& names) const
{
    if (m_positional.size() < names.size())
        FailInput(QStringLiteral("%1 を指定してください。").arg(names[m_positional.size()]));
    if (m_positional.size() > names.size())
        FailInput(QStringLiteral("余分な引数があります: %1").arg(m_positional[names.size()]));
}

uint64_t ParseHexNumber(const QString& text, const QString& what)
{
    QString digits = text;
    digits.remove(QLatin1Char('-'));
    if (digits.isEmpty())
        FailInput(QStringLiteral("%1 が空です。").arg(what));
    if (!IsHexDigits(digits))
        FailInput(QStringLiteral("%1 は16進数で入力してください: %2").arg(what, text));
    // More than 16 significant digits would wrap around to a small number.
    uint64_t value = 0;
    if (!ParseAddressField(digits, value))
        FailInput(QStringLiteral("%1 は16桁以下の16進数で指定してください: %2").arg(what, text));
    return value;
}

bool IsHexDigits(const QString& text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f')))
            return false;
    }
    return true;
}

int64_t ParseCount(const QString& text, const QString& what)
{
    if (text.isEmpty())
        FailInput(QStringLiteral("%1 が空です。").arg(what));
    int64_t v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            FailInput(QStringLiteral("%1 は10進数で入力してください: %2").arg(what, text));
        if (v > (INT64_MAX - 9) / 10)
            FailInput(QStringLiteral("%1 が大きすぎます: %2").arg(what, text));
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

QString ParseCodeName(const QString& name)
{
    if (!IsCharCodeName(name))
        FailInput(QStringLiteral("不明な文字コードです: %1 (ASCII, JIS, Shift-JIS, EUC, Unicode, UnicodeBE, UTF-8, EBCDIC, EBCDIK)").arg(name));
    return name;
}

void CheckTextHeld(const QString& text, const QString& codeName, const QString& option)
{
    const QString message = UnheldCharMessage(text, codeName);
    if (!message.isEmpty())
        FailInput(QStringLiteral("%1: %2").arg(option, message));
}

void CheckExists(const QString& path, bool folder)
{
    const PathFacts info = StatPath(path);
    if (path.isEmpty() || !info.exists)
        FailInput(QStringLiteral("%1 が見つかりません。").arg(PathForDisplay(path)));
    if (folder && !info.isDir)
        FailInput(QStringLiteral("%1 はフォルダではありません。").arg(PathForDisplay(path)));
    // Pipes and devices have no length to read, and opening a pipe would wait for a writer.
    if (!folder && !info.isFile)
        FailInput(QStringLiteral("%1 は通常のファイルではありません。").arg(PathForDisplay(path)));
}

QString Shown(const QString& path)
{
    return PathForDisplay(path);
}

void FailAt(int status, const QString& path, const QString& text)
{
    throw CliError{status, QStringLiteral("%1: %2").arg(PathForDisplay(path), text)};
}

void OpenDocumentOrFail(CQuorvaneDoc& doc, const QString& path, bool directEdit, const CliPrompter& prompter)
{
    if (!doc.OnOpenDocument(path, directEdit)) {
        // The document has already said why, naming the file.
        if (prompter.ErrorShown())
            FailIo(QStringLiteral("処理を中止しました。ファイルは変更していません。"));
        FailAt(1, path, QStringLiteral("開けませんでした。"));
    }
    doc.WaitForLoader();
    if (doc.IsIncomplete())
        FailAt(1, path, ShortReadText());
    doc.SetEditLock(0);
}

void CheckWritable(const QString& path)
{
    // Writing into a pipe would wait for a reader, and a device is no file to keep: only regular
    // files (or new names) are written.
    QString error;
    if (!IsWritableTarget(path, &error))
        FailInput(error);
}

SearchPattern ParsePatternOptions(const CliArgs& args, bool folderWay)
{
    const int given = int(args.Has(QStringLiteral("--hex"))) + int(args.Has(QStringLiteral("--dec")))
                    + int(args.Has(QStringLiteral("--string")));
    if (given != 1)
        FailInput(QStringLiteral("--hex, --dec, --string のどれか一つを指定してください。"));
    QString hex;
    bool written = args.Has(QStringLiteral("--big-endian"));
    if (auto h = args.Value(QStringLiteral("--hex"))) {
        hex = h->toUpper(); // the 16進数 fields show what is typed in upper case
        if (hex.isEmpty())
            FailInput(QStringLiteral("検索する値を入力して下さい。"));
        if (!SearchPattern::IsPatternText(hex))
            FailInput(QStringLiteral("16進数に使える文字は 0123456789ABCDEF? だけです: %1").arg(*h));
    } else if (auto d = args.Value(QStringLiteral("--dec"))) {
        if (d->isEmpty())
            FailInput(QStringLiteral("検索する値を入力して下さい。"));
        if (folderWay) {
            const QString body = d->startsWith(QLatin1Char('-')) || d->startsWith(QLatin1Char('+')) ? d->mid(1) : *d;
            if (body.isEmpty())
                FailInput(QStringLiteral("10進数で入力してください: %1").arg(*d));
            ParseCount(body, QStringLiteral("--dec"));
            hex = FolderSearchDecimalToHex(*d);
        } else {
            ParseCount(*d, QStringLiteral("--dec"));
            hex = SearchDecimalToHex(*d);
        }
    } else {
        const QString text = *args.Value(QStringLiteral("--string"));
        const QString code = ParseCodeName(args.Required(QStringLiteral("--code")));
        if (text.isEmpty())
            FailInput(QStringLiteral("検索する値を入力して下さい。"));
        CheckTextHeld(text, code, QStringLiteral("--string"));
        hex = EncodeTextAsHex(text, code);
        if (hex.isEmpty())
            FailInput(QStringLiteral("文字列を %1 で表せません。").arg(code));
        written = true; // a string is always searched in written order
    }
    if (folderWay)
        written = args.Has(QStringLiteral("--string"));
    const auto pattern = SearchPattern::FromHexText(hex, written);
    if (!pattern)
        FailInput(QStringLiteral("検索する値を入力して下さい。"));
    return *pattern;
}

void LineWriter::Line(const QString& line)
{
    // UTF-8, except that file names that are not UTF-8 are written as their own bytes.
    m_buffer += PathToNative(line);
    m_buffer += '\n';
    if (m_buffer.size() >= kFlushSize)
        Flush();
}
void LineWriter::Text(const QByteArray& text)
{
    if (m_buffer.isEmpty() && text.size() >= kFlushSize) {
        Write(text);
        return;
    }
    m_buffer += text;
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

void LineWriter::Lines(const QStringList& lines)
{
    for (const QString& l : lines)
        Line(l);
}

LineWriter::~LineWriter()
{
    try {
        Flush();
    } catch (const CliError&) {
    }
}

void LineWriter::Flush()
{
    if (m_buffer.isEmpty())
        return;
    // Taken out first: after a failed write the same bytes are not tried again.
    QByteArray block;
    block.swap(m_buffer);
    Write(block);
    block.resize(0); // keeps its room for the next block
    m_buffer.swap(block);
}
void LineWriter::Write(const QByteArray& bytes)
{
    const size_t n = static_cast<size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, n, stdout) != n || std::fflush(stdout) != 0) {
        // The reader has gone (`| head -1`): stop quietly, as a program killed by SIGPIPE would.
        if (errno == EPIPE)
            throw CliError{kBrokenPipeStatus, QString()};
        throw CliError{1, QStringLiteral("標準出力に書き込めません。")};
    }
}

PromptAnswer CliPrompter::Show(const QString& text, const QString& caption, PromptButtons buttons, PromptIcon icon)
{
    if (icon == PromptIcon::Error)
        m_errorShown = true;
    PrintError(caption + QStringLiteral(": ") + text);
    switch (buttons) {
    case PromptButtons::Ok: return PromptAnswer::Ok;
    case PromptButtons::YesNo: return PromptAnswer::No;
    default: return PromptAnswer::Cancel;
    }
}

uint64_t ParseAddress(const QString& text, const QString& what)
{
    QString digits = text;
    digits.remove(QLatin1Char('-'));
    uint64_t value = 0;
    if (digits.isEmpty() || !ParseAddressField(digits, value))
        FailInput(QStringLiteral("%1 は16桁以下の16進数で指定してください: %2").arg(what, text));
    return value;
}
