#pragma once

#include "launch/Launcher.h"
#include "support/FakePlatform.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

// A launcher on the fake platform that remembers everything it reported.
class LaunchFixture : public ::testing::Test {
protected:
    LaunchFixture() {
        QObject::connect(&launcher, &Launcher::trace, [this](const QString& line) { traces << line; });
        QObject::connect(&launcher, &Launcher::message, [this](const QString& text) { messages << text; });
        QObject::connect(&watchers, &SessionWatchers::nodeBoldChanged,
                         [this](int id, bool bold) { boldNodes[id] = bold; });
        QObject::connect(&watchers, &SessionWatchers::trace, [this](const QString& line) { traces << line; });
    }

    static LaunchRequest server(int id, int protocol) {
        LaunchRequest r;
        r.typeNode = 0;
        r.idTreeTable = id;
        r.domainName = QStringLiteral("srv.example.org");
        r.ipAddress = QStringLiteral("10.0.0.5");
        r.defaultDnsOrIp = 1;
        r.defaultRdpOrSsh = protocol;
        r.login = QStringLiteral("admin");
        r.password = QStringLiteral("s3cret");
        r.translation = QStringLiteral("UTF-8");
        return r;
    }

    bool anyTraceHolds(const QString& text) const {
        for (const QString& line : traces) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    FakeProcesses processes;
    FakeSpawner spawner{processes};
    FakeProgramLocator programs;
    FakeWindowRaiser windows;
    FakeClipboard clipboard;
    FakePuttyStore putty;
    SessionWatchers watchers{processes};
    Launcher launcher{{spawner, processes, programs, windows, clipboard, putty}, watchers};
    QStringList traces;
    QStringList messages;
    std::map<int, bool> boldNodes;
};
