#include "LaunchFixture.h"

namespace {

QStringList args(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* s : list)
        result << QString::fromUtf8(s);
    return result;
}

struct HostileCase {
    const char* what;
    QString login;
    QString password;
    QString target;
    bool refused;
};

// Values that a shell would have taken apart; now each is one argument or refused.
std::vector<HostileCase> hostileCases() {
    const QString rmHome = QStringLiteral("$(rm -rf ~)");
    return {
        {"spaces in login and password", QStringLiteral("Иван Петров"), QStringLiteral("pa ss word"),
         QStringLiteral("srv.example.org"), false},
        {"quotes", QStringLiteral("o'neil\"x"), QStringLiteral("it's \"q\""),
         QStringLiteral("srv.example.org"), false},
        {"semicolon and command substitution", QStringLiteral("a;reboot"), rmHome,
         QStringLiteral("srv.example.org"), false},
        {"backticks", QStringLiteral("`id`"), QStringLiteral("`touch /tmp/x`"),
         QStringLiteral("srv.example.org"), false},
        {"Cyrillic target", QStringLiteral("админ"), QStringLiteral("пароль"),
         QStringLiteral("сервер.пример.рф"), false},
        {"login with leading dash", QStringLiteral("-proxycmd"), QStringLiteral("-pw secret"),
         QStringLiteral("srv"), false},
        {"target with leading dash", QStringLiteral("admin"), QStringLiteral("x"),
         QStringLiteral("-proxycmd=id"), true},
        {"target with space", QStringLiteral("admin"), QStringLiteral("x"), QStringLiteral("srv -pw x"),
         true},
        {"target with semicolon command", QStringLiteral("admin"), QStringLiteral("Zq9#pw"),
         QStringLiteral("srv;$(id)`id`"), false},
        {"target with line break", QStringLiteral("admin"), QStringLiteral("x"), QStringLiteral("srv\nevil"),
         true},
        {"login with line break", QStringLiteral("ad\nmin"), QStringLiteral("x"), QStringLiteral("srv"),
         true},
        {"password with line break", QStringLiteral("admin"), QStringLiteral("line1\nline2"),
         QStringLiteral("srv"), true},
        {"empty target", QStringLiteral("admin"), QStringLiteral("x"), QString(), true},
    };
}

} // namespace

class LauncherTest : public LaunchFixture {};

TEST_F(LauncherTest, RdpStartsXfreerdpWithPasswordOnStdinOnly) {
    LaunchRequest r = server(7, 1);
    r.port = QStringLiteral("3390");
    launcher.BitBtn1Click(r);

    ASSERT_EQ(spawner.requests.size(), 1u);
    const SpawnRequest& started = spawner.requests[0];
    EXPECT_EQ(started.program, QStringLiteral("/usr/bin/xfreerdp"));
    EXPECT_EQ(started.arguments,
              args({"/v:srv.example.org", "/port:3390", "/u:admin", "/from-stdin:force", "/cert:tofu"}));
    EXPECT_EQ(started.stdinData, QByteArray("s3cret\n"));
    EXPECT_TRUE(boldNodes[7]);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(anyTraceHolds(QStringLiteral("/usr/bin/xfreerdp /v:srv.example.org")));
}

TEST_F(LauncherTest, SshStartsPuttyWithPwfileAfterSettingTheCodePage) {
    LaunchRequest r = server(8, 2);
    r.port = QStringLiteral("2222");
    r.translation = QStringLiteral("KOI8-R");
    launcher.BitBtn1Click(r);

    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(spawner.requests[0].program, QStringLiteral("/usr/bin/putty"));
    EXPECT_TRUE(programs.lastBesideUsFirst);
    EXPECT_EQ(spawner.requests[0].arguments,
              args({"-ssh", "-l", "admin", "-P", "2222", "-pwfile", "/dev/stdin", "srv.example.org"}));
    EXPECT_EQ(spawner.requests[0].stdinData, QByteArray("s3cret\n"));
    EXPECT_EQ(putty.codePages, QStringList{QStringLiteral("KOI8-R")});
    EXPECT_TRUE(boldNodes[8]);
}

TEST_F(LauncherTest, WithoutPasswordNothingIsReadFromStdin) {
    LaunchRequest r = server(9, 2);
    r.password.clear();
    r.login.clear();
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(spawner.requests[0].arguments, args({"-ssh", "srv.example.org"}));
    EXPECT_FALSE(spawner.requests[0].stdinData);

    r = server(10, 1);
    r.password.clear();
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 2u);
    EXPECT_EQ(spawner.requests[1].arguments, args({"/v:srv.example.org", "/u:admin", "/cert:tofu"}));
    EXPECT_FALSE(spawner.requests[1].stdinData);
}

TEST_F(LauncherTest, HostileValuesArePassedAsOneArgumentOrRefused) {
    int id = 100;
    for (const HostileCase& c : hostileCases()) {
        for (int protocol : {1, 2}) {
            SCOPED_TRACE(std::string(c.what) + (protocol == 1 ? " / RDP" : " / SSH"));
            spawner.requests.clear();
            messages.clear();
            traces.clear();
            LaunchRequest r = server(++id, protocol);
            r.login = c.login;
            r.password = c.password;
            r.domainName = c.target;
            launcher.BitBtn1Click(r);

            if (c.refused) {
                EXPECT_TRUE(spawner.requests.empty());
                ASSERT_EQ(messages.size(), 1);
                EXPECT_TRUE(messages[0].endsWith(QStringLiteral("Подключение не запущено.")));
                EXPECT_FALSE(boldNodes.contains(id));
                continue;
            }
            ASSERT_EQ(spawner.requests.size(), 1u);
            const QStringList& a = spawner.requests[0].arguments;
            if (protocol == 1) {
                EXPECT_TRUE(a.contains(QStringLiteral("/v:") + c.target));
                EXPECT_TRUE(a.contains(QStringLiteral("/u:") + c.login));
            } else {
                EXPECT_EQ(a.last(), c.target);
                EXPECT_EQ(a[a.indexOf(QStringLiteral("-l")) + 1], c.login);
            }
            EXPECT_EQ(spawner.requests[0].stdinData, c.password.toUtf8() + '\n');
            for (const QString& argument : a)
                EXPECT_FALSE(argument.contains(c.password)) << argument.toStdString();
            for (const QString& line : traces)
                EXPECT_FALSE(line.contains(c.password)) << line.toStdString();
        }
    }
}

TEST_F(LauncherTest, PortIsUsedOnlyWhenValidAndRdpPortOnlyForRdpObjects) {
    LaunchRequest r = server(20, 1);
    r.port = QStringLiteral("99999");
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_FALSE(spawner.requests[0].arguments.join(' ').contains(QStringLiteral("/port:")));
    EXPECT_TRUE(anyTraceHolds(QStringLiteral("Порт «99999» не в пределах 1–65535")));

    // The port field of an SSH object holds its SSH port; the user's RDP gets none.
    r = server(21, 2);
    r.port = QStringLiteral("22");
    r.userRdpOrSsh = 1;
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 2u);
    EXPECT_EQ(spawner.requests[1].arguments[0], QStringLiteral("/v:srv.example.org"));
    EXPECT_FALSE(spawner.requests[1].arguments.join(' ').contains(QStringLiteral("/port:")));

    r = server(22, 2);
    r.port = QStringLiteral("22; reboot");
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 3u);
    EXPECT_FALSE(spawner.requests[2].arguments.contains(QStringLiteral("-P")));
}

TEST_F(LauncherTest, OneEffectiveProtocolAndTarget) {
    struct Case {
        int defaultProtocol, userProtocol, defaultTarget, userTarget;
        const char* program;
        const char* firstArgument;
    };
    const Case cases[] = {
        {1, 2, 1, 0, "/usr/bin/putty", "-ssh"},                  // user's SSH over default RDP
        {3, 1, 1, 0, "/usr/bin/xfreerdp", "/v:srv.example.org"}, // own RDP with default browser: RDP only
        {1, 3, 1, 0, "/usr/bin/xdg-open", "http://srv.example.org"},
        {2, 0, 1, 2, "/usr/bin/putty", "-ssh"},
        {1, 0, 2, 1, "/usr/bin/xfreerdp", "/v:srv.example.org"},
        {1, 0, 1, 2, "/usr/bin/xfreerdp", "/v:10.0.0.5"},
        {1, 0, 2, 0, "/usr/bin/xfreerdp", "/v:10.0.0.5"},
    };
    int id = 30;
    for (const Case& c : cases) {
        SCOPED_TRACE(id);
        spawner.requests.clear();
        LaunchRequest r = server(++id, c.defaultProtocol);
        r.userRdpOrSsh = c.userProtocol;
        r.defaultDnsOrIp = c.defaultTarget;
        r.userDnsOrIp = c.userTarget;
        launcher.BitBtn1Click(r);
        ASSERT_EQ(spawner.requests.size(), 1u);
        EXPECT_EQ(spawner.requests[0].program, QString::fromUtf8(c.program));
        EXPECT_EQ(spawner.requests[0].arguments[0], QString::fromUtf8(c.firstArgument));
    }
}

TEST_F(LauncherTest, NoProtocolOrNoTargetGivesAMessageAndNoBold) {
    LaunchRequest r = server(40, 0);
    launcher.BitBtn1Click(r);
    EXPECT_TRUE(spawner.requests.empty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Не выбран способ подключения")));

    r = server(41, 1);
    r.defaultDnsOrIp = 0;
    launcher.BitBtn1Click(r);
    EXPECT_TRUE(spawner.requests.empty());
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Не указан адрес подключения")));
    EXPECT_TRUE(boldNodes.empty());
}

TEST_F(LauncherTest, FolderDoesNothingAtAll) {
    launcher.settings.copyPassToBufer = true;
    LaunchRequest r = server(50, 1);
    r.typeNode = 1;
    launcher.BitBtn1Click(r);
    EXPECT_TRUE(spawner.requests.empty());
    EXPECT_EQ(clipboard.sets, 0);
    EXPECT_TRUE(boldNodes.empty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(traces.isEmpty());
}

TEST_F(LauncherTest, RunningSessionIsRaisedAndNothingStarted) {
    launcher.settings.copyPassToBufer = true;
    launcher.BitBtn1Click(server(60, 2));
    ASSERT_EQ(spawner.requests.size(), 1u);
    const qint64 pid = watchers.MAS_PID_PROCESS.find(60)->process.pid;

    clipboard.sets = 0;
    launcher.BitBtn1Click(server(60, 2));
    EXPECT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(windows.raisedPids, std::vector<qint64>{pid});
    EXPECT_EQ(clipboard.text, QStringLiteral("s3cret")); // even for a running session
    EXPECT_EQ(clipboard.sets, 1);

    // Where foreign windows cannot be reached, the user is told instead.
    windows.windowsPerProcess = 0;
    traces.clear();
    launcher.BitBtn1Click(server(60, 2));
    EXPECT_EQ(spawner.requests.size(), 1u);
    EXPECT_TRUE(traces.contains(QStringLiteral("Сеанс уже открыт")));

    // Once it has ended, the next launch starts a new one.
    processes.end(pid);
    launcher.BitBtn1Click(server(60, 2));
    EXPECT_EQ(spawner.requests.size(), 2u);
}

TEST_F(LauncherTest, ReusedPidIsNotTheRecordedSession) {
    launcher.BitBtn1Click(server(61, 1));
    const ProcessIdentity first = watchers.MAS_PID_PROCESS.find(61)->process;
    processes.reuse(first.pid, "xfreerdp"); // another process now has that number

    launcher.BitBtn1Click(server(61, 1));
    EXPECT_EQ(spawner.requests.size(), 2u);
    EXPECT_TRUE(windows.raisedPids.empty());
    EXPECT_FALSE(AnotherProcessExists(processes, first));
    EXPECT_FALSE(AnotherProcessExists(processes, {0, 0}));
}

TEST_F(LauncherTest, WebOpensOnlyHttpAddressesAndIsNotBold) {
    struct Case {
        const char* target;
        const char* opened; // nullptr: refused
    };
    const Case cases[] = {
        {"example.org/path?q=1", "http://example.org/path?q=1"},
        {"https://пример.рф/", "https://пример.рф/"},
        {"HTTP://example.org", "HTTP://example.org"},
        {"file:///etc/passwd", nullptr},
        {"javascript:alert(1)", nullptr},
        {"/usr/bin/xterm", nullptr},
        {"ftp://example.org", nullptr},
        {"http://exa mple.org", nullptr},
        {"-example.org", nullptr},
    };
    int id = 70;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        spawner.requests.clear();
        messages.clear();
        LaunchRequest r = server(++id, 3);
        r.domainName = QString::fromUtf8(c.target);
        launcher.BitBtn1Click(r);
        if (!c.opened) {
            EXPECT_TRUE(spawner.requests.empty());
            EXPECT_EQ(messages.size(), 1);
            continue;
        }
        ASSERT_EQ(spawner.requests.size(), 1u);
        EXPECT_EQ(spawner.requests[0].program, QStringLiteral("/usr/bin/xdg-open"));
        EXPECT_EQ(spawner.requests[0].arguments, QStringList{QString::fromUtf8(c.opened)});
        EXPECT_FALSE(spawner.requests[0].stdinData);
    }
    EXPECT_TRUE(boldNodes.empty());
    EXPECT_EQ(watchers.MAS_PID_PROCESS.size(), 0);
}

TEST_F(LauncherTest, ConfiguredBrowserGetsTheAddressAsOneArgument) {
    launcher.settings.browserByDefaultBool = true;
    launcher.settings.browserByDefaultPath = QStringLiteral("/opt/browser/run me");
    LaunchRequest r = server(80, 3);
    r.domainName = QStringLiteral("https://example.org/a;b");
    launcher.BitBtn1Click(r);
    ASSERT_EQ(spawner.requests.size(), 1u);
    EXPECT_EQ(spawner.requests[0].program, QStringLiteral("/opt/browser/run me"));
    EXPECT_EQ(spawner.requests[0].arguments, QStringList{QStringLiteral("https://example.org/a;b")});

    programs.missing.insert(QStringLiteral("/opt/browser/run me"));
    launcher.BitBtn1Click(r);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              QStringLiteral("Не найден браузер «/opt/browser/run me». Проверьте путь в настройках."));
}

TEST_F(LauncherTest, MissingProgramsNameTheirPackage) {
    programs.missing = {QStringLiteral("xfreerdp"), QStringLiteral("putty"), QStringLiteral("xdg-open")};
    launcher.BitBtn1Click(server(90, 1));
    launcher.BitBtn1Click(server(91, 2));
    launcher.BitBtn1Click(server(92, 3));
    EXPECT_EQ(messages, (QStringList{
                            QStringLiteral("Не найдена программа xfreerdp. Установите пакет freerdp2-x11."),
                            QStringLiteral("Не найдена программа putty. Установите пакет putty."),
                            QStringLiteral("Не найдена программа xdg-open. Установите пакет xdg-utils."),
                        }));
    EXPECT_TRUE(spawner.requests.empty());
    EXPECT_TRUE(putty.codePages.isEmpty());
    EXPECT_TRUE(boldNodes.empty());
    EXPECT_EQ(watchers.MAS_PID_PROCESS.size(), 0);
}

TEST_F(LauncherTest, FailedStartOrCodePageGivesAMessageAndNoBold) {
    spawner.failure = QStringLiteral("posix_spawn: Permission denied");
    launcher.BitBtn1Click(server(95, 1));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0],
              QStringLiteral("Не удалось запустить /usr/bin/xfreerdp: posix_spawn: Permission denied"));
    spawner.failure.clear();

    LaunchRequest r = server(96, 2);
    r.translation = QStringLiteral("UTF-8\nProxyTelnetCommand=id");
    launcher.BitBtn1Click(r);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Кодировка")));
    EXPECT_TRUE(putty.codePages.isEmpty());

    putty.failure = QStringLiteral("Permission denied");
    launcher.BitBtn1Click(server(97, 2));
    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("Не удалось записать кодировку")));
    EXPECT_EQ(spawner.requests.size(), 1u); // only the failed xfreerdp attempt
    EXPECT_TRUE(boldNodes.empty());
}

TEST(CodePage, OnePrintableLineOfAtMostFiftyCharacters) {
    EXPECT_TRUE(codePageRefusal(QStringLiteral("UTF-8")).isEmpty());
    EXPECT_TRUE(codePageRefusal(QStringLiteral("ISO-8859-5 (Cyrillic)")).isEmpty());
    EXPECT_TRUE(codePageRefusal(QString(50, QLatin1Char('x'))).isEmpty());
    EXPECT_FALSE(codePageRefusal(QString(51, QLatin1Char('x'))).isEmpty());
    EXPECT_FALSE(codePageRefusal(QStringLiteral("UTF-8\r")).isEmpty());
    EXPECT_FALSE(codePageRefusal(QStringLiteral("a\tb")).isEmpty());
    FakePuttyStore store;
    EXPECT_TRUE(Reg_Edit_for_Putty_Translation(store, QString()).isEmpty());
    EXPECT_TRUE(store.codePages.isEmpty()); // nothing to set: the user's own default stays
}
