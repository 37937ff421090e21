// A small file system that runs full for real: a tmpfs mounted in a temporary folder.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// Mounting needs the right to mount (root, as in CI). Where it is missing, Mounted() is false and
// the tests that need a full disk say so and skip; the injected failures still run everywhere.
struct SmallFileSystem
{
    QTemporaryDir dir;
    bool mounted = false;

    explicit SmallFileSystem(int kib)
    {
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
        mounted = ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem()
    {
        if (mounted)
            ::umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }

    bool Mounted() const { return mounted; }
    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Fills what is left with one file, so that the next block written fails with ENOSPC.
    void Fill(const QString& name = QStringLiteral("filler")) const
    {
        const int fd = ::open(QFile::encodeName(Path(name)).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return;
        static const char block[4096] = {};
        while (::write(fd, block, sizeof block) > 0) {
        }
        for (int n = 512; n >= 1; n /= 2) // the last partial page too
            while (::write(fd, block, n) > 0) {
            }
        ::close(fd);
    }

    // The names in the folder that are not `keep`: temporary files left behind show up here.
    QStringList Others(const QStringList& keep) const
    {
        QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& k : keep)
            names.removeAll(k);
        return names;
    }
};
