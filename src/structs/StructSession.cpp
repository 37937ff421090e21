// The structure editor's operations, shared by the pane and the command line.
#include "structs/StructSession.h"

#include "base/NativePath.h"

#include <QFile>

CStructDefs::ValueReader CStructSession::Reader(StructBytes& bytes) const
{
    const uint64_t base = m_base;
    return [&bytes, base](uint64_t offset, uint32_t size, bool big) {
        return bytes.ReadValue(CStructBase::End(base, offset), size, big);
    };
}

bool CStructSession::LoadDefinitionFile(const QString& path, StructBytes& bytes)
{
    m_tree.Clear();
    m_defs.Clear();
    m_error.clear();
    m_path = path;
    if (path.isEmpty())
        return true;
    // The name is shown as the user reads it; the file is opened by its bytes.
    const QString name = PathForDisplay(FileNameOf(path));
    QFile file;
    QString openError;
    if (!OpenNativeFile(file, path, QIODevice::ReadOnly, &openError)) {
        m_error = QStringLiteral("%1: %2").arg(name, openError);
        return false;
    }
    if (file.size() > CStructDefs::kMaxFileBytes) {
        m_error = QStringLiteral("%1: 定義ファイルが大きすぎます。").arg(name);
        return false;
    }
    const QByteArray text = file.readAll();
    if (!m_defs.Parse(text, Reader(bytes))) {
        m_error = QStringLiteral("%1 の %2 行目: %3").arg(name).arg(m_defs.ErrorLine()).arg(m_defs.ErrorText());
        return false;
    }
    return true;
}

void CStructSession::ChooseStructure(int index)
{
    m_tree.Show(index);
}

uint64_t CStructSession::StructSize() const
{
    const int s = m_tree.Structure();
    return uint64_t(std::max<int64_t>(m_defs.DefSize(s), 0));
}

bool CStructSession::MoveBase(CStructBase::Move move, uint64_t cursor, StructBytes& bytes)
{
    if (m_tree.Structure() < 0)
        return false;
    m_base = CStructBase::Moved(m_base, move, StructSize(), cursor);
    Reevaluate(bytes);
    return true;
}

void CStructSession::Reevaluate(StructBytes& bytes)
{
    m_defs.Reevaluate(Reader(bytes));
    m_tree.Show(m_tree.Structure());
}

void CStructSession::StructRange(uint64_t& start, uint64_t& end) const
{
    start = m_base;
    end = CStructBase::End(m_base, StructSize());
}

void CStructSession::RowRange(const CStructTree::LISTOPTION& row, uint64_t& start, uint64_t& end) const
{
    start = CStructBase::End(m_base, row.offset);
    end = CStructBase::End(start, m_tree.RowLength(row));
}

bool CStructSession::EditRebuildsRows(int64_t index) const
{
    if (index < 0 || index >= m_tree.RowCount())
        return false;
    const uint8_t kind = m_tree.Field(m_tree.Row(index)).kind;
    return kind == CStructDefs::kVarsizeLittle || kind == CStructDefs::kVarsizeBig;
}

CStructValues::Commit CStructSession::CommitValueEdit(int64_t index, const QString& text, StructBytes& bytes,
                                                      int64_t* rowAfter, int64_t expandLimit, int64_t maxRows)
{
    if (rowAfter)
        *rowAfter = index;
    if (index < 0 || index >= m_tree.RowCount())
        return CStructValues::Commit::Refused;
    const CStructTree::LISTOPTION row = m_tree.Row(index);
    const CStructValues::Commit result = CStructValues::CommitValueEdit(m_tree, row, text, bytes, m_base);
    if (result == CStructValues::Commit::Written && EditRebuildsRows(index)) {
        int64_t row = index;
        RebuildKeepingRows(bytes, &row, expandLimit, maxRows);
        if (rowAfter)
            *rowAfter = row;
    }
    return result;
}

bool CStructSession::VarsizeValuesChanged(StructBytes& bytes) const
{
    if (m_defs.Varsizes().empty())
        return false;
    CStructDefs now = m_defs;
    now.Reevaluate(Reader(bytes));
    for (size_t i = 0; i < now.Varsizes().size(); ++i)
        if (now.Varsizes()[i].value != m_defs.Varsizes()[i].value)
            return true;
    return false;
}

void CStructSession::RebuildKeepingRows(StructBytes& bytes, int64_t* row, int64_t expandLimit, int64_t maxRows)
{
    const CStructTree::RowKey kept = row ? m_tree.KeyOf(*row) : CStructTree::RowKey();
    const std::vector<CStructTree::RowKey> expanded = m_tree.ExpandedKeys();
    Reevaluate(bytes);
    m_tree.Reexpand(expanded, expandLimit, maxRows);
    if (row)
        *row = m_tree.IndexOf(kept);
}
