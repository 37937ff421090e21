// The settings dialog (環境設定): settings groups by file pattern, their general values and colours.
#pragma once

#include "base/SettingsGroupValues.h"

#include <QDialog>
#include <array>

class CColorButton;
class CFontBox;
class CSettingsStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

// Shows the values of the group chosen in its list and writes the shown values into a group on
// 追加 or 保存; 削除 removes a group (never "*.*"). Closing writes nothing: the frame then
// re-applies the stored settings to every window.
class CSettingsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSettingsDlg(QWidget* parent = nullptr, CSettingsStore* store = nullptr);

    // The buttons' actions (the buttons call them).
    void OnAdd();
    void OnSave();
    void OnDelete();

    // The values the controls show.
    SettingsGroupValues ShownValues() const;
    void ShowValues(const SettingsGroupValues& values);

    // Controls, for tests and accessibility checks.
    QListWidget* GroupList() const { return m_groups; }
    QLineEdit* PatternEdit() const { return m_pattern; }
    QTabWidget* Tabs() const { return m_tabs; }
    CFontBox* FontBox() const { return m_font; }
    QLabel* FontNote() const { return m_fontNote; }
    QSpinBox* FontSizeBox() const { return m_fontSize; }
    CColorButton* ColorButton(int i) const { return m_colors[size_t(i)]; }
    QLabel* Preview(int row) const { return m_previews[size_t(row)]; }
    QCheckBox* Check(SettingId id) const;
    QComboBox* Choice(SettingId id) const;

private:
    QWidget* BuildGeneralTab();
    QWidget* BuildColorTab();
    void FillGroups();
    void LoadGroup(const QString& pattern);
    void UpdatePreview(int row);
    // Writes the shown values into `group`; false (after a message) when it cannot be a key.
    bool WriteGroup(const QString& group);

    CSettingsStore* m_store = nullptr;
    QListWidget* m_groups = nullptr;
    QLineEdit* m_pattern = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<QCheckBox*, 3> m_checks{};  // Backup, UndobufClear, CursorRestore
    std::array<QComboBox*, 4> m_choices{}; // CharCode, Inputmode, ByteOrder, Editmode
    QSpinBox* m_fontSize = nullptr;
    CFontBox* m_font = nullptr;
    QString m_loadedFontName; // kept when the list has no entry for it
    // The stored face is not installed: the list shows the face that stands in for it (this
    // entry), and the note says so. Saving without choosing another face keeps the stored name.
    int m_standInIndex = -1;
    QLabel* m_fontNote = nullptr;
    std::array<CColorButton*, 20> m_colors{};
    std::array<QLabel*, 10> m_previews{};
};
