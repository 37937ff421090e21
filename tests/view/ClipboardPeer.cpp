// A second program for the clipboard test: "put HEX FORMAT" places the bytes on the system
// clipboard in one of the view's formats and keeps them there until it is ended; "get" prints
// what the clipboard holds as "FORMAT HEX" (or "empty") and ends.
#include "view/ClipboardBytes.h"

#include <QApplication>
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
    if (args.size() == 2 && args[1] == QLatin1String("get")) {
        const std::optional<ClipBlock> block = CClipboardBytes::ReadSystem();
        if (!block)
            std::printf("empty\n");
        else
            std::printf("%d %s\n", static_cast<int>(block->format), block->bytes.toHex().toUpper().constData());
        return 0;
    }
    return 2;
}
