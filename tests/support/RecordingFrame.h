// A main frame for view tests that records the messages a view sends it.
#pragma once

#include "base/Messages.h"

#include <QStringList>
#include <QWidget>

// A main frame that records what the view tells it.
class RecordingFrame : public QWidget
{
public:
    QStringList log;

    bool event(QEvent* e) override
    {
        if (auto* m = um::Cast<um::StatusText>(e)) {
            if (m->index == um::PaneFileSize)
                log << QStringLiteral("size %1").arg(m->fileSize);
            else if (m->index == um::PaneDirectEdit)
                log << QStringLiteral("direct %1").arg(m->directEdit);
            else
                log << QStringLiteral("status%1 %2").arg(m->index).arg(m->text);
            return true;
        }
        if (auto* m = um::Cast<um::ShowCharCode>(e)) {
            log << QStringLiteral("charcode %1 %2").arg(m->wParam).arg(m->lParam);
            return true;
        }
        if (auto* m = um::Cast<um::ShowByteOrder>(e)) {
            log << QStringLiteral("byteorder %1").arg(m->wParam);
            return true;
        }
        if (auto* m = um::Cast<um::Focus>(e)) {
            log << QStringLiteral("focus %1").arg(m->wParam);
            return true;
        }
        if (um::Cast<um::RedrawBitmap>(e)) {
            log << QStringLiteral("bitmap");
            return true;
        }
        if (um::Cast<um::GetOutputPane>(e) || um::Cast<um::GetInfoPane>(e) || um::Cast<um::GetStructPane>(e)) {
            log << QStringLiteral("pane");
            return true;
        }
        return QWidget::event(e);
    }
};
