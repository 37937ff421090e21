// Runs quorvane-cli with arguments given as the system's bytes, in a chosen working folder and
// with a chosen temporary folder (QProcess would re-encode names that are not UTF-8).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace rawcli {

struct Run
{
    int status = -1;    // the exit status, or -1 when ended by a signal
    int signal = 0;     // the ending signal
    QByteArray out;
    QByteArray err;
};

// Reads a file by its bytes (Qt's classes cannot open names that are not UTF-8).
inline QByteArray Slurp(const QByteArray& path)
{
    QByteArray all;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return "<missing>";
    char buffer[65536];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        all.append(buffer, got);
    ::close(fd);
    return all;
}

inline bool Spit(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return ok;
}

inline QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

struct Options
{
    QByteArray cwd;     // working folder ("" = the test's)
    QByteArray tmpdir;  // TMPDIR of the run ("" = inherited)
    bool closedOutput = false; // standard output is a pipe whose reader has already gone
};

// Output goes to files in `scratch`.
inline Run Cli(const QTemporaryDir& scratch, std::vector<QByteArray> args, const Options& options = {})
{
    args.insert(args.begin(), QByteArray(QUORVANE_CLI));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> envStore;
    for (char** e = environ; *e; ++e) {
        if (!options.tmpdir.isEmpty() && QByteArray(*e).startsWith("TMPDIR="))
            continue;
        envStore.emplace_back(*e);
    }
    if (!options.tmpdir.isEmpty())
        envStore.push_back("TMPDIR=" + options.tmpdir);
    std::vector<char*> env;
    for (QByteArray& e : envStore)
        env.push_back(e.data());
    env.push_back(nullptr);

    const QByteArray out = Native(scratch.path()) + "/stdout";
    const QByteArray err = Native(scratch.path()) + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.cwd.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, options.cwd.constData());
    int pipeEnds[2] = {-1, -1};
    if (options.closedOutput && ::pipe(pipeEnds) == 0) {
        ::close(pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Run r;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipeEnds[1] >= 0)
        ::close(pipeEnds[1]);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

} // namespace rawcli
