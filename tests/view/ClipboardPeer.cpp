// A second program for the clipboard test: "put HEX FORMAT" places the bytes on the system
// clipboard in one of the view's formats and keeps them there until it is ended; "puttext HEX"
// places UTF-8 text as plain text only, the way any other program does; "get" prints what a view
// would paste as "FORMAT HEX" (and " replaced=N" when characters were lost), or "empty"; "gettext"
// prints the plain text other programs see, as UTF-8 in hexadecimal.
#include "view/ClipboardBytes.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("put")) {
        const QByteArray bytes = QByteArray::fromHex(args[2].toLatin1());
        const auto format = static_cast<ClipFormat>(args[3].toInt());
        if (!CClipboardBytes::Place(bytes, format, CharCode::ShiftJis))
            return 1;
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    if (args.size() == 3 && args[1] == QLatin1String("puttext")) {
        auto* mime = new QMimeData;
        mime->setText(QString::fromUtf8(QByteArray::fromHex(args[2].toLatin1())));
        QGuiApplication::clipboard()->setMimeData(mime);
        std::printf("ready\n");
        std::fflush(stdout);
        return app.exec();
    }
    if (args.size() == 2 && args[1] == QLatin1String("get")) {
        const std::optional<ClipBlock> block = CClipboardBytes::ReadSystem();
        if (!block)
            std::printf("empty\n");
        else if (block->replacedChars > 0)
            std::printf("%d %s replaced=%d\n", static_cast<int>(block->format), block->bytes.toHex().toUpper().constData(),
                        block->replacedChars);
        else
            std::printf("%d %s\n", static_cast<int>(block->format), block->bytes.toHex().toUpper().constData());
        return 0;
    }
    if (args.size() == 2 && args[1] == QLatin1String("gettext")) {
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        std::printf("%s\n", mime && mime->hasText() ? mime->text().toUtf8().toHex().toUpper().constData() : "none");
        return 0;
    }
    return 2;
}
