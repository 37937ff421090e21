// Paints the hex view: column header, address column, hex bytes, text column and caret.
#include "view/ViewPainter.h"

#include "codes/DisplayDecoder.h"
#include "document/QuorvaneDoc.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <memory>

namespace {

QColor ToColor(uint32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

constexpr int kLookAhead = 8; // bytes past the last painted row a character may need

} // namespace

void CViewPainter::SetFont(const QFont& font)
{
    m_font = font;
    const QFontMetrics fm(font);
    m_charWidth = fm.horizontalAdvance(QLatin1Char(' '));
    m_lineHeight = fm.height();
    for (int b = 0; b < 256; ++b) {
        m_hex[b] = QStaticText(QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
        m_hex[b].setTextFormat(Qt::PlainText);
        m_hex[b].prepare(QTransform(), font);
    }
    m_texts.clear();
}

const QStaticText& CViewPainter::Prepared(const QString& text)
{
    auto it = m_texts.find(text);
    if (it != m_texts.end())
        return *it;
    if (m_texts.size() > 8192)
        m_texts.clear();
    QStaticText st(text);
    st.setTextFormat(Qt::PlainText);
    st.prepare(QTransform(), m_font);
    return *m_texts.insert(text, st);
}

// Text with an opaque background `bkWidth` wide and a line high, as the platform's opaque text
// output paints it.
void CViewPainter::DrawText(QPainter& p, int x, int y, const QString& text, uint32_t bk, uint32_t txt, int bkWidth)
{
    if (bkWidth > 0)
        p.fillRect(x, y, bkWidth, m_lineHeight, ToColor(bk));
    p.setPen(ToColor(txt));
    p.drawStaticText(x, y, Prepared(text));
}

void CViewPainter::DrawHex(QPainter& p, int x, int y, uint8_t byte, uint32_t bk, uint32_t txt,
                           const QString& suffix, bool bold)
{
    const int cw = m_charWidth;
    p.fillRect(x, y, cw * (2 + static_cast<int>(suffix.size())), m_lineHeight, ToColor(bk));
    p.setPen(ToColor(txt));
    p.drawStaticText(x, y, m_hex[byte]);
    if (!suffix.isEmpty())
        p.drawStaticText(x + 2 * cw, y, Prepared(suffix));
    if (bold) {
        // Bold is the same text a second time, one pixel to the right.
        p.drawStaticText(x + 1, y, m_hex[byte]);
        if (!suffix.isEmpty())
            p.drawStaticText(x + 1 + 2 * cw, y, Prepared(suffix));
    }
}

void CViewPainter::PaintHeader(QPainter& p, int width, const Input& in)
{
    const CViewLayout& L = *in.layout;
    const DocColors& c = in.doc->Colors();
    const uint32_t bk = c[DocColors::AddressBk], txt = c[DocColors::AddressTxt];
    p.fillRect(0, 0, width, L.m_rowPitch, ToColor(bk));
    const QString address = QStringLiteral("Address");
    DrawText(p, static_cast<int>(L.m_charWidth * 1.5), 3, address, bk, txt, L.m_charWidth * 7);
    p.setPen(ToColor(txt));
    p.drawLine(L.m_addrWidth - 1, 0, L.m_addrWidth - 1, L.m_rowPitch);
    const int cursorColumn = static_cast<int>(in.cursor % 16);
    for (int j = 0; j < 16; ++j) {
        const bool cur = j == cursorColumn;
        DrawHex(p, L.HexCellX(j), 3, static_cast<uint8_t>(j), cur ? c[DocColors::SelBk] : bk,
                cur ? c[DocColors::SelTxt] : txt, QString(), false);
        if (j < 15) {
            const int x = L.HexCellX(j) + L.m_hexCellWidth - L.m_charWidth / 2 - L.m_hexGap;
            p.setPen(ToColor(txt));
            p.drawLine(x, 0, x, L.m_rowPitch);
        }
    }
    DrawText(p, L.m_charColumnX, 3, QStringLiteral("0123456789ABCDEF"), bk, txt, 16 * L.m_charWidth);
    p.setPen(ToColor(txt));
    p.drawLine(0, L.m_rowPitch, L.m_addrWidth, L.m_rowPitch);
}

CViewPainter::Output CViewPainter::Paint(QPainter& p, const QSize& client, const Input& in)
{
    Output out;
    const CViewLayout& L = *in.layout;
    const CQuorvaneDoc& doc = *in.doc;
    const DocColors& c = doc.Colors();
    const int W = client.width();
    const int cw = L.m_charWidth;
    const uint64_t fileSize = doc.GetFileSize();
    p.setFont(m_font);

    // Every pixel is covered: the address column and header in their colour, the rest as text
    // background; the rows then paint only what differs.
    p.fillRect(0, 0, L.m_addrWidth, client.height(), ToColor(c[DocColors::AddressBk]));
    p.fillRect(L.m_addrWidth, 0, std::max(0, W - L.m_addrWidth), client.height(), ToColor(c[DocColors::TextBk]));
    PaintHeader(p, W, in);

    const int rows = std::max(0, L.RowsPainted(client.height()));
    // The bytes of the painted rows plus a little look-ahead, read once.
    const uint64_t first = in.topRow * 16;
    std::vector<uint8_t> bytes;
    size_t have = 0;
    if (first < fileSize) {
        const uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(rows) * 16 + kLookAhead, fileSize - first);
        bytes.resize(static_cast<size_t>(want));
        // Bytes the document cannot see (past the direct-edit window) show as 00 but are never
        // taken as the trail of a character.
        have = doc.ReadBytes(first, bytes.data(), bytes.size());
    }
    // The compare partner's bytes of the same rows: from its store, or from its file when it is
    // edited in place (the file's length is then the partner's length). A partner file that
    // cannot be read shows no compare colours and is reported to the view.
    std::vector<uint8_t> partnerBytes;
    if (CQuorvaneDoc* partner = doc.DiffPartner()) {
        const size_t rowsBytes = static_cast<size_t>(rows) * 16;
        if (partner->IsDirectEdit()) {
            const std::unique_ptr<ByteSource> source = partner->OpenSource();
            int64_t got = 0;
            if (source->ErrorText().isEmpty() && first < source->Size()) {
                partnerBytes.resize(static_cast<size_t>(std::min<uint64_t>(rowsBytes, source->Size() - first)));
                got = source->Read(first, partnerBytes.data(), partnerBytes.size());
            }
            if (!source->ErrorText().isEmpty() || got < 0)
                out.partnerError = source->ErrorText();
            partnerBytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
        } else if (first < partner->GetFileSize()) {
            partnerBytes.resize(static_cast<size_t>(std::min<uint64_t>(rowsBytes, partner->GetFileSize() - first)));
            partnerBytes.resize(partner->ReadBytes(first, partnerBytes.data(), partnerBytes.size()));
        }
    }

    DecodeState state;
    std::vector<DisplayCell> cells;
    bool eofDrawn = false;
    const auto caretAt = [&](int x, int y) {
        out.caret = QRect(x + (in.lowNibble ? cw : 0), y, in.caretWidth, L.m_lineHeight);
        out.caretPlaced = true;
    };

    for (int i = 0; i < rows; ++i) {
        const uint64_t row = in.topRow + static_cast<uint64_t>(i);
        const int y = L.TextY(i);
        const bool cursorRow = in.cursor / 16 == row;
        const QString addr = CViewLayout::RowAddressText(row) + QLatin1Char(' ');
        DrawText(p, cw, y, addr, cursorRow ? c[DocColors::SelBk] : c[DocColors::AddressBk],
                 cursorRow ? c[DocColors::SelTxt] : c[DocColors::AddressTxt], cw * static_cast<int>(addr.size()));
        // The address text's background reaches past the column; the hex area's left margin
        // is text background again.
        p.fillRect(L.m_addrWidth, y, cw, L.m_rowPitch, ToColor(c[DocColors::TextBk]));

        if (!eofDrawn && fileSize != 0 && row * 16 < fileSize) {
            const size_t offset = static_cast<size_t>(row * 16 - first);
            const size_t avail = have > offset ? have - offset : 0;
            DecodeForDisplay(bytes.data() + offset, avail, row * 16, fileSize, in.charCode, state, cells);
            for (int j = 0; j < 16; ++j) {
                const uint64_t a = row * 16 + static_cast<uint64_t>(j);
                const int hx = L.HexCellX(j);
                const int tx = L.CharCellX(j);
                if (a == in.cursor) {
                    caretAt(in.inCharColumn ? tx : hx, y);
                    // The same byte in the other column is underlined.
                    p.setPen(ToColor(c[DocColors::SelBk]));
                    if (in.inCharColumn)
                        p.drawLine(hx - 1, y + L.m_lineHeight, hx - 1 + 2 * cw - 1, y + L.m_lineHeight);
                    else
                        p.drawLine(tx - 1, y + L.m_lineHeight, tx - 1 + cw - 1, y + L.m_lineHeight);
                }
                const CByteColors::Pair col = CByteColors::Choose(a, in.marks, c);
                if (a >= fileSize) {
                    DrawText(p, hx, y, QStringLiteral("EOF"), c[DocColors::EOFBk], c[DocColors::EOFTxt], 3 * cw);
                    eofDrawn = true;
                    break;
                }
                const uint8_t byte = static_cast<size_t>(offset + j) < bytes.size() ? bytes[offset + j] : 0;
                if (static_cast<size_t>(j) < cells.size()) {
                    const DisplayCell& cell = cells[j];
                    switch (cell.kind) {
                    case DisplayCell::Kind::Character:
                        DrawText(p, tx, y, cell.text, col.bk, col.txt, cell.cells * cw);
                        break;
                    case DisplayCell::Kind::CoveredRowStart:
                        DrawText(p, tx, y, cell.text, col.bk, col.txt, cw);
                        break;
                    case DisplayCell::Kind::Covered: {
                        const bool selected = in.marks.selStart != CByteColors::kNone &&
                                              in.marks.selStart <= a && a <= in.marks.selEnd;
                        if (!selected)
                            break;
                        // A partly selected character shows selected: drawn again at its lead,
                        // which may lie on the row above.
                        int leadColumn = j - cell.leadDistance;
                        int leadRow = i;
                        while (leadColumn < 0) {
                            leadColumn += 16;
                            --leadRow;
                        }
                        if (leadRow >= 0)
                            DrawText(p, L.CharCellX(leadColumn), L.TextY(leadRow), cell.leadText,
                                     c[DocColors::SelBk], c[DocColors::SelTxt], cell.leadCells * cw);
                        break;
                    }
                    }
                }
                uint32_t hbk = col.bk, htxt = col.txt;
                QString suffix;
                bool bold = false;
                if (a - first < partnerBytes.size()) {
                    const uint8_t other = partnerBytes[static_cast<size_t>(a - first)];
                    if (other < byte) {
                        hbk = c[DocColors::DiffpBk];
                        htxt = c[DocColors::DiffpTxt];
                        suffix = QStringLiteral("+");
                    } else if (byte < other) {
                        hbk = c[DocColors::DiffmBk];
                        htxt = c[DocColors::DiffmTxt];
                        suffix = QStringLiteral("-");
                    }
                    bold = !suffix.isEmpty() && in.diffMarkStart != CByteColors::kNone &&
                           in.diffMarkStart <= a && a <= in.diffMarkEnd;
                }
                DrawHex(p, hx, y, byte, hbk, htxt, suffix, bold);
            }
        } else if (!eofDrawn) {
            // The row starts at the end of the file (or the file is empty).
            if (!out.caretPlaced)
                caretAt(L.m_addrWidth + cw, y);
            DrawText(p, L.m_addrWidth + cw, y, QStringLiteral("EOF"), c[DocColors::EOFBk], c[DocColors::EOFTxt], 3 * cw);
            eofDrawn = true;
        }
        p.setPen(ToColor(c[DocColors::AddressTxt]));
        p.drawLine(0, L.SeparatorY(i), L.m_addrWidth, L.SeparatorY(i));
    }

    if (!out.caretPlaced)
        out.caret = QRect((in.lowNibble ? cw : 0) - 100, -100, in.caretWidth, L.m_lineHeight);
    if (in.caretVisible && out.caretPlaced) {
        p.save();
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(out.caret, Qt::white);
        p.restore();
    }
    return out;
}
