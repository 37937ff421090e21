// Painting printed pages of a document on a printer or a PDF file (Qt GUI only, no widgets).
#pragma once

#include "tools/PrintLayout.h"

#include <QFont>
#include <QString>

class QPagedPaintDevice;

// Everything a print job needs from the view and the document.
struct PrintJob
{
    ByteSource* source = nullptr; // the document's bytes (the file itself in direct edit mode)
    uint64_t fileSize = 0;
    PrintRange range;
    QString path;                 // the top line of every page
    CharCode code = CharCode::ShiftJis;
    DocColors colors;
    PrintMarks marks;
    QFont font;                   // the view's font (a pixel size)
};

// Paints the pages of `job` on `device`, a page after another: the page is mapped to 1/100 inch
// units (its width in millimetres × 1000 / 254), the font is measured there, and each page shows
// the path, the column header and its rows, until the page that shows "EOF". Returns the number
// of pages painted; 0 with the reason in `error` when the device cannot be painted on or the
// bytes cannot be read.
int PaintPrintJob(QPagedPaintDevice& device, const PrintJob& job, QString* error);
