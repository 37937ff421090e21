// The font list of the settings dialog: the screen's fixed-pitch fonts, each drawn in itself.
#pragma once

#include <QComboBox>

class CFontBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CFontBox(QWidget* parent = nullptr);

    // Selects the first entry that begins with `name` (case-insensitive); no selection when
    // none does. Returns whether one was selected.
    bool SelectStartingWith(const QString& name);
    // The selected name, or an empty text without a selection.
    QString SelectedName() const;
};
