// フォルダ内検索: the dialog that describes the pattern and the files of a folder search.
#pragma once

#include "search/FolderSearch.h"
#include "search/GrepSetupRules.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

// Fields 10進数 / 16進数 / 文字列 with its 文字コード, 検索フォルダ with its history list (a double
// click or Down in the field calls it up), ファイルの種類 and サブフォルダも検索. 検索 checks the
// fields, stores the file types and the folder history in the settings and closes with the
// request; an error keeps the dialog open.
class CGrepSetup : public QDialog
{
    Q_OBJECT

public:
    // `charCode`: the code the properties pane shows (a value 0-8, or -1 when none).
    explicit CGrepSetup(int charCode, QWidget* parent = nullptr);

    // The search to run, after 検索.
    const FolderSearchRequest& Request() const { return m_request; }
    GrepSetupRules::Fields Fields() const;

    // Calls up the folder history below the folder field, with the keyboard in it.
    void ShowHistory();
    // Takes history entry `row` into the folder field, moves it to the top and hides the list.
    void TakeHistoryEntry(int row);
    // The folder field takes what was dropped: a folder itself, a file its folder.
    void TakeDroppedPath(const QString& path);

    QLineEdit* DecimalEdit() const { return m_decimal; }
    QLineEdit* HexEdit() const { return m_hex; }
    QLineEdit* TextEdit() const { return m_text; }
    QComboBox* CodeCombo() const { return m_code; }
    QLineEdit* FolderEdit() const { return m_folder; }
    QToolButton* BrowseButton() const { return m_browse; }
    QListWidget* HistoryList() const { return m_history; }
    QComboBox* FileTypeCombo() const { return m_fileTypes; }
    QCheckBox* SubfolderCheck() const { return m_subfolders; }
    QPushButton* SearchButton() const { return m_search; }

public Q_SLOTS:
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void OnDecimalEdited(const QString& text);
    void OnHexEdited(const QString& text);
    void Browse();
    void HideHistory();

    QLineEdit* m_decimal = nullptr;
    QLineEdit* m_hex = nullptr;
    QLineEdit* m_text = nullptr;
    QComboBox* m_code = nullptr;
    QLineEdit* m_folder = nullptr;
    QToolButton* m_browse = nullptr;
    QListWidget* m_history = nullptr;
    QComboBox* m_fileTypes = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QPushButton* m_search = nullptr;
    QString m_lastHex;   // the 16進数 text before its last change
    bool m_syncing = false; // one number field is filling the other
    FolderSearchRequest m_request;
};
