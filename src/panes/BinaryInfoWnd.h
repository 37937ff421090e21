// The info pane "情報": the bytes at the cursor as numbers and bits, the file size, the cursor
// address and the selection length.
#pragma once

#include "view/InfoSink.h"

#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;

// Only formats: the view computes the inputs and calls UpdateInfo. The "+" and "-" buttons switch
// the display mode and ask the active view to send its inputs again (UM_UPDATEINFO).
class CBinaryInfoWnd : public QWidget, public InfoSink
{
    Q_OBJECT

public:
    explicit CBinaryInfoWnd(QWidget* parent = nullptr);

    void UpdateInfo(const InfoInput& input) override;
    // The value field of a row (InfoRows::Row).
    QString ValueText(int row) const;
    bool PlusMode() const { return m_plusMode; }
    void SetPlusMode(bool plus);
    QToolButton* PlusButton() const { return m_plus; }
    QToolButton* MinusButton() const { return m_minus; }

    // Where UM_UPDATEINFO goes: the active view of the main frame. Tests may aim it elsewhere.
    void SetTargetFinder(std::function<QObject*()> finder) { m_targetFinder = std::move(finder); }

private:
    QLabel* m_values[InfoRows::RowCount] = {};
    QToolButton* m_plus = nullptr;
    QToolButton* m_minus = nullptr;
    bool m_plusMode = true;
    std::function<QObject*()> m_targetFinder;
};
