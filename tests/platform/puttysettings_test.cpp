#include "platform/PuttySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

QProcessEnvironment environmentWith(std::initializer_list<std::pair<const char*, QString>> values) {
    QProcessEnvironment environment;
    for (const auto& [key, value] : values)
        environment.insert(QString::fromLatin1(key), value);
    return environment;
}

} // namespace

TEST(PuttySessionsFolder, FollowsPuttysOwnOrder) {
    QTemporaryDir home;
    const QString h = home.path();
    EXPECT_EQ(
        puttySessionsFolder(environmentWith({{"HOME", h}, {"PUTTYSESSIONS", "/s"}, {"PUTTYDIR", "/d"}})),
        QStringLiteral("/s"));
    EXPECT_EQ(puttySessionsFolder(environmentWith({{"HOME", h}, {"PUTTYDIR", "/d"}})),
              QStringLiteral("/d/sessions"));
    EXPECT_EQ(puttySessionsFolder(environmentWith({{"HOME", h}})), h + QStringLiteral("/.putty/sessions"));
    QDir(h).mkpath(QStringLiteral(".config/putty"));
    EXPECT_EQ(puttySessionsFolder(environmentWith({{"HOME", h}})),
              h + QStringLiteral("/.config/putty/sessions"));
    QDir(h).mkpath(QStringLiteral("xdg/putty"));
    EXPECT_EQ(puttySessionsFolder(environmentWith({{"HOME", h}, {"XDG_CONFIG_HOME", h + "/xdg"}})),
              h + QStringLiteral("/xdg/putty/sessions"));
}

TEST(WithPuttySetting, ChangesOnlyTheFirstValue) {
    const QByteArray rich = "HostName=\r\n"
                            "LineCodePage=KOI8-R\r\n"
                            "Unknown line without equals\r\n"
                            "LineCodePageX=keep\r\n"
                            "LineCodePage=second\r\n"
                            "UTF8Override=1\r\n"
                            "TermType=xterm";
    const QByteArray once = withPuttySetting(rich, "LineCodePage", "UTF-8");
    const QByteArray twice = withPuttySetting(once, "UTF8Override", "0");
    EXPECT_EQ(twice, QByteArray("HostName=\r\n"
                                "LineCodePage=UTF-8\r\n"
                                "Unknown line without equals\r\n"
                                "LineCodePageX=keep\r\n"
                                "LineCodePage=second\r\n"
                                "UTF8Override=0\r\n"
                                "TermType=xterm"));
    EXPECT_EQ(withPuttySetting("A=1\nB=2", "LineCodePage", "CP1251"),
              QByteArray("A=1\nB=2\nLineCodePage=CP1251\n"));
    EXPECT_EQ(withPuttySetting("A=1\r\n", "X", "y"), QByteArray("A=1\r\nX=y\r\n"));
    EXPECT_EQ(withPuttySetting({}, "X", "y"), QByteArray("X=y\n"));
    EXPECT_EQ(withPuttySetting("LineCodePage=", "LineCodePage", "UTF-8"), QByteArray("LineCodePage=UTF-8"));
}

class PuttyFileStoreTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QProcessEnvironment environment = environmentWith({{"HOME", home.path()}});
    PuttyFileStore store{environment};
    QString file = home.path() + QStringLiteral("/.putty/sessions/Default%20Settings");
};

TEST_F(PuttyFileStoreTest, CreatesPrivateFoldersAndFile) {
    ASSERT_EQ(store.defaultSettingsPath(), file);
    EXPECT_TRUE(store.setDefaultCodePage(QStringLiteral("CP1251")).isEmpty());
    EXPECT_EQ(readAll(file), QByteArray("LineCodePage=CP1251\nUTF8Override=0\n"));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(modeOf(home.path() + QStringLiteral("/.putty")), 0700u);
    EXPECT_EQ(modeOf(home.path() + QStringLiteral("/.putty/sessions")), 0700u);
}

TEST_F(PuttyFileStoreTest, KeepsEveryOtherByteAndTheFileMode) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    const QByteArray rich = "Present=1\r\nLineCodePage=KOI8-R\r\nLineCodePage=dup\r\nГлупость без равно\r\n";
    writeAll(file, rich);
    ::chmod(QFile::encodeName(file).constData(), 0640);
    EXPECT_TRUE(store.setDefaultCodePage(QStringLiteral("UTF-8")).isEmpty());
    EXPECT_EQ(
        readAll(file),
        QByteArray(
            "Present=1\r\nLineCodePage=UTF-8\r\nLineCodePage=dup\r\nГлупость без равно\r\nUTF8Override=0\r\n"));
    EXPECT_EQ(modeOf(file), 0640u);
}

TEST_F(PuttyFileStoreTest, UnwritableFolderIsReported) {
    QDir().mkpath(home.path() + QStringLiteral("/.putty"));
    writeAll(home.path() + QStringLiteral("/.putty/sessions"), "a file where the folder should be");
    EXPECT_FALSE(store.setDefaultCodePage(QStringLiteral("UTF-8")).isEmpty());
}

TEST_F(PuttyFileStoreTest, ConcurrentWritersLeaveOneWholeFile) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QByteArray big = "Filler=";
    big += QByteArray(20000, 'x') + "\n";
    writeAll(file, big);
    auto writer = [this](const QString& codePage) {
        // Like another running copy: nothing shared with this one.
        PuttyFileStore own(environmentWith({{"HOME", QString(home.path().data(), home.path().size())}}));
        for (int i = 0; i < 100; ++i)
            EXPECT_TRUE(own.setDefaultCodePage(codePage).isEmpty());
    };
    std::thread a(writer, QStringLiteral("KOI8-R"));
    std::thread b(writer, QStringLiteral("CP1251"));
    int torn = 0;
    for (int i = 0; i < 200; ++i) {
        const QByteArray now = readAll(file);
        if (now != big && !(now.startsWith(big) && now.endsWith("UTF8Override=0\n")))
            ++torn;
    }
    a.join();
    b.join();
    EXPECT_EQ(torn, 0);
    const QByteArray last = readAll(file);
    EXPECT_TRUE(last == big + "LineCodePage=KOI8-R\nUTF8Override=0\n" ||
                last == big + "LineCodePage=CP1251\nUTF8Override=0\n");
}
