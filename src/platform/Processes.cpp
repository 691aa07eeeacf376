#include "platform/Processes.h"

#include "platform/Spawner.h"

#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

template <typename T> std::optional<T> parseNumber(QByteArrayView text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.isEmpty())
        return std::nullopt;
    return value;
}

// Splits the fields after the name at single blanks; stops after `count` fields.
std::vector<QByteArrayView> fieldsAfterName(QByteArrayView rest, std::size_t count) {
    std::vector<QByteArrayView> fields;
    qsizetype start = 0;
    while (fields.size() < count && start < rest.size()) {
        qsizetype end = rest.indexOf(' ', start);
        if (end < 0)
            end = rest.size();
        fields.push_back(rest.sliced(start, end - start));
        start = end + 1;
    }
    return fields;
}

// The whole small file in one read, as the kernel produces it.
std::optional<QByteArray> readSmallFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray content(4096, Qt::Uninitialized);
    const ssize_t n = ::read(fd, content.data(), content.size());
    ::close(fd);
    if (n <= 0)
        return std::nullopt;
    content.truncate(n);
    return content;
}

bool isAllDigits(const char* name) {
    if (!*name)
        return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9')
            return false;
    }
    return true;
}

} // namespace

std::optional<ProcessEntry> parseProcStat(QByteArrayView line) {
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 1 || close < open || close + 2 >= line.size() || line[close + 1] != ' ')
        return std::nullopt;
    const auto pid = parseNumber<qint64>(line.first(open - 1));
    if (!pid || line[open - 1] != ' ')
        return std::nullopt;

    // After the name: state (3), ppid (4), ..., starttime (22).
    const auto fields = fieldsAfterName(line.sliced(close + 2), 20);
    if (fields.size() < 20 || fields[0].size() != 1)
        return std::nullopt;
    const auto ppid = parseNumber<qint64>(fields[1]);
    QByteArrayView startField = fields[19];
    if (startField.endsWith('\n'))
        startField.chop(1);
    const auto startTime = parseNumber<quint64>(startField);
    if (!ppid || !startTime)
        return std::nullopt;

    ProcessEntry entry;
    entry.pid = *pid;
    entry.comm = line.sliced(open + 1, close - open - 1).toByteArray();
    entry.state = fields[0][0];
    entry.ppid = *ppid;
    entry.startTime = *startTime;
    return entry;
}

bool containsLive(const ProcessSnapshot& snapshot, const ProcessIdentity& process) {
    for (const ProcessEntry& entry : snapshot) {
        if (entry.pid == process.pid)
            return entry.startTime == process.startTime && entry.isLive();
    }
    return false;
}

ProcProcessReader::ProcProcessReader(QByteArray procRoot) : m_procRoot(std::move(procRoot)) {}

ProcessSnapshot ProcProcessReader::snapshot() {
    reapEndedChildren();
    ProcessSnapshot snapshot;
    DIR* dir = ::opendir(m_procRoot.constData());
    if (!dir)
        return snapshot;
    while (const dirent* item = ::readdir(dir)) {
        if (!isAllDigits(item->d_name))
            continue;
        const auto content = readSmallFile(m_procRoot + '/' + item->d_name + "/stat");
        if (!content)
            continue; // ended while we looked
        if (auto entry = parseProcStat(*content))
            snapshot.push_back(std::move(*entry));
    }
    ::closedir(dir);
    return snapshot;
}
