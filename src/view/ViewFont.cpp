// Choosing the hex view's font, with the fixed-pitch fallback for faces this system lacks.
#include "view/ViewFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
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

bool IsFixedPitchFace(const QString& family)
{
    if (family.isEmpty() || family.startsWith(QLatin1Char('@')) || !QFontDatabase::hasFamily(family))
        return false;
    if (QFontDatabase::isFixedPitch(family))
        return true;
    // Faces with full-width CJK glyphs and half-width Latin ones are reported as dual-width, not
    // fixed: measure their Latin cells instead.
    if (!QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese))
        return false;
    QFont font(family);
    font.setPixelSize(20);
    const QFontInfo info(font);
    if (info.family().compare(family, Qt::CaseInsensitive) != 0)
        return false;
    const QFontMetrics fm(font);
    const int cell = fm.horizontalAdvance(QLatin1Char('0'));
    for (const char c : {'i', 'W', 'm', 'l', '.', ' ', 'M'}) {
        if (fm.horizontalAdvance(QLatin1Char(c)) != cell)
            return false;
    }
    return cell > 0;
}

// Glyphs the face lacks (kana, kanji) come from the installed CJK fonts through Qt's fallback.
QFont MakeViewFont(const QString& name, int pointSize, bool& usedRequested)
{
    // The stand-in of a missing face takes the size asked for too, so that choosing the face
    // that stands in (or any other) in 環境設定 at the same size keeps the rows as they are.
    const int pixels = static_cast<int>(pointSize / 0.75 + 0.5); // points at 96 per inch, rounded
    usedRequested = IsFixedPitchFace(name);
    QFont font(usedRequested ? name : FallbackFixedFamily());
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, pixels));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setKerning(false);
    return font;
}

