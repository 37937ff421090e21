// The page painter of 印刷, 印刷プレビュー and `quorvane-cli print`.
#include "tools/PrintRenderer.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPageLayout>
#include <QPainter>
#include <algorithm>

namespace {

QColor ToColor(uint32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

class PagePainter
{
public:
    PagePainter(QPainter& p, const PrintJob& job, const CPrintLayout& layout, int ascent, int pageWidth)
        : m_p(p), m_job(job), m_layout(layout), m_ascent(ascent), m_pageWidth(pageWidth)
    {
    }

    void Text(int x, int y, const QString& text, DocColors::Index color)
    {
        m_p.setPen(ToColor(m_job.colors[color]));
        m_p.drawText(x, y + m_ascent, text);
    }

    void Header()
    {
        const CViewLayout& L = m_layout.Cells();
        const QFontMetrics fm = m_p.fontMetrics();
        m_p.setPen(ToColor(m_job.colors[DocColors::Text]));
        m_p.drawText(QRect(0, 0, m_pageWidth, m_layout.TextHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(m_job.path, Qt::ElideMiddle, m_pageWidth));
        const int y = m_layout.HeaderY();
        Text(static_cast<int>(L.m_charWidth * 1.5), y, QStringLiteral("Address"), DocColors::AddressTxt);
        for (int j = 0; j < 16; ++j)
            Text(L.HexCellX(j), y, QStringLiteral("%1").arg(j, 2, 16, QLatin1Char('0')).toUpper(), DocColors::AddressTxt);
        Text(L.m_charColumnX, y, QStringLiteral("0123456789ABCDEF"), DocColors::AddressTxt);
        m_p.setPen(QPen(ToColor(m_job.colors[DocColors::AddressTxt]), 0));
        const int rule = m_layout.HeaderRuleY();
        m_p.drawLine(0, rule, std::min(m_pageWidth, m_layout.RowWidth()), rule);
    }

    void Rows(const PrintPage& page)
    {
        const CViewLayout& L = m_layout.Cells();
        for (size_t i = 0; i < page.rows.size(); ++i) {
            const PrintRow& row = page.rows[i];
            const int y = m_layout.RowY(static_cast<int>(i));
            Text(0, y, row.addressText, DocColors::AddressTxt);
            for (size_t j = 0; j < row.cells.size(); ++j)
                Text(L.HexCellX(static_cast<int>(j)), y, row.cells[j].text, row.cells[j].color);
            for (size_t j = 0; j < row.chars.size() && j < row.cells.size(); ++j) {
                const DisplayCell& c = row.chars[j];
                if (c.kind != DisplayCell::Kind::Covered)
                    Text(L.CharCellX(static_cast<int>(j)), y, c.text, row.cells[j].charColor);
            }
            if (row.eofColumn >= 0)
                Text(L.HexCellX(row.eofColumn), y, QStringLiteral("EOF"), DocColors::EOFTxt);
        }
    }

private:
    QPainter& m_p;
    const PrintJob& m_job;
    const CPrintLayout& m_layout;
    int m_ascent;
    int m_pageWidth;
};

// Every page keeps this much paper around the text, whatever margins the printer or the
// PDF page already has (in millimetres).
constexpr double kMarginMM = 12.0;

struct PrintArea
{
    int deviceWidth = 1;  // the device's paint area, 1/100 inch
    int deviceHeight = 1;
    int left = 0;         // what is added inside it on the left and at the top
    int top = 0;
    int width = 1;        // the text's area
    int height = 1;
};

int HundredthsOfInch(double mm)
{
    return static_cast<int>(mm * 100.0 / 25.4 + 0.5);
}

PrintArea PrintAreaOf(const QPagedPaintDevice& device)
{
    PrintArea a;
    a.deviceWidth = std::max(1, device.widthMM() * 1000 / 254);
    a.deviceHeight = std::max(1, device.heightMM() * 1000 / 254);
    const QMarginsF has = device.pageLayout().margins(QPageLayout::Millimeter);
    const int left = HundredthsOfInch(std::max(0.0, kMarginMM - has.left()));
    const int right = HundredthsOfInch(std::max(0.0, kMarginMM - has.right()));
    const int top = HundredthsOfInch(std::max(0.0, kMarginMM - has.top()));
    const int bottom = HundredthsOfInch(std::max(0.0, kMarginMM - has.bottom()));
    // A page too small for the margins prints without them.
    if (left + right < a.deviceWidth / 2 && top + bottom < a.deviceHeight / 2) {
        a.left = left;
        a.top = top;
        a.width = a.deviceWidth - left - right;
        a.height = a.deviceHeight - top - bottom;
    } else {
        a.width = a.deviceWidth;
        a.height = a.deviceHeight;
    }
    return a;
}

int RowWidthFor(QPainter& p, const QFont& font, uint64_t fileSize)
{
    p.setFont(font);
    const QFontMetrics fm = p.fontMetrics();
    return CPrintLayout(fm.horizontalAdvance(QLatin1Char(' ')), fm.height(), 1, fileSize).RowWidth();
}

// The view's face at the size whose rows take the width of the page (but never wider).
QFont FontFillingWidth(QPainter& p, const QFont& viewFont, uint64_t fileSize, int width)
{
    QFont font = viewFont;
    int size = std::max(1, viewFont.pixelSize() > 0 ? viewFont.pixelSize() : viewFont.pointSize());
    font.setPixelSize(size);
    const int first = RowWidthFor(p, font, fileSize);
    if (first <= 0)
        return font;
    size = std::max(1, static_cast<int>(static_cast<int64_t>(size) * width / first));
    // Cell widths are whole units, so the estimate may miss by a size or two either way.
    font.setPixelSize(size);
    while (size > 1 && RowWidthFor(p, font, fileSize) > width)
        font.setPixelSize(--size);
    for (int i = 0; i < 4; ++i) {
        QFont larger = font;
        larger.setPixelSize(size + 1);
        if (RowWidthFor(p, larger, fileSize) > width)
            break;
        font = larger;
        ++size;
    }
    return font;
}

} // namespace

int PaintPrintJob(QPagedPaintDevice& device, const PrintJob& job, QString* error)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return 0;
    };
    if (!job.source)
        return fail(QStringLiteral("印刷するデータがありません。"));
    QPainter p;
    if (!p.begin(&device))
        return fail(QStringLiteral("印刷を開始できませんでした。"));
    // Logical units of 1/100 inch over the printable area, less what the margins still need.
    const PrintArea area = PrintAreaOf(device);
    p.setWindow(-area.left, -area.top, area.deviceWidth, area.deviceHeight);
    p.setViewport(0, 0, device.width(), device.height());
    const QFont font = FontFillingWidth(p, job.font, job.fileSize, area.width);
    p.setFont(font);
    const QFontMetrics fm = p.fontMetrics();
    const CPrintLayout layout(fm.horizontalAdvance(QLatin1Char(' ')), fm.height(), area.height, job.fileSize);
    PagePainter painter(p, job, layout, fm.ascent(), area.width);

    const uint64_t count = PrintPageCount(job.range, job.fileSize, layout.RowsPerPage());
    uint64_t row = job.range.start;
    int pages = 0;
    for (uint64_t n = 0; n < count; ++n) {
        const PrintPage page = BuildPrintPage(*job.source, row, job.range, layout.RowsPerPage(), job.code, job.marks);
        if (!page.errorText.isEmpty()) {
            p.end();
            return fail(page.errorText);
        }
        if (n > 0)
            device.newPage();
        painter.Header();
        painter.Rows(page);
        ++pages;
        if (page.fullRows == 0 || page.reachedEnd)
            break;
        row += 16 * static_cast<uint64_t>(page.fullRows);
    }
    p.end();
    return pages;
}
