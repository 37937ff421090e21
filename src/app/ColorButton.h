// A colour button: shows its colour and opens a palette of 5 columns with a choice for any other colour.
#pragma once

#include <QToolButton>
#include <cstdint>

class CColorButton : public QToolButton
{
    Q_OBJECT

public:
    explicit CColorButton(QWidget* parent = nullptr);

    // The colour as 0x00BBGGRR.
    uint32_t Color() const { return m_color; }
    // Sets the colour without announcing it.
    void SetColor(uint32_t colorref);
    // The user's choice: sets the colour and emits colorChanged.
    void ChooseColor(uint32_t colorref);

    static QColor ToQColor(uint32_t colorref);
    static uint32_t ToColorRef(const QColor& c);

Q_SIGNALS:
    void colorChanged(uint32_t colorref);

private:
    void UpdateIcon();
    void ChooseOther();

    uint32_t m_color = 0;
};
