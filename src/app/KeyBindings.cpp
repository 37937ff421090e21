// Key bindings and their stored text.
#include "app/KeyBindings.h"

#include "base/CommandTable.h"

#include <QRegularExpression>
#include <algorithm>

CKeyBindings CKeyBindings::Defaults()
{
    CKeyBindings b;
    for (const CommandInfo& c : AllCommands())
        if (!c.accelerator.isEmpty())
            b.m_keys[c.id] << QKeySequence(c.accelerator, QKeySequence::PortableText);
    return b;
}

CKeyBindings CKeyBindings::Parse(const QString& text, bool* ok)
{
    // "57634=Ctrl+C;57635=Ctrl+X": a key may itself hold ";" or "=" (Ctrl+;), so an entry ends
    // only where the next "number=" begins.
    static const QRegularExpression entry(QStringLiteral("(\\d+)=(.+?)(?=;\\d+=|;?$)"));
    CKeyBindings b;
    int read = 0;
    auto it = entry.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        bool numeric = false;
        const int id = m.captured(1).toInt(&numeric);
        const QKeySequence key(m.captured(2), QKeySequence::PortableText);
        if (!numeric || !FindCommand(id) || key.isEmpty() || key.count() != 1)
            continue;
        if (b.CommandOf(key) == 0)
            b.m_keys[id] << key;
        ++read;
    }
    if (ok)
        *ok = read > 0 || text == QLatin1String(";");
    return b;
}

QString CKeyBindings::Format() const
{
    QList<int> ids = m_keys.keys();
    std::sort(ids.begin(), ids.end());
    QStringList parts;
    for (int id : ids)
        for (const QKeySequence& key : m_keys.value(id))
            parts << QStringLiteral("%1=%2").arg(id).arg(key.toString(QKeySequence::PortableText));
    return parts.isEmpty() ? QStringLiteral(";") : parts.join(QLatin1Char(';'));
}

void CKeyBindings::SetKeys(int id, const QList<QKeySequence>& keys)
{
    if (keys.isEmpty())
        m_keys.remove(id);
    else
        m_keys[id] = keys;
}

void CKeyBindings::Assign(int id, const QKeySequence& key)
{
    if (key.isEmpty())
        return;
    if (const int owner = CommandOf(key)) {
        QList<QKeySequence> keys = m_keys.value(owner);
        keys.removeAll(key);
        SetKeys(owner, keys);
    }
    m_keys[id] << key;
}

int CKeyBindings::CommandOf(const QKeySequence& key) const
{
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it)
        if (it.value().contains(key))
            return it.key();
    return 0;
}

QList<int> CKeyBindings::Commands() const
{
    return m_keys.keys();
}
