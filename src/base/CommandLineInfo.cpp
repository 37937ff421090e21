// What `quorvane --help` and `quorvane --version` print.
#include "base/CommandLineInfo.h"

namespace CommandLineInfo {

QString VersionText()
{
    return QStringLiteral("Ver2.44");
}

QString VersionMessage(const QString& program)
{
    return program + QStringLiteral(" ") + VersionText() + QStringLiteral("\n");
}

QString HelpMessage()
{
    return QStringLiteral(
        "使い方: quorvane [ファイル]\n"
        "\n"
        "Quorvane バイナリエディタを起動します。ファイルを指定するとそのファイルを開きます。\n"
        "既に起動している場合は、そのウィンドウでファイルを開きます。\n"
        "\n"
        "  --help       この説明を表示して終了します\n"
        "  --version    バージョンを表示して終了します\n"
        "  --           以降の引数をファイル名として扱います\n");
}

Request Requested(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--"))
            break; // a file named "--help" may follow
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return Request::Help;
        if (a == QLatin1String("--version") || a == QLatin1String("-v"))
            return Request::Version;
    }
    return Request::None;
}

} // namespace CommandLineInfo
