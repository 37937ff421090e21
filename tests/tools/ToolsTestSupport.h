// A document opened from a temporary file for the batch-tool tests.
#pragma once

#include "document/QuorvaneDoc.h"

#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

struct ToolDoc
{
    TestSettings settings;
    ScriptedPrompter prompts;
    TempFiles files;
    CQuorvaneDoc doc;
    QString path;

    explicit ToolDoc(const QByteArray& bytes, bool direct = false)
    {
        path = files.Write("doc.bin", bytes);
        EXPECT_TRUE(doc.OnOpenDocument(path, direct));
        doc.WaitForLoader();
        if (direct) {
            doc.ToggleEditLock(); // direct edit documents open locked
            doc.LoadWindow(0, 20);
        }
    }
    QByteArray Bytes()
    {
        if (doc.IsDirectEdit())
            return TempFiles::Read(path);
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    static QByteArray Count(int n)
    {
        QByteArray b(n, 0);
        for (int i = 0; i < n; ++i)
            b[i] = static_cast<char>(i);
        return b;
    }
};
