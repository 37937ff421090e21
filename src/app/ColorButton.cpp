// The colour button of the settings dialog and its palette pop-up.
#include "app/ColorButton.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {

// The palette's colours (0x00BBGGRR), 4 rows of 5.
constexpr uint32_t kPalette[20] = {
    0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000080,
    0x0000FF, 0x008080, 0x00FFFF, 0x008000, 0x00FF00,
    0x808000, 0xFFFF00, 0x800000, 0xFF0000, 0x800080,
    0xFF00FF, 0xFFEA00, 0xC88CFF, 0xFFD8B1, 0xD0D0D0,
};

} // namespace

CColorButton::CColorButton(QWidget* parent) : QToolButton(parent)
{
    setPopupMode(QToolButton::InstantPopup);
    setIconSize(QSize(36, 14));
    auto* menu = new QMenu(this);
    auto* grid = new QWidget(menu);
    auto* layout = new QGridLayout(grid);
    layout->setSpacing(2);
    layout->setContentsMargins(4, 4, 4, 4);
    for (int i = 0; i < 20; ++i) {
        auto* swatch = new QPushButton(grid);
        swatch->setFixedSize(18, 18);
        const QColor c = ToQColor(kPalette[i]);
        swatch->setAccessibleName(c.name());
        swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #808080;").arg(c.name()));
        const uint32_t value = kPalette[i];
        connect(swatch, &QPushButton::clicked, this, [this, menu, value] {
            menu->close();
            ChooseColor(value);
        });
        layout->addWidget(swatch, i / 5, i % 5);
    }
    auto* other = new QPushButton(QStringLiteral("その他の色..."), grid);
    connect(other, &QPushButton::clicked, this, [this, menu] {
        menu->close();
        ChooseOther();
    });
    layout->addWidget(other, 4, 0, 1, 5);
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(grid);
    menu->addAction(action);
    setMenu(menu);
    UpdateIcon();
}

QColor CColorButton::ToQColor(uint32_t colorref)
{
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

uint32_t CColorButton::ToColorRef(const QColor& c)
{
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

void CColorButton::SetColor(uint32_t colorref)
{
    m_color = colorref & 0x00FFFFFFu;
    UpdateIcon();
}

void CColorButton::ChooseColor(uint32_t colorref)
{
    SetColor(colorref);
    Q_EMIT colorChanged(m_color);
}

void CColorButton::ChooseOther()
{
    const QColor c = QColorDialog::getColor(ToQColor(m_color), this, accessibleName());
    if (c.isValid())
        ChooseColor(ToColorRef(c));
}

void CColorButton::UpdateIcon()
{
    QPixmap pm(iconSize());
    pm.fill(ToQColor(m_color));
    QPainter p(&pm);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    p.end();
    setIcon(QIcon(pm));
}
