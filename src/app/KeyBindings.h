// The keys that run commands: the program's defaults, the user's changes, and their stored form.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QString>

class CKeyBindings
{
public:
    // The program's own keys (F12 for 編集禁止 and the rest of the accelerator table).
    static CKeyBindings Defaults();
    // Reads the stored form ("id=key;id=key;...", or ";" for no keys at all); entries naming
    // unknown commands or keys are skipped. `ok` is false when nothing usable was read.
    static CKeyBindings Parse(const QString& text, bool* ok = nullptr);
    // The stored form; ";" when no command has a key.
    QString Format() const;

    QList<QKeySequence> Keys(int id) const { return m_keys.value(id); }
    void SetKeys(int id, const QList<QKeySequence>& keys);
    // Binds `key` to `id`, taking it from whatever command had it before.
    void Assign(int id, const QKeySequence& key);
    // The command a key runs, or 0.
    int CommandOf(const QKeySequence& key) const;
    QList<int> Commands() const;

    bool operator==(const CKeyBindings& other) const { return m_keys == other.m_keys; }

private:
    QHash<int, QList<QKeySequence>> m_keys;
};
