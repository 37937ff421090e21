// The view's vertical scroll bar: a 64-bit first visible row on a 32-bit control.
#pragma once

#include "view/ScrollMapping.h"

#include <QScrollBar>
#include <cstdint>

// Holds the first visible row of its view and the row count, and maps them onto the control
// (scaled for files of 4 GB and more, CScrollMapping). Every scroll it performs ends in
// scrolled(), on which the view re-reads the rows on screen (direct edit mode), makes the
// synchronized windows follow and redraws.
class CMyScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    enum Mask { RangeBit = 1, PageBit = 2 };

    explicit CMyScrollBar(QWidget* parent = nullptr);

    // With RangeBit stores the row count and sets the control's range; with PageBit the page.
    // The bar is shown only when the control's maximum exceeds its page.
    void SetRange64(int mask, uint64_t rowCount, int pageRows);
    // Ignored when row > the row count; else the first visible row and the control's position.
    void SetPos64(uint64_t row);
    // Applies a scroll code (amount 0: one line step), sets the position, emits scrolled().
    void ScrollBy(CScrollMapping::Code code, uint64_t amount = 0);
    // A wheel turn of `delta` (120 per notch); partial deltas of fine-grained wheels add up.
    void Wheel(int delta);

    uint64_t TopRow() const { return m_topRow; }
    uint64_t RowCount() const { return m_rowCount; }
    int PageRows() const { return m_pageRows; }
    int LineStep() const { return m_lineStep; }
    // Whether the control should be shown (maximum above the page); the view places it.
    bool IsNeeded() const;

Q_SIGNALS:
    void scrolled();

protected:
    void wheelEvent(QWheelEvent* e) override;

private:
    void OnAction(int action);
    void ApplyControlRange();

    int m_lineStep = 1;
    uint64_t m_topRow = 0;
    uint64_t m_rowCount = 0;
    int m_pageRows = 1;
    int m_wheelRest = 0; // wheel delta not yet worth a notch
    bool m_rangeApplied = false;
};
