// The 同一検索 tab's drop-down list of same-search groups, drawn in alternating rows.
#pragma once

#include <QComboBox>

// A drop-down list whose entries are 13 pixels high, odd entries on white and even entries on
// light grey, the chosen entry in white on the highlight colour; text starts 5 pixels in.
class CSameListBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CSameListBox(QWidget* parent = nullptr);

    static constexpr int kItemHeight = 13;
};
