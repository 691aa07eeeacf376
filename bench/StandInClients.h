#pragma once

#include <QFile>
#include <QString>
#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>
#include <vector>

// Stand-ins for xfreerdp, putty and xdg-open that take their standard input and then
// wait like a session; first in PATH for the run.
inline void installStandIns(const QString& folder) {
    for (const char* name : {"xfreerdp", "putty", "xdg-open"}) {
        QFile script(folder + QLatin1Char('/') + QLatin1String(name));
        script.open(QIODevice::WriteOnly);
        // Clients keep their name while they wait, so the search finds them; the
        // opener hands over and ends at once, as the real one does.
        script.write(qstrcmp(name, "xdg-open") == 0 ? "#!/bin/sh\nexit 0\n"
                                                    : "#!/bin/sh\ncat > /dev/null\nsleep 600\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    qputenv("PATH", QFile::encodeName(folder) + ':' + qgetenv("PATH"));
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS").
inline long statusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

inline void endSession(qint64 pid) {
    ::kill(-static_cast<pid_t>(pid), SIGKILL);
}
