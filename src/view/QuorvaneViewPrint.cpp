// The hex view's printing: 印刷 with the print dialog, 印刷プレビュー and PDF files.
#include "view/QuorvaneView.h"

#include "base/Prompter.h"
#include "document/QuorvaneDoc.h"
#include "document/SafeFileWriter.h"
#include "tools/PrintRenderer.h"

#include <QBuffer>
#include <QFileDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

QPrinter& CQuorvaneView::Printer()
{
    // Kept from one print to the next; the first print starts from the system's defaults.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_doc)
        m_printer->setDocName(QStringLiteral("Quorvane - ") + m_doc->Title());
    return *m_printer;
}

int CQuorvaneView::PrintTo(QPagedPaintDevice& device, bool selection)
{
    if (!m_doc)
        return 0;
    m_doc->WaitForLoader(); // print the file's bytes, never the zeros of bytes not yet read
    std::unique_ptr<ByteSource> source = m_doc->OpenSource();
    std::unique_ptr<ByteSource> partner;
    if (CQuorvaneDoc* other = m_doc->DiffPartner())
        partner = other->OpenSource();

    PrintJob job;
    job.source = source.get();
    job.fileSize = FileSize();
    if (selection && m_nav.HasSelection())
        job.range = {m_nav.m_selStart, std::min(m_nav.m_selEnd + 1, FileSize()), true};
    else
        job.range = {0, FileSize(), false};
    job.path = m_doc->PathName().isEmpty() ? m_doc->Title() : m_doc->PathName();
    job.code = m_charCode;
    job.colors = m_doc->Colors();
    job.marks.findPos = m_marks.findPos;
    job.marks.findLen = m_marks.findLen;
    job.marks.bookmarks = &m_bookmarks;
    job.marks.partner = partner.get();
    job.font = m_font;
    QString error;
    const int pages = PaintPrintJob(device, job, &error);
    if (pages == 0 && !error.isEmpty())
        Prompter::ShowError(error);
    return pages;
}

void CQuorvaneView::PrintWithDialog()
{
    QPrinter& printer = Printer();
    QPrintDialog dialog(&printer, this);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, m_nav.HasSelection());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A page range chosen there does not limit the output; the selection does.
    PrintTo(printer, printer.printRange() == QPrinter::Selection);
}

void CQuorvaneView::PrintPreview()
{
    QPrinter& printer = Printer();
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        PrintTo(*p, p->printRange() == QPrinter::Selection);
    });
    dialog.exec();
}

void CQuorvaneView::PrintToPdfDialog()
{
    if (!m_doc)
        return;
    QFileDialog dialog(this, QStringLiteral("PDFファイルに出力"));
    dialog.setNameFilter(QStringLiteral("PDF ファイル(*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // The pages are made in memory and the file is replaced only by the complete document.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(Printer().pageLayout());
        writer.setTitle(QStringLiteral("Quorvane - ") + m_doc->Title());
        writer.setCreator(QStringLiteral("Quorvane"));
        if (PrintTo(writer, Printer().printRange() == QPrinter::Selection) == 0)
            return;
    }
    QString error;
    if (!WriteFileSafely(dialog.selectedFiles().first(), buffer.data(), &error))
        Prompter::ShowError(error);
}
