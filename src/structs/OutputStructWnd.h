// The 構造体編集 pane: a structure definition laid over the active document, as a tree list.
#pragma once

#include "structs/DocStructBytes.h"
#include "structs/StructFiles.h"
#include "structs/StructRowModel.h"
#include "structs/StructSession.h"
#include "view/StructPaneSink.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class CQuorvaneDoc;
class CQuorvaneView;
class CStructRowDelegate;
class CStructRowModel;
class QComboBox;
class QLabel;
class QMenu;
class QTableView;
class QToolButton;

// The pane finds the active view through the main frame and talks to it only with the window
// messages (UM_GETPOS, UM_SETSTRUCTRANGE, UM_SELECTRANGE, UM_SETCURSOR); its values always come
// from the active document.
class COutputStructWnd : public QWidget, public StructPaneSink
{
    Q_OBJECT

public:
    // Control ids.
    enum : int {
        IDC_ICON = 1050, IDC_FILES = 1062, IDC_STRUCTS = 1061, IDC_TREE = 1010,
        IDC_BACK_RECORD = 1015, IDC_BACK_BYTE = 1017, IDC_TO_CURSOR = 1019,
        IDC_FORWARD_BYTE = 1084, IDC_FORWARD_RECORD = 1085, ID_SELECT = 32918,
    };
    // An expansion shows at most this many elements; a longer array says so and shows its head.
    static constexpr int64_t kExpandLimit = 1'000'000;

    // ---- What the views ask of the pane ----
    bool IsShowing() const override;
    void ViewActivated() override;
    // And the list never holds more rows than this.
    static constexpr int64_t kMaxRows = 20'000'000;

    // `folders`: where the ".def" files are looked for (the program's and the user's folders).
    explicit COutputStructWnd(QWidget* parent = nullptr, const QStringList& folders = CStructFiles::DefaultFolders());
    ~COutputStructWnd() override;

    // ---- What a user does ----
    // Chooses entry `index` of the file list: parses it and shows its first structure.
    void LoadDefinitionFile(int index);
    // Chooses structure `index` of the structure list and shows it at the base address.
    void ChooseStructure(int index);
    // The "<<" "<" "-" ">" ">>" buttons.
    void MoveBase(CStructBase::Move move);
    // The refresh icon: re-reads the varsize values and shows the structure again.
    void Reevaluate();
    // Expands or collapses a row (its icon, a double click or Enter outside the value column).
    void ToggleRow(int row);
    // Commits an in-place edit of a row's value. False when nothing was written.
    bool CommitValueEdit(int row, const QString& text);
    // 選択: selects the current row's bytes in the view.
    void SelectRowBytes();
    // The refresh timer's work: when the bytes under the structure now give other varsize values
    // (an undo, typing in the view), the rows are rebuilt keeping expansions and the current row;
    // then the values are repainted.
    void RefreshValues();

    // ---- State, for the frame and tests ----
    CStructSession& Session() { return *m_session; }
    uint64_t Base() const { return m_session->Base(); }
    const std::vector<CStructFiles::Entry>& Files() const { return m_files; }
    QComboBox* FileList() const { return m_fileList; }
    QComboBox* StructList() const { return m_structList; }
    QTableView* TreeList() const { return m_tree; }
    QLabel* AddressLabel() const { return m_address; }
    QToolButton* Button(int id) const;
    CStructRowModel* Model() const { return m_model; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildControls();
    CQuorvaneView* ActiveView() const;
    CQuorvaneDoc* ActiveDocument() const;
    // The reader of the active document (rebuilt when another document becomes active).
    StructBytes& Bytes();
    uint64_t FileSize() const;
    void ShowStructure();
    void SendStructRange();
    // Runs `rebuild` (which rebuilds the rows) inside one model reset, then makes row `*current`
    // (read afterwards) the current row and sends the new ranges.
    void RebuildRows(const std::function<void()>& rebuild, const int64_t* current,
                     int column = CStructRowModel::ColValue);
    void SendRowRange();
    void UpdateAddressText();
    void OnCurrentRowChanged();
    void ShowContextMenu(const QPoint& pos);
    void FitValueColumn();
    void RepaintView();

    std::unique_ptr<CStructSession> m_session;
    std::vector<CStructFiles::Entry> m_files;
    std::unique_ptr<DocStructBytes> m_bytes;
    QPointer<CQuorvaneDoc> m_bytesDoc;
    bool m_editing = false;

    QToolButton* m_icon = nullptr;
    QComboBox* m_fileList = nullptr;
    QComboBox* m_structList = nullptr;
    QLabel* m_address = nullptr;
    std::vector<QToolButton*> m_buttons;
    QTableView* m_tree = nullptr;
    CStructRowModel* m_model = nullptr;
    CStructRowDelegate* m_delegate = nullptr;
    QMenu* m_menu = nullptr;
    QTimer m_refresh; // values follow typing in the view while the pane is shown
};
