// Choosing the hex view's font, with the fixed-pitch fallback for faces this system lacks.
#include "view/ViewFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>
#include <algorithm>

namespace {

// A fixed-pitch family that exists here: the system's fixed font when it is one, else the first
// installed fixed-pitch family (platforms without a configured fixed font report a proportional one).
QString FallbackFixedFamily()
{
    static const QString family = [] {
        const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        if (QFontInfo(system).fixedPitch())
            return QFontInfo(system).family();
        QString any;
        for (const QString& f : QFontDatabase::families()) {
            if (!QFontDatabase::isFixedPitch(f) || QFontDatabase::isPrivateFamily(f))
                continue;
            if (f.contains(QLatin1String("Mono"), Qt::CaseInsensitive))
                return f;
            if (any.isEmpty())
                any = f;
        }
        return any.isEmpty() ? QFontInfo(system).family() : any;
    }();
    return family;
}

} // namespace

// Glyphs the face lacks (kana, kanji) come from the installed CJK fonts through Qt's fallback.
QFont MakeViewFont(const QString& name, int pointSize, bool& usedRequested)
{
    int pixels = static_cast<int>(pointSize / 0.75 + 0.5); // points at 96 per inch, rounded
    usedRequested = !name.isEmpty() && QFontDatabase::hasFamily(name) && QFontDatabase::isFixedPitch(name);
    // FixedSys, the default face, is a raster font of one size (8 x 15 pixels) whatever size is
    // asked for. Its stand-in takes about its cell (13 pixels: 8 wide, 15 high with the line gap),
    // so that the rows fit the window as they would.
    if (!usedRequested && name.compare(QLatin1String("FixedSys"), Qt::CaseInsensitive) == 0)
        pixels = 13;
    QFont font(usedRequested ? name : FallbackFixedFamily());
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, pixels));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setKerning(false);
    return font;
}

