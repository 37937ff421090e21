// quorvane-cli: gives the analysis engines to scripts, printing the lines the output pane shows.
#include "base/CommandLineInfo.h"
#include "base/SettingsStore.h"
#include "cli/CliCommands.h"
#include "base/NativePath.h"

#include <QCoreApplication>
#ifdef QUORVANE_CLI_PAINTS
#include <QGuiApplication>
#else
#include <QProcess>
#endif
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <map>

namespace {

const char kHelp[] = R"(使い方: quorvane-cli <サブコマンド> [引数]

アドレスと長さは16進数で指定します ("-" は取り除かれます)。件数は10進数です。
出力は出力ウィンドウと同じ行 (UTF-8) です。終了ステータスはすべてのサブコマンドで同じです:
入力の誤り (不明なオプション、ない入力ファイル、通常のファイルではない入出力、16桁を超える
アドレス、範囲外の指定、文字コードで表せない文字) は 2、読み書きの失敗 (ファイルを最後まで
読み込めない場合を含む) は 1 です。文字コード名: ASCII JIS Shift-JIS EUC Unicode UnicodeBE UTF-8 EBCDIC EBCDIK

  dump FILE [--code NAME] [--start ADDR] [--length N]
      ビューと同じ行 (アドレス、16バイトの16進数、文字コード NAME (既定 Shift-JIS)
      の文字列) を表示します。末尾の次のセルは "EOF" です。N は10進数のバイト数です。

  search FILE (--hex TEXT [--big-endian] | --dec N [--big-endian] | --string TEXT --code NAME)
      検索タブの一覧: ヒットごとに1行、空行、"検索結果　%d件"。16進数 (10進数から
      作ったものも) はリトルエンディアンとして逆順に読みます (--big-endian で書いた順)。
      文字列は常に書いた順です。TEXT は 0123456789ABCDEF? で、? はニブルのワイルドカードです。

  replace FILE (search と同じパターン指定) (--with-hex TEXT | --with-dec N | --with-string TEXT)
          [--start ADDR --end ADDR] [-o OUT]
      一括置換です。範囲を指定すると選択範囲内 (両端を含む) だけを置換します。
      置換値の数値はリトルエンディアン、--with-string は --code の文字コードで書いた順です。
      空の置換値はヒットを削除します。OUT に書くか、既定の設定グループに従って
      ".bak" のバックアップを作ってファイル自体を書き換えます。置換した件数を表示します。

  same FILE --length N [--start ADDR] [--range LEN] [--group-limit N]
      同一検索: 全グループの一覧 (アドレス、2つの空白、キー)、空行、"%d件"。
      --length はバイト数 (10進数)、--range は既定 00010000、--group-limit は既定 50 です。

  sum FILE --method NAME [--start ADDR] [--end ADDR] [--initial HEX]
      SUM結果の行。NAME は 加算 減算 XOR CRC32 MD5 SHA-256 SHA-384 SHA-512 です。
      --end を省くとファイルの末尾まで計算します。

  compare FILE1 FILE2
      異なるバイトの連続ごとに1行 (先頭と末尾のアドレスを " - " でつなぐ)。比較長が
      4 GiB 以上ならアドレスは16桁 (8桁目の後に "-") です。長さが異なれば最後に短い方の
      ファイルについて行 EOF: NAME (末尾のアドレス ADDR) を表示し、終了ステータスは 1 です。

  grep FOLDER (--hex TEXT | --dec N | --string TEXT --code NAME) [--types "*.dat;*.ini"] [--recursive]
      フォルダ内検索の行: ファイルのパス、ヒットのアドレス、空行、最後に "全 %d件"。
      16進数は下位バイトから探します。--types の既定は "*.*" です。

  bookmarks LIST
      ブックマークリスト (.lst) の内容をブックマークタブと同じく、ファイルの順に
      "アドレス<TAB>説明" の行で表示します (アドレスは 00000000-0001A2F0 の形)。

  fixed FILE (--hex TEXT | --string TEXT --code NAME) --at ADDR... [--insert] [-o OUT]
      定型入力: データを各 --at アドレス (16進数、繰り返し指定可、指定順) に書き込みます。
      --at がなければアドレス 0 です。既定は上書き、--insert で挿入します。末尾より先の
      アドレスまでは 00 で埋めます。OUT に書くか、".bak" の規則に従ってファイル自体を書き換えます。

  concat FILE OTHER [--at start|end|ADDR] [--overwrite] [-o OUT]
      ファイル連結: OTHER の内容を先頭、末尾 (既定) またはアドレス ADDR に挿入します
      (--overwrite で上書き)。書き込み先は fixed と同じです。

  extract FILE --start ADDR --end ADDR -o OUT
      指定範囲をファイル出力: START から END まで (両端を含む) を OUT に書きます。
      --start と --end は省略できません。
      アドレスの誤りはダイアログと同じメッセージで終了ステータス 2 です。

  print FILE -o OUT.pdf [--code NAME] [--start ADDR --end ADDR]
      印刷と同じページ (パス、列見出し、行、"EOF") を PDF ファイルに出力します。範囲を
      指定すると選択範囲として印刷します。画面がなくても動きます。ページ数を表示します。

  struct FILE --def DEFFILE [--name STRUCT] [--at ADDR] [--expand] [--set LABEL=TEXT]...
      構造体編集の一覧の行: 1行に1つ、"字下げ 名前<TAB>データ<TAB>型" (字下げは階層ごとに
      空白2つ)。--name は構造体 (既定は最初のもの)、--at は基準アドレス、--expand は
      すべてを展開します (配列は先頭の1000要素まで)。--set は階層0の LABEL の行の値を
      TEXT に書き換え、既定の設定グループに従って ".bak" を作ってファイルを保存してから
      表示します。定義ファイルの誤りは行番号とともに表示し、終了ステータス 2 です。

  info FILE --at ADDR [--big-endian] [--minus] [--selection-length N]
      情報ウィンドウの8行 (Bit Byte Word 3Byte DWord FileSize Address Range) を
      "名前<TAB>値" で表示します。--minus は "-" 表示、N は選択範囲のバイト数 (10進数) です。
      ファイルの末尾より後のアドレスは末尾として扱います。

  encode TEXT --code NAME
      文字列を文字コード NAME で符号化した16進数テキストを表示します。

  --help
      この説明を表示します。

  --version
      バージョンを表示します。
)";

void PrintHelp()
{
    std::fputs(kHelp, stdout);
}

// The private settings folder of this run: "quorvane-cli-<pid>-XXXXXX" in the temporary folder.
// It is removed at every end the program sees: a normal return, an error, a closed standard output
// (SIGPIPE is ignored and the write fails instead), and SIGINT, SIGTERM or SIGHUP. A run killed
// outright leaves its folder, which the next run removes once that process id is gone.
const QString kRunFolderPrefix = QStringLiteral("quorvane-cli-");

// Paths the signal handler removes, deepest first, as the system's bytes (no allocation there).
constexpr int kCleanupPaths = 6;
char g_cleanup[kCleanupPaths][4096];

void RemoveOnSignal(int signal)
{
    for (int i = 0; i < kCleanupPaths; ++i) {
        if (g_cleanup[i][0] && ::unlink(g_cleanup[i]) != 0)
            ::rmdir(g_cleanup[i]);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void NoteCleanupPaths(const QString& folder, const QString& settingsFile)
{
    const QStringList paths = {settingsFile + QStringLiteral(".lock"), settingsFile, QFileInfo(settingsFile).path(), folder};
    for (int i = 0; i < paths.size() && i < kCleanupPaths; ++i) {
        const QByteArray bytes = QFile::encodeName(paths[i]);
        if (bytes.size() < qsizetype(sizeof g_cleanup[i]))
            std::memcpy(g_cleanup[i], bytes.constData(), size_t(bytes.size()) + 1);
    }
    struct sigaction action {};
    action.sa_handler = RemoveOnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(s, &action, nullptr);
}

// Removes the settings folders of earlier runs that were killed outright.
void RemoveStaleRunFolders()
{
    const QDir temp(QDir::tempPath());
    const QStringList names = temp.entryList({kRunFolderPrefix + QStringLiteral("*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : names) {
        const QStringList parts = name.mid(kRunFolderPrefix.size()).split(QLatin1Char('-'));
        bool ok = false;
        const qint64 pid = parts.size() == 2 ? parts[0].toLongLong(&ok) : 0;
        if (!ok || pid <= 0 || pid > INT_MAX || pid == qint64(::getpid()))
            continue;
        struct stat st {};
        const QByteArray path = QFile::encodeName(temp.filePath(name));
        if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        QDir(temp.filePath(name)).removeRecursively();
    }
}

int RunCommand(const QString& command, const QStringList& args)
{
    // The default settings group, never the user's own settings: a private store for this run.
    RemoveStaleRunFolders();
    QTemporaryDir settingsDir(QDir::tempPath() + QLatin1Char('/') + kRunFolderPrefix
                              + QString::number(qint64(::getpid())) + QStringLiteral("-XXXXXX"));
    const QString settingsFile = settingsDir.path() + QStringLiteral("/Pellamy/Quorvane.ini");
    NoteCleanupPaths(settingsDir.path(), settingsFile);
    auto store = CSettingsStore::OpenFile(settingsFile);
    CSettingsStore::Install(store.get());
    CliPrompter prompter;
    Prompter::Install(&prompter);

    int status = 0;
    {
        LineWriter out;
        try {
            if (command == QLatin1String("dump"))
                status = CmdDump(args, out);
            else if (command == QLatin1String("search"))
                status = CmdSearch(args, out);
            else if (command == QLatin1String("replace"))
                status = CmdReplace(args, out, prompter);
            else if (command == QLatin1String("same"))
                status = CmdSame(args, out);
            else if (command == QLatin1String("sum"))
                status = CmdSum(args, out);
            else if (command == QLatin1String("compare"))
                status = CmdCompare(args, out);
            else if (command == QLatin1String("grep"))
                status = CmdGrep(args, out);
            else if (command == QLatin1String("bookmarks"))
                status = CmdBookmarks(args, out);
            else if (command == QLatin1String("fixed"))
                status = CmdFixed(args, out, prompter);
            else if (command == QLatin1String("concat"))
                status = CmdConcat(args, out, prompter);
            else if (command == QLatin1String("extract"))
                status = CmdExtract(args, out);
#ifdef QUORVANE_CLI_PAINTS
            else if (command == QLatin1String("print"))
                status = CmdPrint(args, out);
#endif
            else if (command == QLatin1String("struct"))
                status = CmdStruct(args, out, prompter);
            else if (command == QLatin1String("info"))
                status = CmdInfo(args, out);
            else if (command == QLatin1String("encode"))
                status = CmdEncode(args, out);
            else
                throw CliError{2, QStringLiteral("不明なサブコマンドです: %1 (--help で一覧を表示します)").arg(command)};
            out.Flush();
        } catch (const CliError& e) {
            try {
                out.Flush();
            } catch (const CliError&) {
            }
            PrintError(e.message);
            status = e.status;
        }
    }
    Prompter::Install(nullptr);
    CSettingsStore::Install(nullptr);
    store.reset();
    return status;
}

#ifndef QUORVANE_CLI_PAINTS
// Printing paints text, which needs Qt GUI with its fonts: dozens of libraries that every other
// subcommand would load for nothing at each start. It lives in a helper program of its own,
// installed beside this one (the build folder, Windows) or in the program folder of the system.
QString PrintHelperPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + QStringLiteral("/quorvane-print"),
                                     dir + QStringLiteral("/" QUORVANE_PRINT_HELPER_FROM_BIN "/quorvane-print")}) {
#ifdef Q_OS_WIN
        const QString path = candidate + QStringLiteral(".exe");
#else
        const QString& path = candidate;
#endif
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return QString();
}

// Hands the whole command line to the helper; returns its exit status, or 1 when it cannot run.
int RunPrintHelper(char** argv)
{
    const QString helper = PrintHelperPath();
    if (helper.isEmpty()) {
        PrintError(QStringLiteral("印刷用のプログラム quorvane-print が見つかりません。インストールを確かめてください。"));
        return 1;
    }
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(helper);
    ::execv(path.constData(), argv);
    PrintError(QStringLiteral("%1 を起動できません: %2").arg(helper, QString::fromLocal8Bit(std::strerror(errno))));
    return 1;
#else
    QStringList args;
    for (int i = 1; argv[i]; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(helper, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        PrintError(QStringLiteral("%1 を起動できません: %2").arg(helper, process.errorString()));
        return 1;
    }
    return process.exitCode();
#endif
}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifdef QUORVANE_CLI_PAINTS
    // The helper prints on the offscreen platform, so a script prints without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "print") == 0)
        return RunPrintHelper(argv);
#endif
    // The arguments as the system's bytes: file names that are not UTF-8 stay openable.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << PathFromNative(QByteArray(argv[i]));
    if (args.isEmpty() || args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        PrintHelp();
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        std::fputs(CommandLineInfo::VersionMessage(QStringLiteral("quorvane-cli")).toUtf8().constData(), stdout);
        return 0;
    }
    const QString command = args.takeFirst();
    // A reader that goes away makes the next write fail (EPIPE) instead of ending the program
    // before it has removed its temporary folder.
    std::signal(SIGPIPE, SIG_IGN);
    const int status = RunCommand(command, args);
    if (status == kBrokenPipeStatus) {
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
    }
    std::fflush(stdout);
    return status;
}
