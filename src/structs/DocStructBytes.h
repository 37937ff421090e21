// The structure editor's bytes in a document: the store in memory, the file on disk in direct edit.
#pragma once

#include "structs/StructBytes.h"

#include <QFile>
#include <QPointer>

class CQuorvaneDoc;

// Reads never report errors to the user more than once per reader: a direct-edit file that cannot
// be opened shows its error once and then reads as zeros. A reader used while a list paints its
// values reports after the current event (ReportAfterEvent): no message box opens inside a paint.
class DocStructBytes final : public StructBytes
{
public:
    explicit DocStructBytes(CQuorvaneDoc* doc);

    // Read failures are shown once the event loop runs again instead of at once.
    void ReportAfterEvent(bool later) { m_reportLater = later; }

    void Read(uint64_t address, uint8_t* dst, size_t n) override;
    // Tests the edit lock first (a locked document is left as it is); in memory the store grows
    // when the bytes reach past its end and the document is marked modified; in direct edit mode
    // the file on disk is written (and lengthened). In memory the edit leaves one undo record.
    bool Write(uint64_t address, const uint8_t* src, size_t n) override;
    uint64_t FileSize() const;

private:
    QPointer<CQuorvaneDoc> m_doc;
    QFile m_file;
    bool m_readFailed = false; // said once
    bool m_openFailed = false;
    bool m_reportLater = false;
    void ReportReadError(const QString& text);
    bool WriteInMemory(uint64_t address, const uint8_t* src, size_t n);
};
