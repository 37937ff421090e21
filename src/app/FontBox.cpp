// The settings dialog's font list: fixed-pitch families, sorted, drawn in their own face.
#include "app/FontBox.h"

#include <QFontDatabase>

CFontBox::CFontBox(QWidget* parent) : QComboBox(parent)
{
    QStringList names;
    for (const QString& family : QFontDatabase::families()) {
        // Vertical fonts (their names start with "@") are not for rows of bytes.
        if (family.startsWith(QLatin1Char('@')) || !QFontDatabase::isFixedPitch(family))
            continue;
        names << family;
    }
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    for (const QString& name : names) {
        addItem(name);
        QFont f(name);
        f.setPixelSize(16);
        f.setFixedPitch(true);
        setItemData(count() - 1, f, Qt::FontRole);
    }
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
