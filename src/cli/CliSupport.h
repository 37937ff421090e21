// Command-line companion: argument parsing, input checks and output, shared by the subcommands.
#pragma once

#include "base/Prompter.h"
#include "search/SearchPattern.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

// The status of a run whose standard output was closed by its reader: the program then ends as
// SIGPIPE would have ended it, once its temporary files are gone.
inline constexpr int kBrokenPipeStatus = 128 + 13;

// A refused input (status 2) or an I/O failure (status 1), with its one-line message (none for
// kBrokenPipeStatus).
struct CliError
{
    int status;
    QString message;
};

[[noreturn]] void FailInput(const QString& message);
[[noreturn]] void FailIo(const QString& message);
// Fails with "PATH: text", the path named once as the user reads it (foreign bytes as \xHH).
[[noreturn]] void FailAt(int status, const QString& path, const QString& text);
// A path as messages show it.
QString Shown(const QString& path);

// The arguments of one subcommand: positional arguments, options with a value ("--x V" or
// "--x=V") and flags. Unknown options and missing values are refused.
class CliArgs
{
public:
    CliArgs(const QStringList& args, const std::set<QString>& valueOptions, const std::set<QString>& flags);

    const QStringList& Positional() const { return m_positional; }
    bool Has(const QString& option) const { return m_values.count(option) || m_flags.count(option); }
    std::optional<QString> Value(const QString& option) const;
    QString Required(const QString& option) const;
    // Exactly `count` positional arguments, named for the message.
    void ExpectPositional(const QStringList& names) const;

private:
    QStringList m_positional;
    std::map<QString, QString> m_values;
    std::set<QString> m_flags;
};

// An address or length typed as the properties pane takes it: hexadecimal digits, "-" removed,
// at most 16 significant ones (a longer number is refused, never wrapped), `what` named.
uint64_t ParseHexNumber(const QString& text, const QString& what);
// An address of a batch tool: hexadecimal, "-" removed, at most 16 significant digits (never
// wrapped); anything else fails the input with `what` named.
uint64_t ParseAddress(const QString& text, const QString& what);
// True when `text` holds only "0123456789ABCDEFabcdef".
bool IsHexDigits(const QString& text);
// A count: decimal digits.
int64_t ParseCount(const QString& text, const QString& what);
// A character code name ("Shift-JIS", ...); refused unless it is one of the nine.
QString ParseCodeName(const QString& name);
// Refuses (status 2, `option` named) a text with a character the code cannot hold.
void CheckTextHeld(const QString& text, const QString& codeName, const QString& option);
// An existing regular file (or folder, for `folder`).
void CheckExists(const QString& path, bool folder = false);
// An output path: a regular file or a new name; FIFOs, devices, sockets and folders are refused.
void CheckWritable(const QString& path);

// The search pattern of --hex / --dec / --string (with --code). `folderWay` builds it as the
// folder search does (decimal "%X" conversion with sign; digits always least significant byte
// first); else as the 検索 category (reversed order unless --big-endian).
SearchPattern ParsePatternOptions(const CliArgs& args, bool folderWay);

// Buffered UTF-8 output of whole lines to standard output, written in blocks of about 1 MiB.
class LineWriter
{
public:
    // Writes what is left; a failure then is dropped (the run has already ended with its status).
    ~LineWriter();
    void Line(const QString& line);
    void Lines(const QStringList& lines);
    // Lines already in UTF-8, each ended by "\n".
    void Text(const QByteArray& text);
    void Flush();

private:
    static constexpr qsizetype kFlushSize = qsizetype(1) << 20;
    void Write(const QByteArray& bytes);
    QByteArray m_buffer;
};

// Errors and questions of the engines: "エラー" boxes go to standard error; questions are
// answered with the cautious choice (No / Cancel). Remembers whether an error was shown.
class CliPrompter final : public Prompter
{
public:
    PromptAnswer Show(const QString& text, const QString& caption, PromptButtons buttons, PromptIcon icon) override;
    bool ErrorShown() const { return m_errorShown; }

private:
    bool m_errorShown = false;
};

class CQuorvaneDoc;
// Opens `path` as a document (on disk with `directEdit`), read to its end and unlocked; fails
// with status 1 when it cannot be opened or read completely.
void OpenDocumentOrFail(CQuorvaneDoc& doc, const QString& path, bool directEdit, const CliPrompter& prompter);

// Writes one message line to standard error, prefixed with the program name.
void PrintError(const QString& message);
