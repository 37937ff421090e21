// The bitmap pane (ビットマップ): the active document as a picture, one pixel per byte.
#pragma once

#include "panes/BitmapLayout.h"

#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

class CMyScrollBar;
class CQuorvaneDoc;
class CQuorvaneView;

// Paints the bytes of the active view's document, 128 per pixel row, coloured by byte class;
// a click moves that view's cursor (UM_SETCURSOR) and gives it the focus; the wheel zooms.
// In direct edit mode the picture is what the document holds in memory: the rows on screen.
class CBitmapView : public QWidget
{
    Q_OBJECT

public:
    explicit CBitmapView(QWidget* parent = nullptr);

    // UM_REDRAWBITMAP: follows the active view (and its document's changes), recomputes the
    // scroll range and repaints at once when the pane is visible.
    void Redraw();

    int Zoom() const { return m_zoom; }
    uint64_t ScrollPos() const;
    CMyScrollBar* ScrollBar() const { return m_scrollBar; }
    // The colour of the margins and of the space the picture does not cover.
    QColor FrameColor() const;

    // Paints the pane's client area of the given size (paint events and the benchmark).
    void PaintPicture(QPainter& painter, const QSize& client);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The bytes the picture shows: in memory the whole document, in direct edit mode the rows
    // held in memory, which start at `base` in the file.
    struct Source
    {
        CQuorvaneDoc* doc = nullptr;
        uint64_t size = 0;
        uint64_t base = 0;
    };
    Source CurrentSource() const;
    void FollowActiveView();
    void UpdateScrollRange();
    void PlaceScrollBar();
    void ChangeZoom(int delta);

    int m_zoom = 1;
    CMyScrollBar* m_scrollBar = nullptr;
    QPointer<CQuorvaneView> m_view; // the view whose changes repaint the pane
    QMetaObject::Connection m_viewChanged;
    QMetaObject::Connection m_docLoaded;
    QMetaObject::Connection m_docSize;
    QMetaObject::Connection m_docWindow;
    QImage m_image; // 8-bit palette picture, reused between paints
};
