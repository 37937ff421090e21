// One result list of the output pane: a single-column list of text lines.
#pragma once

#include <QFont>
#include <QListView>

class CResultListModel;

// Shows a CResultListModel in the fixed-pitch list font, every row the same height. Its context
// menu copies the selected line, clears the list or hides the pane; a double click or Enter on a
// line reports it to the pane, which hands it back to the feature that wrote it.
class COutputList : public QListView
{
    Q_OBJECT

public:
    explicit COutputList(int listId, QWidget* parent = nullptr);

    int ListId() const { return m_listId; }
    CResultListModel* Lines() const { return m_model; }

    // The selected line, or -1.
    int SelectedLine() const;
    // Copies the selected line (the first when none is selected) to the clipboard; nothing in an
    // empty list.
    void CopySelectedLine();
    void ClearLines();
    // Horizontal extent: the widest of the first, second and last lines plus 5 pixels.
    void FitWidth();

    // "MS ゴシック" 12 pixels high, or the system's fixed-pitch font when it is missing.
    static QFont ListFont();

Q_SIGNALS:
    void lineActivated(int listId, int line);
    void hidePaneRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int m_listId;
    CResultListModel* m_model;
};
