// The settings dialog's font list: fixed-pitch families (Japanese ones too), sorted, drawn in their own face.
#include "app/FontBox.h"

#include "view/ViewFont.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontMetrics>
#include <algorithm>

CFontBox::CFontBox(QWidget* parent) : QComboBox(parent)
{
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        // Vertical fonts (their names start with "@") are not for rows of bytes. Japanese faces
        // whose kanji are two cells wide are listed with the fixed-pitch ones: the view takes
        // them as they are (the same rule decides both).
        if (QFontDatabase::isPrivateFamily(family) || !IsFixedPitchFace(family))
            continue;
        names << family;
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    int widest = 0;
    for (const QString& name : names) {
        addItem(name);
        QFont f(name);
        f.setPixelSize(16);
        f.setFixedPitch(true);
        setItemData(count() - 1, f, Qt::FontRole);
        widest = std::max(widest, QFontMetrics(f).horizontalAdvance(name));
    }
    // The list shows whole names, each in its own face.
    view()->setMinimumWidth(widest + 32);
    setCurrentIndex(-1);
}

bool CFontBox::SelectStartingWith(const QString& name)
{
    for (int i = 0; i < count(); ++i) {
        if (itemText(i).startsWith(name, Qt::CaseInsensitive)) {
            setCurrentIndex(i);
            return true;
        }
    }
    setCurrentIndex(-1);
    return false;
}

QString CFontBox::SelectedName() const
{
    return currentIndex() >= 0 ? currentText() : QString();
}
