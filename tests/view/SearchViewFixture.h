// A view in a frame that hands it an output pane, for the search, replace, same-search and SUM tests.
#pragma once

#include "view/QuorvaneView.h"

#include "RecordingFrame.h"
#include "ScriptedPrompter.h"
#include "TempFiles.h"
#include "TestSettings.h"
#include "base/Messages.h"
#include "document/QuorvaneDoc.h"
#include "panes/OutputList.h"
#include "panes/OutputWnd.h"
#include "search/SearchPattern.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

// The entries of the same-search drop-down.
inline QStringList SameGroups(const COutputWnd* pane)
{
    QStringList out;
    for (int i = 0; i < pane->SameGroupCount(); ++i)
        out << pane->SameGroup(i);
    return out;
}

// The list of the active tab (tabs 検索, 同一検索, SUM結果, フォルダ内検索, ブックマーク).
inline int ActiveList(const COutputWnd* pane)
{
    static const int ids[] = {COutputWnd::ListSearch, COutputWnd::ListSame, COutputWnd::ListSum,
                              COutputWnd::ListGrep, COutputWnd::ListBookmark};
    const int i = pane->Tabs()->currentIndex();
    return i >= 0 && i < 5 ? ids[i] : -1;
}

// The frame answers UM_GETOUTPUTPANE with its pane.
class PaneFrame : public RecordingFrame
{
public:
    COutputWnd* pane = nullptr;
    bool event(QEvent* e) override
    {
        if (auto* m = um::Cast<um::GetOutputPane>(e)) {
            m->result = pane;
            return true;
        }
        return RecordingFrame::event(e);
    }
};

struct SearchViewFixture
{
    TestSettings settings;
    ScriptedPrompter prompter;
    TempFiles files;
    QString path;
    CQuorvaneDoc doc;
    std::unique_ptr<PaneFrame> frame;
    COutputWnd* pane = nullptr;
    CQuorvaneView* view = nullptr;

    explicit SearchViewFixture(const QByteArray& bytes, bool direct = false)
    {
        settings->WriteDefaultGroup();
        path = files.Write("search.bin", bytes);
        EXPECT_TRUE(doc.OnOpenDocument(path, direct));
        frame = std::make_unique<PaneFrame>();
        auto* layout = new QVBoxLayout(frame.get());
        layout->setContentsMargins(0, 0, 0, 0);
        pane = new COutputWnd(frame.get());
        layout->addWidget(pane);
        frame->pane = pane;
        view = new CQuorvaneView(&doc, frame.get());
        layout->addWidget(view);
        view->OnInitialUpdate();
        pane->SetTargetFinder([this]() -> QObject* { return view; });
        frame->resize(900, 700);
        frame->show();
        view->OnActivateView(true);
        WaitWorkers();
    }
    ~SearchViewFixture()
    {
        frame.reset();
        doc.OnCloseDocument();
    }

    // Lets the workers finish, delivering their hand-overs.
    void WaitWorkers()
    {
        QElapsedTimer t;
        t.start();
        do
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        while (view->IsSearchWorkerRunning() && t.elapsed() < 60000);
        QApplication::processEvents();
        ASSERT_FALSE(view->IsSearchWorkerRunning());
    }

    // The pane's 検索 command: a new pattern from a 16進数 text.
    SearchPattern pattern;
    void NewSearch(const QString& hex, bool writtenOrder = false)
    {
        pattern = *SearchPattern::FromHexText(hex, writtenOrder);
        um::Search::Send(view, &pattern, true);
    }
    // 検索 again with the same pattern, 次へ and 前へ.
    void Again()
    {
        pattern.SetRequestKind(SearchPattern::Request::NewSearch);
        um::Search::Send(view, &pattern, false);
    }
    void Next()
    {
        pattern.SetRequestKind(SearchPattern::Request::Forward);
        um::Search::Send(view, &pattern, false);
    }
    void Prev()
    {
        pattern.SetRequestKind(SearchPattern::Request::Backward);
        um::Search::Send(view, &pattern, false);
    }

    QStringList Lines(int list) const
    {
        QStringList out;
        for (int i = 0; i < pane->LineCount(list); ++i)
            out << pane->Line(list, i);
        return out;
    }
    // A double click on a line of a result list of the pane.
    void DoubleClickLine(int list, int line)
    {
        COutputList* l = pane->List(list);
        pane->ActivateTab(list);
        QApplication::processEvents();
        l->scrollTo(l->model()->index(line, 0));
        const QRect r = l->visualRect(l->model()->index(line, 0));
        ASSERT_TRUE(r.isValid());
        QTest::mouseClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseDClick(l->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
    QByteArray Bytes()
    {
        if (doc.IsDirectEdit())
            return TempFiles::Read(path);
        QByteArray out(static_cast<qsizetype>(doc.GetFileSize()), 0);
        doc.ReadBytes(0, reinterpret_cast<uint8_t*>(out.data()), static_cast<size_t>(out.size()));
        return out;
    }
    void SetCursor(uint64_t a) { um::SetCursor::Send(view, &a, false); }
};
