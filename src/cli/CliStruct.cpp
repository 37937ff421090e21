// quorvane-cli struct: the structure editor's rows for a file and a definition file.
#include "base/SettingsStore.h"
#include "cli/CliCommands.h"
#include "structs/StructFiles.h"
#include "base/NativePath.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "structs/DocStructBytes.h"
#include "structs/StructSession.h"

namespace {

// --expand shows at most this many elements of an array, and stops after this many rows in all.
constexpr int64_t kExpandElements = 1000;
constexpr int64_t kExpandRows = 10'000'000;

int FindStructure(const CStructDefs& defs, const QString& name)
{
    for (size_t i = 0; i < defs.Defs().size(); ++i)
        if (defs.Defs()[i].name == name)
            return int(i);
    return -1;
}

} // namespace

int CmdStruct(const QStringList& argv, LineWriter& out, CliPrompter& prompter)
{
    const QString kDef = QStringLiteral("--def");
    const QString kName = QStringLiteral("--name");
    const QString kAt = QStringLiteral("--at");
    const QString kSet = QStringLiteral("--set");
    const QString kExpand = QStringLiteral("--expand");
    // --set may come more than once: take those out before the usual parsing.
    QStringList rest;
    QStringList sets;
    for (int i = 0; i < argv.size(); ++i) {
        if (argv[i] == kSet) {
            if (i + 1 >= argv.size())
                FailInput(QStringLiteral("--set には LABEL=TEXT を指定してください。"));
            sets << argv[++i];
        } else if (argv[i].startsWith(kSet + QLatin1Char('='))) {
            sets << argv[i].mid(kSet.size() + 1);
        } else {
            rest << argv[i];
        }
    }
    const CliArgs args(rest, {kDef, kName, kAt}, {kExpand});
    args.ExpectPositional({QStringLiteral("FILE")});
    const QString path = args.Positional()[0];
    QString defPath = args.Required(kDef);
    // A bare file name is looked up among the definitions the structure editor lists.
    if (!StatPath(defPath).exists && !defPath.contains(QLatin1Char('/'))) {
        for (const CStructFiles::Entry& e : CStructFiles::Find(CStructFiles::DefaultFolders())) {
            if (FileNameOf(e.path) == defPath) {
                defPath = e.path;
                break;
            }
        }
    }
    CheckExists(path);
    CheckExists(defPath);
    const uint64_t base = ParseAddress(args.Value(kAt).value_or(QStringLiteral("0")), kAt);

    // Reading only: the file is read from disk as direct edit reads it. Edits: in memory (or on
    // disk for a file too big for memory), then saved with the backup the default group asks for.
    const bool editing = !sets.isEmpty();
    if (editing)
        CheckWritable(path);
    const bool onDisk = !editing || StatPath(path).size >= 0x80000000LL;
    if (editing && onDisk) {
        const bool backup = CSettingsStore::Current().GetGroupSetting(SettingId::Backup, CSettingsStore::Current().FindSettingsGroup(path)) != 0;
        QString error;
        if (backup && !MakeBackup(path, path + QStringLiteral(".bak"), false, &error))
            FailAt(1, path + QStringLiteral(".bak"), error);
    }
    CQuorvaneDoc doc;
    OpenDocumentOrFail(doc, path, onDisk, prompter);
    DocStructBytes bytes(&doc);

    CStructSession session;
    session.SetBase(base);
    if (!session.LoadDefinitionFile(defPath, bytes))
        throw CliError{session.ErrorLine() > 0 ? 2 : 1, session.ErrorMessage()};
    int structure = 0;
    if (auto name = args.Value(kName)) {
        structure = FindStructure(session.Defs(), *name);
        if (structure < 0)
            FailInput(QStringLiteral("構造体 %1 は %2 にありません。").arg(*name, PathForDisplay(FileNameOf(defPath))));
    } else if (session.Defs().Defs().empty()) {
        FailInput(QStringLiteral("%1 に構造体がありません。").arg(PathForDisplay(FileNameOf(defPath))));
    }
    session.ChooseStructure(structure);

    CStructTree& tree = session.Tree();
    for (const QString& set : sets) {
        const qsizetype eq = set.indexOf(QLatin1Char('='));
        if (eq <= 0)
            FailInput(QStringLiteral("--set は LABEL=TEXT の形で指定してください: %1").arg(set));
        const QString label = set.left(eq);
        int64_t index = -1;
        for (int64_t i = 0; i < tree.RowCount(); ++i) {
            const CStructTree::LISTOPTION row = tree.Row(i);
            if (row.level == 0 && row.label == label) {
                index = i;
                break;
            }
        }
        if (index < 0)
            FailInput(QStringLiteral("行 %1 がありません。").arg(label));
        if (!CStructValues::IsEditable(tree, tree.Row(index)))
            FailInput(QStringLiteral("行 %1 の値は編集できません。").arg(label));
        const CStructValues::Commit result = session.CommitValueEdit(index, set.mid(eq + 1), bytes);
        if (result == CStructValues::Commit::Refused)
            FailInput(QStringLiteral("--set %1 の値が正しくありません。").arg(label));
        if (result == CStructValues::Commit::Failed || prompter.ErrorShown())
            FailAt(1, path, QStringLiteral("書き込めませんでした。"));
    }
    if (editing && !doc.IsDirectEdit() && !doc.DoSave(path))
        FailAt(1, path, QStringLiteral("保存できませんでした。"));

    if (args.Has(kExpand)) {
        for (int64_t i = 0; i < tree.RowCount() && tree.RowCount() < kExpandRows; ++i) {
            const CStructTree::LISTOPTION row = tree.Row(i);
            if (CStructTree::IsExpandable(row) && !row.expanded)
                tree.Expand(i, kExpandElements);
        }
    }
    const uint64_t size = doc.GetFileSize();
    const int64_t rows = std::min(tree.RowCount(), kExpandRows);
    // A read that failed has been reported (naming the file): no row after it is to be trusted.
    const auto readFailed = [&] {
        if (prompter.ErrorShown())
            FailIo(QStringLiteral("構造体を最後まで表示できませんでした。"));
    };
    readFailed();
    for (int64_t i = 0; i < rows; ++i) {
        const QString line = CStructValues::RowLine(tree, tree.Row(i), bytes, session.Base(), size);
        readFailed();
        out.Line(line);
    }
    if (rows < tree.RowCount())
        PrintError(QStringLiteral("%1 行で打ち切りました。").arg(rows));
    return 0;
}
