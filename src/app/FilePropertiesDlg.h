// ファイルのプロパティ: a dialog with the facts of a document's file.
#pragma once

#include <QDialog>

class CQuorvaneDoc;

// Shows the file's name, folder, size, dates, permissions and how the document holds it.
class CFilePropertiesDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFilePropertiesDlg(const CQuorvaneDoc& doc, QWidget* parent = nullptr);

    // The rows shown, label and value, for tests.
    QList<QPair<QString, QString>> Rows() const { return m_rows; }

private:
    QList<QPair<QString, QString>> m_rows;
};
