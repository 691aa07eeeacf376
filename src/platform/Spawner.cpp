#include "platform/Spawner.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::mutex& childrenMutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<pid_t>& startedChildren() {
    static std::set<pid_t> children;
    return children;
}

void rememberChild(pid_t pid) {
    std::lock_guard lock(childrenMutex());
    startedChildren().insert(pid);
}

QString systemError(const char* what, int error) {
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

// Unlike a plain argv, the strings must outlive posix_spawn.
struct ArgumentVector {
    std::vector<QByteArray> storage;
    std::vector<char*> pointers;

    ArgumentVector(const QString& program, const QStringList& arguments) {
        storage.push_back(QFile::encodeName(program));
        for (const QString& argument : arguments)
            storage.push_back(argument.toUtf8());
        for (QByteArray& s : storage)
            pointers.push_back(s.data());
        pointers.push_back(nullptr);
    }
};

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Own session; signals as a fresh program expects them, whatever we block or ignore.
    int prepareAttributes() {
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD})
            sigaddset(&defaults, s);
        if (int e = posix_spawnattr_setsigmask(&attributes, &none))
            return e;
        if (int e = posix_spawnattr_setsigdefault(&attributes, &defaults))
            return e;
        return posix_spawnattr_setflags(&attributes,
                                        POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

// Whole secret into the pipe at once; the pipe's buffer is far larger than any
// password, so a short or would-block write is an error rather than a reason to wait.
bool writeAll(int fd, const QByteArray& data) {
    if (::fcntl(fd, F_SETFL, O_NONBLOCK) != 0)
        return false;
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

std::optional<quint64> startTimeOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto entry = parseProcStat(stat.readAll());
    if (!entry)
        return std::nullopt;
    return entry->startTime;
}

} // namespace

SpawnResult PosixSpawner::spawn(const SpawnRequest& request) {
    SpawnSetup setup;
    if (int e = setup.prepareAttributes())
        return {std::nullopt, systemError("posix_spawnattr", e)};

    FileDescriptor readEnd, writeEnd;
    if (request.stdinData) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return {std::nullopt, systemError("pipe", errno)};
        readEnd.reset(fds[0]);
        writeEnd.reset(fds[1]);
        // With our own stdin closed the pipe may get fd 0, and dup2(0, 0) would keep
        // close-on-exec: the program would start without stdin.
        if (readEnd.get() == STDIN_FILENO) {
            const int moved = ::fcntl(readEnd.get(), F_DUPFD_CLOEXEC, 3);
            if (moved < 0)
                return {std::nullopt, systemError("fcntl", errno)};
            readEnd.reset(moved);
        }
        posix_spawn_file_actions_adddup2(&setup.actions, readEnd.get(), STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }

    const ArgumentVector argv(request.program, request.arguments);
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, argv.pointers[0], &setup.actions, &setup.attributes,
                                    argv.pointers.data(), environ);
    if (error != 0)
        return {std::nullopt, systemError("posix_spawn", error)};

    // While we still hold the read end, the write cannot raise SIGPIPE.
    const bool secretWritten = !request.stdinData || writeAll(writeEnd.get(), *request.stdinData);
    const int writeError = errno;
    writeEnd.reset();
    readEnd.reset();

    // Not reaped before it is remembered, so its stat is there even if it has ended.
    const auto startTime = startTimeOf(pid);
    rememberChild(pid);
    if (!secretWritten)
        return {std::nullopt, systemError("write stdin", writeError ? writeError : EAGAIN)};
    if (!startTime)
        return {std::nullopt, QStringLiteral("/proc/%1/stat unreadable").arg(pid)};
    return {ProcessIdentity{pid, *startTime}, {}};
}

void reapEndedChildren() {
    std::lock_guard lock(childrenMutex());
    auto& children = startedChildren();
    for (auto it = children.begin(); it != children.end();) {
        int status = 0;
        const pid_t r = ::waitpid(*it, &status, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = children.erase(it);
        else
            ++it;
    }
}
