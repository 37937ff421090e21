// A widget test around one main frame: private settings, scripted message boxes, a temporary
// folder, and the frame itself, which goes before all of them.
#pragma once

#include "app/MainFrame.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSize>
#include <gtest/gtest.h>
#include <memory>

class FrameTest : public ::testing::Test
{
protected:
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    std::unique_ptr<CMainFrame> frame;

    // Makes the frame and shows it, at `size` when one is given.
    void ShowFrame(QSize size = {})
    {
        frame = std::make_unique<CMainFrame>();
        if (size.isValid())
            frame->resize(size);
        frame->show();
    }
    void TearDown() override { frame.reset(); }

    // Closed windows are deleted by the event loop; let it run.
    static void Flush()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};
