// The hex view's bookmarks and batch tools: bookmark commands and list files, 定型入力, 連結 and
// 指定範囲をファイル出力.
#include "view/QuorvaneView.h"

#include "base/CommandIds.h"
#include "base/Messages.h"
#include "base/Prompter.h"
#include "codes/CharCode.h"
#include "codes/TextEncoder.h"
#include "document/QuorvaneDoc.h"
#include "view/ResultSink.h"
#include "tools/ConnectDlg.h"
#include "tools/FixedInput.h"
#include "tools/FixedInputDlg.h"
#include "tools/RangeFilePrintDlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QProgressDialog>

namespace {

const QString kListFilter = QStringLiteral("ブックマークリスト(*.lst)");

} // namespace

bool CQuorvaneView::OnToolCommand(int id)
{
    switch (id) {
    case ID_BOOKMARK: {
        m_bookmarkList.Toggle(m_nav.m_cursor);
        AfterBookmarksChanged();
        return true;
    }
    case ID_BOOKMARK_PREV:
    case ID_BOOKMARK_NEXT: {
        const auto to = id == ID_BOOKMARK_PREV ? m_bookmarkList.Previous(m_nav.m_cursor)
                                               : m_bookmarkList.Next(m_nav.m_cursor);
        // A loaded list may name addresses past the end of the file: the cursor stays inside it.
        if (to && *to <= FileSize()) {
            m_nav.m_cursor = *to;
            m_nav.ClearSelection();
            EnsureCursorVisible(true);
        }
        return true;
    }
    case ID_BOOKMARK_CLEAR:
        m_bookmarkList.Clear();
        AfterBookmarksChanged();
        return true;
    case ID_BOOKMARK_OPEN_LIST: OpenBookmarkListDialog(); return true;
    case ID_BOOKMARK_SAVE_LIST: SaveBookmarkListDialog(); return true;
    case ID_FIXED_INPUT: ShowFixedInputDialog(); return true;
    case ID_CONCAT: ShowConcatDialog(); return true;
    case ID_RANGE_OUTPUT: ShowRangeOutputDialog(); return true;
    case ID_FILE_PRINT: PrintWithDialog(); return true;
    case ID_FILE_PRINT_PREVIEW: PrintPreview(); return true;
    case ID_FILE_PRINT_PDF: PrintToPdfDialog(); return true;
    default: return false;
    }
}

bool CQuorvaneView::OnUpdateToolCommand(int id, CmdUI& ui)
{
    switch (id) {
    case ID_BOOKMARK: case ID_BOOKMARK_PREV: case ID_BOOKMARK_NEXT: case ID_BOOKMARK_CLEAR:
    case ID_BOOKMARK_OPEN_LIST: case ID_FIXED_INPUT: case ID_FILE_PRINT: case ID_FILE_PRINT_PREVIEW:
    case ID_FILE_PRINT_PDF:
        ui.enabled = m_doc != nullptr;
        break;
    case ID_BOOKMARK_SAVE_LIST: ui.enabled = !m_bookmarkList.IsEmpty(); break;
    // Concatenation waits for the loader: two writers never share the byte store.
    case ID_CONCAT: ui.enabled = m_doc && !m_doc->IsLoading(); break;
    case ID_RANGE_OUTPUT: ui.enabled = m_doc && m_doc->GetFileSize() > 0; break;
    default: return false;
    }
    ui.checked = false;
    return true;
}

void CQuorvaneView::AfterBookmarksChanged()
{
    SetBookmarks(m_bookmarkList.Addresses());
    RefillBookmarkTab();
}

void CQuorvaneView::RefillBookmarkTab()
{
    if (m_outputPane)
        m_outputPane->SetBookmarkRows(m_bookmarkList.Rows());
}

// --- Bookmark list files ---

bool CQuorvaneView::LoadBookmarkList(const QString& path)
{
    std::vector<BOOKMARKLIST> list;
    QString error;
    const bool ok = ReadBookmarkList(path, list, &error);
    // The bookmarks are replaced even when the file cannot be read (they are empty then).
    m_bookmarkList.Assign(std::move(list));
    AfterBookmarksChanged();
    if (!ok)
        Prompter::ShowError(QStringLiteral("%1\n%2").arg(path, error));
    return ok;
}

bool CQuorvaneView::SaveBookmarkList(const QString& path)
{
    QString error;
    if (WriteBookmarkList(path, m_bookmarkList.List(), &error))
        return true;
    Prompter::ShowError(error);
    return false;
}

void CQuorvaneView::OpenBookmarkListDialog()
{
    QFileDialog dialog(this, QStringLiteral("リストを開く"));
    dialog.setNameFilter(kListFilter);
    dialog.setDefaultSuffix(QStringLiteral("lst"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LoadBookmarkList(dialog.selectedFiles().first());
}

void CQuorvaneView::SaveBookmarkListDialog()
{
    if (m_bookmarkList.IsEmpty())
        return;
    QFileDialog dialog(this, QStringLiteral("リストを保存"));
    dialog.setNameFilter(kListFilter);
    dialog.setDefaultSuffix(QStringLiteral("lst"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before an existing file is replaced
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveBookmarkList(dialog.selectedFiles().first());
}

// --- 定型入力 ---

void CQuorvaneView::ShowFixedInputDialog()
{
    if (!m_doc)
        return;
    CFixedInputDlg dlg(m_nav.m_cursor, &m_bookmarkList, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    RunFixedInput(dlg.Mode(), dlg.CodeName(), dlg.DataText(), dlg.AddressText());
}

bool CQuorvaneView::RunFixedInput(int mode, const QString& codeName, const QString& dataText, const QString& addressText)
{
    if (!m_doc)
        return false;
    std::vector<uint64_t> addresses;
    QString error;
    if (!ParseFixedAddresses(addressText, addresses, &error)) {
        Prompter::ShowError(error);
        return false;
    }
    if (mode == 1) {
        // A character the code cannot hold would be written as some other bytes.
        const QString unheld = UnheldCharMessage(dataText, codeName);
        if (!unheld.isEmpty()) {
            Prompter::ShowError(unheld);
            return false;
        }
    }
    const QByteArray data = FixedInputData(mode == 1, dataText, CharCodeFromName(codeName));
    const FixedInputOutcome outcome = ApplyFixedInput(*m_doc, addresses, data, m_insertMode);
    if (outcome.written > 0) {
        SendStatusFileSize();
        AfterEdit();
    }
    return outcome.written == addresses.size() && !outcome.stopped;
}

// --- 連結 ---

void CQuorvaneView::ShowConcatDialog()
{
    if (!m_doc)
        return;
    CConnectDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    RunConcat(dlg.Path(), static_cast<ConcatPosition>(dlg.Position()), static_cast<ConcatAction>(dlg.Action()));
}

bool CQuorvaneView::RunConcat(const QString& path, ConcatPosition position, ConcatAction action)
{
    if (!m_doc)
        return false;
    uint64_t target = 0;
    if (!ConcatenateFile(*m_doc, path, position, action, m_nav.m_cursor, &target))
        return false;
    // After an overwrite the cursor stands at the target; the selection stays as it was.
    if (action == ConcatAction::Overwrite && position != ConcatPosition::End)
        m_nav.m_cursor = target;
    m_nav.ClampToFile();
    SendStatusFileSize();
    AfterEdit();
    return true;
}

// --- 指定範囲をファイル出力 ---

void CQuorvaneView::ShowRangeOutputDialog()
{
    if (!m_doc)
        return;
    CRangeFilePrintDlg dlg(FileSize(), m_nav.m_cursor, m_nav.m_selStart, m_nav.m_selEnd, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    RunRangeOutput(dlg.Request());
}

bool CQuorvaneView::RunRangeOutput(const RangeOutputRequest& request)
{
    if (!m_doc)
        return false;
    if (m_doc->IsLoading()) {
        // The bytes past the loader's mark are not read yet: wait for them rather than write zeros.
        m_doc->WaitForLoader();
    }
    std::unique_ptr<ByteSource> source = m_doc->OpenSource();
    if (!source) {
        Prompter::ShowError(QStringLiteral("ファイルを読み込めません。"));
        return false;
    }
    // Large copies show their progress and can be cancelled; nothing is left under the
    // destination's name then.
    const uint64_t total = request.end - request.start + 1;
    std::unique_ptr<QProgressDialog> progress;
    if (total >= (64u << 20)) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("ファイルに出力しています..."),
                                                     QStringLiteral("キャンセル"), 0, 1000, this);
        progress->setWindowTitle(QStringLiteral("指定範囲をファイル出力"));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(300);
    }
    QString error;
    const bool ok = WriteRangeToFile(*source, request, [&](uint64_t done, uint64_t all) {
        if (!progress)
            return true;
        progress->setValue(static_cast<int>(done * 1000 / all));
        QApplication::processEvents(); // the window-modal progress keeps other input out
        return !progress->wasCanceled();
    }, &error);
    if (!ok && !error.isEmpty())
        Prompter::ShowError(error);
    return ok;
}
