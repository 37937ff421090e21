// The structure editor's tree list as a flat model: one line per visible row, computed on demand.
#pragma once

#include <QAbstractTableModel>
#include <functional>

class CStructSession;
class StructBytes;

class CStructRowModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColName = 0, ColValue = 1, ColType = 2 };
    enum Role { LevelRole = Qt::UserRole + 1, ExpandableRole, ExpandedRole };

    // `bytes` gives the reader of the active document at the time of the call.
    CStructRowModel(CStructSession& session, std::function<StructBytes&()> bytes, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The rows were rebuilt (a structure chosen, the base moved).
    void Reset();
    // Runs `change`, which rebuilds the rows, inside one model reset: the list never sees the new
    // rows with the old row count.
    void Rebuild(const std::function<void()>& change);
    // Expands or collapses a row; returns the rows added (positive) or removed (negative).
    int64_t Toggle(int row, int64_t limit);
    // Set by the pane: commits an edit of a row.
    std::function<bool(int row, const QString& text)> commit;
    // The file size the value column reads up to.
    std::function<uint64_t()> fileSize;

private:
    CStructSession& m_session;
    std::function<StructBytes&()> m_bytes;
};
