// The document: the bytes of one open file, their loading, direct edit mode, undo and saving.
#pragma once

#include "document/ByteSource.h"
#include "document/ByteStore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QFile;

// The colour set of a document: ten background/text pairs, values 0x00BBGGRR.
struct DocColors
{
    enum Index {
        AddressBk, AddressTxt, TextBk, Text, BookmarkBk, BookmarkTxt, FindBk, FindTxt,
        DiffpBk, DiffpTxt, DiffmBk, DiffmTxt, EOFBk, EOFTxt, SelBk, SelTxt,
        StructRangeBk, StructRangeTxt, StructSelBk, StructSelTxt, Count
    };
    std::array<uint32_t, Count> color{};
    uint32_t operator[](Index i) const { return color[i]; }
};

// One open file. Lives on the user-interface thread; only the loader thread runs beside it.
// Signals may be emitted from the loader thread: connect with queued (auto) connections.
class CQuorvaneDoc : public QObject
{
    Q_OBJECT

public:
    // One undo or redo record: how to turn the bytes back (or forward again).
    struct UNDODATA
    {
        bool insert = false;     // applying inserts `data` (else overwrites with it)
        int32_t address = 0;     // where the change happened
        int32_t count = 0;       // bytes in `data`
        int32_t removeCount = 0; // bytes that applying first removes at `address`
        std::unique_ptr<uint8_t[]> data;
    };
    using Journal = std::deque<UNDODATA>; // newest record at index 0

    // How a recording attempt ended when the record's buffer could not be had.
    enum class RecordOutcome { Recorded, WithoutRecord, Abandon };

    // The view's state after an undo or redo: it moves its cursor here, clears its selection,
    // resets its scroll range, clears the low-nibble flag and scrolls the cursor into view.
    struct ApplyResult { uint64_t cursor = 0; };

    static constexpr uint64_t kFirstRead = 0x100000; // read before the window is shown
    static constexpr uint64_t kNone = ~uint64_t(0);

    explicit CQuorvaneDoc(QObject* parent = nullptr);
    ~CQuorvaneDoc() override; // stops and joins the loader

    // --- Opening and closing ---
    // An untitled empty document with the "*.*" group's settings.
    bool OnNewDocument();
    // Opens `path`; `directEdit` is the application's direct-edit-open flag for this one open.
    // Errors and the out-of-memory question go through the prompter.
    bool OnOpenDocument(const QString& path, bool directEdit = false);
    // Stops and waits for the loader. Safe to call more than once.
    void OnCloseDocument();

    QString PathName() const { return m_pathName; }
    QString Title() const;
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true);

    // --- Bytes ---
    uint64_t GetFileSize() const { return m_fileSize; }
    bool IsDirectEdit() const { return m_directEdit; }
    // In memory: the byte at `address` (bytes the loader has not reached yet read as 00).
    // In direct edit mode: the byte of the rows on screen, or of the file on disk for rows that
    // the window does not hold (another view of the document shows other rows); 00 when the
    // file cannot be read.
    uint8_t ByteAt(uint64_t address) const;
    // Copies up to n bytes at `address` from what ByteAt can see; returns the count copied.
    size_t ReadBytes(uint64_t address, uint8_t* dst, size_t n) const;
    // Read access for the engines: the store (in memory) or the file on disk (direct edit).
    // In memory the source stays valid until the next size-changing edit. It closes the store's
    // gap (one move of the bytes behind it) so that engines scan one block; with `keepGap` it
    // reads around the gap instead, for workers restarted after every pause in typing, which
    // would otherwise move the whole tail there and back for each burst of keys.
    std::unique_ptr<ByteSource> OpenSource(bool keepGap = false);

    // In-memory edits (callers test the edit lock and record undo first).
    bool InsertBytes(uint64_t address, const uint8_t* data, size_t n);
    void RemoveBytes(uint64_t address, size_t n);
    void OverwriteBytes(uint64_t address, const uint8_t* data, size_t n);
    // m_fileSize follows the store; announces the size (fileSizeChanged).
    void SyncFileSize();

    // --- Direct edit mode ---
    // The rows on screen: `firstRow` the top row, `rowsOnScreen` the window height / row pitch.
    void SetWindowRows(uint64_t firstRow, int rowsOnScreen);
    uint64_t WindowFirstRow() const { return m_windowFirstRow; }
    // Bytes held in memory: the whole file, or in direct edit mode the rows on screen.
    size_t StoreSize() const { return m_bytes.Size(); }
    // Re-reads the file length and the bytes of the rows on screen.
    bool LoadWindow();
    bool LoadWindow(uint64_t firstRow, int rowsOnScreen);
    // Writes n bytes at address on disk (insert: the tail moves up first). Then LoadWindow
    // when `reload`.
    bool DiskWrite(uint64_t address, const uint8_t* data, size_t n, bool insert, bool reload);
    // Removes n bytes at address from the file on disk, then LoadWindow.
    bool DiskRemove(uint64_t address, uint64_t n);
    // DiskWrite and DiskRemove stop and report when the file on disk is no longer the one last
    // read (another length, or another file under the same name), before and between block moves,
    // so that a file cut short by another program is not filled up again with zeros.
    // After a DiskWrite or DiskRemove that failed: true when the file on disk was changed before
    // the failure (it grew, or bytes were written or moved); false when it is as it was.
    bool LastDiskChangeTouchedFile() const { return m_diskTouched; }
    // Test seam: called before each block move with the block's source address.
    static std::function<void(uint64_t)> s_blockMoveHook;

    // --- Settings ---
    void ApplyGroupSettings(const QString& path);
    // After the settings dialog: the group's colours again, and its Editmode only when the dialog
    // changed it (`editmodeChanged`); a direct-edit document stays locked either way.
    void ReapplyGroupSettings(bool editmodeChanged);
    const DocColors& Colors() const { return m_colors; }
    QString SettingsGroup() const;

    // --- Edit lock: 0 editable, 1 edit prohibited, 2 locked while loading ---
    uint32_t EditLock() const { return m_editLock.load(); }
    bool IsEditable() const { return m_editLock.load() == 0; }
    // 編集禁止: swaps 0 and 1; does nothing while loading.
    void ToggleEditLock();
    void SetEditLock(uint32_t lock);

    // --- Loading ---
    bool IsLoading() const { return m_loaderRunning.load(); }
    // Bytes below this address are final; above it the loader may still be writing.
    uint64_t LoadedUpTo() const { return m_loadedUpTo.load(std::memory_order_acquire); }
    // True when the loader could not read the whole file (error, file shrank): the store then
    // holds zeros that are not the file's bytes, and saving it over a file is refused.
    bool IsIncomplete() const { return m_incomplete.load(); }
    // Blocks until the loader has ended (tests, saving).
    void WaitForLoader();
    // Called by the loader thread before it opens the file; lets tests change the file on disk
    // at a known moment. Empty in the program.
    static std::function<void(const QString&)> s_loaderStartHook;

    // --- Undo journal ---
    const Journal& UndoJournal() const { return m_undo; }
    const Journal& RedoJournal() const { return m_redo; }
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // Records an edit about to be made: a record with a copy of `count` bytes from `data`
    // (may be null when count is 0) goes to index 0 of the undo journal, the redo journal
    // empties and the document is marked modified. When the copy cannot be allocated the user
    // is asked whether to go on without a record.
    RecordOutcome Record(bool insert, uint32_t address, const uint8_t* data, int32_t count,
                         int32_t removeCount);
    // As Record, with `count` bytes copied straight from the store at `address` (no second copy
    // of a large selection is made).
    RecordOutcome RecordStoreBytes(bool insert, uint32_t address, int32_t count, int32_t removeCount);
    // The record at index 0 of the undo journal, for the edits that adjust it afterwards.
    UNDODATA* NewestUndo() { return m_undo.empty() ? nullptr : &m_undo.front(); }
    // Takes back the record just made for an edit that then failed before changing any byte.
    void DropNewestUndo()
    {
        if (!m_undo.empty())
            m_undo.pop_front();
    }
    std::optional<ApplyResult> Undo() { return Apply(m_undo, m_redo); }
    std::optional<ApplyResult> Redo() { return Apply(m_redo, m_undo); }
    void ClearJournals();
    // バッファクリア: asks, then clears. Returns true when cleared.
    bool AskClearJournals();

    // --- Saving ---
    // Writes the document to `path` (the current path for save), with the ".bak" backup and the
    // journal rule of the settings group. The target is replaced only by a complete new file.
    // On success the document takes `path` and is no longer modified. Errors go through the prompter.
    // `progress`, when given, hears how many of the bytes are written (also while the system
    // writes them out at the end) and stops the save by returning false: the target then stays
    // as it was and nothing is reported.
    using ProgressFn = std::function<bool(uint64_t done, uint64_t total)>;
    bool DoSave(const QString& path, const ProgressFn& progress = {});
    // 再読み込み: asks to save a modified document, then reads the file again. Returns true when
    // the document was reloaded (the view then resets itself).
    bool Reload();

    // Compare partner (set while two windows are compared). Held weakly: a partner that goes
    // away leaves no dangling pointer. Changing it asks every window of the document to repaint.
    void SetDiffPartner(CQuorvaneDoc* partner)
    {
        if (m_diffPartner == partner)
            return;
        m_diffPartner = partner;
        Q_EMIT diffChanged();
    }
    CQuorvaneDoc* DiffPartner() const { return m_diffPartner.data(); }

Q_SIGNALS:
    // Emitted on the user-interface thread before the bytes change or the store is given up (every
    // edit, undo/redo, disk write, reload and close). Views stop and join their workers that read
    // the document here, so no worker reads bytes while they move or are freed.
    void bytesAboutToChange();
    // The file size changed (the status bar's size pane).
    void fileSizeChanged(quint64 size);
    // The loader ended; the view repaints so that late bytes never stay shown as 00.
    void loadingFinished();
    // The loader could not read the file: the system's text for the failure.
    void loaderFailed(const QString& errorText);
    void modifiedChanged(bool modified);
    // The direct-edit window was re-read (the view redraws and sets its scroll range).
    void windowLoaded();
    void editLockChanged(uint32_t lock);
    void pathChanged(const QString& path);
    // The compare colours of this document's windows are out of date: its partner changed, or
    // the partner's bytes did.
    void diffChanged();

private:
    // A file read for opening, not yet part of the document.
    struct OpenedFile
    {
        QString path;        // absolute
        uint64_t length = 0;
        bool direct = false; // direct edit mode: `bytes` stays empty
        ByteStore bytes;     // in memory: the whole length, the first megabyte read
        uint64_t device = 0; // direct edit mode: the file's identity
        uint64_t inode = 0;
    };
    // Reads `path` as an open would, asking the out-of-memory question; the document is not
    // touched. nullopt when the open failed or was cancelled (errors already shown).
    std::optional<OpenedFile> ReadForOpen(const QString& path, bool directEdit);
    // Gives up the current contents (stopping their loader) and takes `opened`.
    void Adopt(OpenedFile&& opened);
    static void ReadFileIdentity(const QFile& file, uint64_t& device, uint64_t& inode);
    std::optional<ApplyResult> Apply(Journal& from, Journal& to);
    RecordOutcome AddRecord(bool insert, uint32_t address, int32_t count, int32_t removeCount,
                            const std::function<void(uint8_t*)>& fill);
    void StartLoader();
    void LoaderThread(QString path, uint64_t length);
    void StopLoader();
    void RestoreLockAfterLoading();
    bool OpenDirect(const QString& path);
    // Direct edit: true when the open `file` is still the file of the last read with length
    // `expected`; else reports the outside change and returns false.
    bool StillOurFile(const QFile& file, uint64_t expected);
    void NoteFileIdentity(const QFile& file);
    // Direct edit: reads bytes outside the window from the file on disk; the count read.
    size_t ReadFromDisk(uint64_t address, uint8_t* dst, size_t n) const;

    QString m_pathName;
    bool m_modified = false;

    std::thread m_loaderThread;
    std::atomic<bool> m_stopLoading{false};
    std::atomic<bool> m_loaderRunning{false};
    std::atomic<uint64_t> m_loadedUpTo{0};
    std::atomic<bool> m_incomplete{false};
    std::atomic<uint32_t> m_lockBeforeLoading{0};

    bool m_directEdit = false;
    std::atomic<uint32_t> m_editLock{0};
    Journal m_undo;
    Journal m_redo;
    DocColors m_colors;
    uint64_t m_fileSize = 0;
    ByteStore m_bytes;
    uint64_t m_windowFirstRow = 0;
    int m_windowRows = 0;
    bool m_windowFailed = false;
    bool m_diskTouched = false; // the last DiskWrite/DiskRemove changed the file // the last LoadWindow could not open the file
    // The file's identity (device, inode) when its length was last read in direct edit mode.
    uint64_t m_fileDevice = 0;
    uint64_t m_fileInode = 0;
    QPointer<CQuorvaneDoc> m_diffPartner;
};
