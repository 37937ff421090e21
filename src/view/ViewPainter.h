// Paints the hex view: column header, address column, hex bytes, text column and caret.
#pragma once

#include "codes/CharCode.h"
#include "view/ByteColors.h"
#include "view/ViewLayout.h"

#include <QFont>
#include <QHash>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class CQuorvaneDoc;
class QPainter;

// Paints one screen of a view from the view's state. Keeps prepared glyph runs for the hex
// texts and the characters drawn recently, so a paint costs little more than its text output.
class CViewPainter
{
public:
    struct Input
    {
        const CQuorvaneDoc* doc = nullptr;
        const CViewLayout* layout = nullptr;
        uint64_t topRow = 0;
        CharCode charCode = CharCode::ShiftJis;
        uint64_t cursor = 0;
        bool lowNibble = false;
        bool inCharColumn = false;
        CByteColors::Marks marks;
        uint64_t diffMarkStart = ~uint64_t(0); // compare next/previous range, inclusive
        uint64_t diffMarkEnd = ~uint64_t(0);
        // The caret: drawn (inverted) when visible, `caretWidth` wide and a text line high.
        bool caretVisible = false;
        int caretWidth = 2;
    };

    // Where the caret went; off screen (x < 0) when the cursor's row is not painted.
    struct Output
    {
        QRect caret;
        bool caretPlaced = false;
        // The compare partner's file could not be read: the system's text (empty when it could).
        QString partnerError;
    };

    // The font every later Paint uses; drops the prepared texts of the previous one.
    void SetFont(const QFont& font);
    Output Paint(QPainter& p, const QSize& client, const Input& in);

private:
    void DrawText(QPainter& p, int x, int y, const QString& text, uint32_t bk, uint32_t txt, int bkWidth);
    void DrawHex(QPainter& p, int x, int y, uint8_t byte, uint32_t bk, uint32_t txt, const QString& suffix, bool bold);
    const QStaticText& Prepared(const QString& text);
    void PaintHeader(QPainter& p, int width, const Input& in);

    QFont m_font;
    int m_charWidth = 8;
    int m_lineHeight = 16;
    std::array<QStaticText, 256> m_hex;
    QHash<QString, QStaticText> m_texts;
};
