// The file-facts dialog of ファイルのプロパティ.
#include "app/FilePropertiesDlg.h"

#include "base/FileSizeText.h"
#include "document/QuorvaneDoc.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace {

QString DateText(const QDateTime& t)
{
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) : QStringLiteral("-");
}

QString PermissionText(QFile::Permissions p)
{
    const struct { QFile::Permission bit; char c; } bits[] = {
        {QFile::ReadOwner, 'r'}, {QFile::WriteOwner, 'w'}, {QFile::ExeOwner, 'x'},
        {QFile::ReadGroup, 'r'}, {QFile::WriteGroup, 'w'}, {QFile::ExeGroup, 'x'},
        {QFile::ReadOther, 'r'}, {QFile::WriteOther, 'w'}, {QFile::ExeOther, 'x'},
    };
    QString s;
    for (const auto& b : bits)
        s += (p & b.bit) ? QLatin1Char(b.c) : QLatin1Char('-');
    return s;
}

} // namespace

CFilePropertiesDlg::CFilePropertiesDlg(const CQuorvaneDoc& doc, QWidget* parent) : QDialog(parent)
{
    const QFileInfo info(doc.PathName());
    setWindowTitle(info.fileName() + QStringLiteral("のプロパティ"));

    const uint64_t size = info.exists() ? static_cast<uint64_t>(info.size()) : doc.GetFileSize();
    const QString bytes = QLocale(QLocale::Japanese).toString(static_cast<qulonglong>(size));
    m_rows = {
        {QStringLiteral("名前"), info.fileName()},
        {QStringLiteral("場所"), QDir::toNativeSeparators(info.absolutePath())},
        {QStringLiteral("サイズ"), QStringLiteral("%1 (%2 バイト)").arg(FormatFileSize(size), bytes)},
        {QStringLiteral("作成日時"), DateText(info.birthTime())},
        {QStringLiteral("更新日時"), DateText(info.lastModified())},
        {QStringLiteral("アクセス日時"), DateText(info.lastRead())},
        {QStringLiteral("所有者"), info.owner().isEmpty() ? QStringLiteral("-") : info.owner()},
        {QStringLiteral("アクセス権"), PermissionText(info.permissions())},
        {QStringLiteral("属性"), info.isWritable() ? QStringLiteral("読み書き可能") : QStringLiteral("読み取り専用")},
        {QStringLiteral("編集方法"), doc.IsDirectEdit() ? QStringLiteral("直接編集モード")
                                                     : QStringLiteral("メモリ上で編集")},
    };
    if (!info.exists())
        m_rows.append({QStringLiteral("状態"), QStringLiteral("ファイルが見つかりません。")});

    auto* form = new QFormLayout;
    for (const auto& [label, value] : m_rows) {
        auto* v = new QLabel(value);
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label + QStringLiteral(":"), v);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}
