// The properties pane "プロパティ": the input side of search, replace, same search, SUM and
// address jump, and the display of the active view's character code and byte order.
#pragma once

#include "panes/PropertyTable.h"
#include "search/ReplaceRequest.h"
#include "search/SameSearch.h"
#include "search/SearchPattern.h"

#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>

class CMPGridCtrl;
class QToolBar;

// A toolbar over the property grid. The pane keeps the search pattern and the replace request it
// builds and the state of the same search it started; everything else goes to the active view by
// the window messages. The frame routes 検索 (F1), 前へ (F2), 次へ (F3), 置換 (F4) and アドレス
// ジャンプ (Ctrl+J) here.
class CPropertiesWnd : public QWidget
{
    Q_OBJECT

public:
    // The pane's own commands (the toolbar's buttons, in order).
    static constexpr int kExpandAll = 158;
    static constexpr int kSum = 153;
    static constexpr int kSearch = 154;
    static constexpr int kSearchPrev = 156;
    static constexpr int kSearchNext = 155;
    static constexpr int kReplace = 32784;
    static constexpr int kSameSearch = 157;
    static constexpr int kAddressJump = 32793;

    explicit CPropertiesWnd(QWidget* parent = nullptr);
    ~CPropertiesWnd() override;

    // Runs one of the commands above, after committing the entry being typed in; false for
    // other ids.
    bool OnCommand(int id);
    // Enables the toolbar's buttons as the active view, the pattern and a running same search
    // allow (the frame calls it with its own command states).
    void UpdateToolbar();
    // Brings the pane to the front and opens the entry of a property with the keyboard focus.
    void ShowEntry(PropId id);
    // Whether a command can run now; false for other ids (`handled` tells them apart).
    bool IsCommandEnabled(int id, bool* handled = nullptr) const;

    // UM_SHOWCHARCODE / UM_SHOWBYTEORDER from the frame.
    void ShowCharCode(int code, bool settingUp);
    void ShowByteOrder(int order);

    bool HasSearchPattern() const { return m_pattern.has_value(); }
    const SearchPattern* Pattern() const { return m_pattern ? &*m_pattern : nullptr; }
    bool IsSameSearchIdle() const { return m_sameIdle.load(); }
    CMPGridCtrl* Grid() const { return m_grid; }
    QToolBar* ToolBar() const { return m_toolbar; }
    QString Value(PropId id) const;

    // Fills a property from an address-button menu command (32893-32905), as the grid does when
    // the user picks it.
    void FillFromMenu(PropId id, int commandId);

    // Where the messages go: the active view and the main frame. Tests may aim them elsewhere.
    void SetTargetFinder(std::function<QObject*()> view, std::function<QObject*()> frame = {});

private:
    void OnPropertyChanged(PropId id, const QString& value);
    void OnAddressButton(PropId id, AddressMenu menu, const QPoint& globalPos);
    QObject* View() const;
    QObject* Frame() const;
    void Search(SearchPattern::Request kind);
    void Replace();
    void SameSearch();
    void Sum();
    void AddressJump();
    // Builds the search pattern from the 16進数 text; an empty text is reported and builds none.
    bool BuildSearchPattern();

    QToolBar* m_toolbar = nullptr;
    CMPGridCtrl* m_grid = nullptr;
    std::optional<SearchPattern> m_pattern;
    std::optional<ReplaceRequest> m_replace;
    SameSearchRequest m_same;
    std::atomic<bool> m_sameIdle{true};
    QPointer<QObject> m_sameView;
    std::function<QObject*()> m_viewFinder;
    std::function<QObject*()> m_frameFinder;
};
