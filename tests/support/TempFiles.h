// Temporary files with known contents for tests.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <random>

struct TempFiles
{
    QTemporaryDir dir;

    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(Path(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return f.fileName();
    }

    // A sparse file of `size` bytes (zeros) with `tail` written at its end.
    QString Sparse(const QString& name, uint64_t size, const QByteArray& tail = {}) const
    {
        QFile f(Path(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.resize(static_cast<qint64>(size));
        if (!tail.isEmpty()) {
            f.seek(static_cast<qint64>(size) - tail.size());
            f.write(tail);
        }
        return f.fileName();
    }

    static QByteArray Read(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    static QByteArray Random(qsizetype n, uint32_t seed = 1)
    {
        QByteArray b(n, Qt::Uninitialized);
        std::mt19937 rng(seed);
        for (qsizetype i = 0; i < n; ++i)
            b[i] = static_cast<char>(rng() & 0xFF);
        return b;
    }
};
