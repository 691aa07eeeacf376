#include "FakeDialogs.h"
#include "TypeText.h"
#include "app/Connection.h"
#include "app/Variable.h"
#include "db/TableLoginPass.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "support/SchemaDatabase.h"
#include "ui/unKeysCase.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

using testsupport::countRows;
using testsupport::execWrite;
using testsupport::readInt;
using testsupport::readRows;

namespace {

constexpr int kAdmin = 1; // the schema's first user
constexpr int kPetrov = 2;

// The main window as far as the manager sees it: its key-set list is reloaded by ID
// order and one entry is current, as the key-set selector keeps them.
class FakeMainWindow : public KeysCaseHost {
public:
    QWidget window;
    QList<int> handOvers; // every reloadAndSelectKeySet, in order
    QList<int> keySetIds; // MAS_LOGIN_PASS without the spare entry
    int comboIndex = -1;  // gperComboBoxItemIndex
    bool failReload = false;

    void reloadAndSelectKeySet(int keySetId) override {
        handOvers << keySetId;
        if (failReload)
            throw fb::Error(QStringLiteral("connection lost"));
        keySetIds.clear();
        auto rows = select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(gperID_USER_DB, false);
        for (; !rows->eof(); rows->next())
            keySetIds << rows->fieldByName(QStringLiteral("ID")).asInteger();
        comboIndex = keySetId > 0 ? static_cast<int>(keySetIds.indexOf(keySetId)) : -1;
    }
    void setMainWindowEnabled(bool enabled) override { window.setEnabled(enabled); }
    QWidget* mainWindow() override { return &window; }

    // Saving the object stores its key-set fields: a new key set when none is
    // current, else an update of the current one.
    void saveObjectKeySet() {
        if (comboIndex < 0)
            insert_data_for_table_LOGIN_PASS(Gen_ID_table_LOGIN_PASS(), QStringLiteral("typed"), QString(),
                                             QString(), 0);
        else
            update_for_table_LOGIN_PASS(QStringLiteral("kept"), QString(), QString(), 0,
                                        keySetIds[comboIndex]);
    }
};

class KeysCaseWindow : public testsupport::SchemaDatabase {
protected:
    void SetUp() override {
        SchemaDatabase::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        execWrite(QStringLiteral("insert into USER_DB (FIO, PASS) values ('Петров', 'x')"));
        gperID_USER_DB = kAdmin;
    }

    void TearDown() override {
        delete manager.data();
        other.reset();
        gperID_USER_DB = 0;
        SchemaDatabase::TearDown();
    }

    int addKeySet(const QString& name, const QString& login, const QString& password, int personal) {
        const int id = Gen_ID_table_LOGIN_PASS();
        insert_data_for_table_LOGIN_PASS(id, name, login, encode_string(password), personal);
        return id;
    }

    // A tree object with its SERVERS row; returns the SERVERS.ID.
    int addServer(const QString& caption, int defaultKeySet = 0) {
        const int node = ++nodes;
        execWrite(QStringLiteral("insert into TREETABLE (ID, ID_PARENT, TEXT) values (%1, 0, '%2')")
                      .arg(node)
                      .arg(caption));
        execWrite(QStringLiteral("insert into SERVERS (ID, ID_TREETABLE, DEFAUL_PASS) values (%1, %1, %2)")
                      .arg(node)
                      .arg(defaultKeySet ? QString::number(defaultKeySet) : QStringLiteral("NULL")));
        return node;
    }

    void link(int user, int server, int keySet, int dnsOrIp, int rdpOrSsh) {
        execWrite(
            QStringLiteral("insert into SERVERS_WITH_LOGIN_PASSS (ID_SERVERS, ID_LOGIN_PASS, ID_USER_DB, "
                           "DNS_OR_IP, RDP_OR_SSH) values (%1, %2, %3, %4, %5)")
                .arg(server)
                .arg(keySet)
                .arg(user)
                .arg(dnsOrIp)
                .arg(rdpOrSsh));
    }

    TfmKeysCase& open(int currentKeySetId = 0) {
        manager = TfmKeysCase::open(host, dialogs, currentKeySetId);
        return *manager;
    }

    template <typename T> T* control(const char* name) {
        T* found = manager->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QStringList items(const char* list) {
        QStringList texts;
        auto* widget = control<QListWidget>(list);
        for (int i = 0; i < widget->count(); ++i)
            texts << widget->item(i)->text();
        return texts;
    }

    QString text(const char* name) { return control<QLineEdit>(name)->text(); }

    void typeInto(const char* name, const QString& value) {
        auto* edit = control<QLineEdit>(name);
        edit->selectAll();
        typeText(edit, value);
        if (value.isEmpty())
            edit->clear();
    }

    void clickItem(const QString& itemText, bool twice = false) {
        auto* list = control<QListWidget>("listboxKeys");
        const auto found = list->findItems(itemText, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << itemText.toStdString();
        const QPoint at = list->visualItemRect(found.first()).center();
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    QString selectedName() {
        auto* list = control<QListWidget>("listboxKeys");
        const auto selected = list->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->text();
    }

    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    static void processDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QString storedPass(int id) {
        return readRows(QStringLiteral("select PASS from LOGIN_PASS where ID = %1").arg(id))
            ->field(0)
            .asString()
            .trimmed();
    }

    RunDatabase& otherCopy() {
        if (!other)
            other = testsupport::connectAnother(dbPath);
        return *other;
    }

    void inOtherCopy(const QString& sql, bool commit = true) {
        fb::Query query(otherCopy().IBDatabase1, otherCopy().IBTransaction2);
        query.setSql(sql);
        query.execSql();
        if (commit)
            otherCopy().IBTransaction2.commit();
    }

    FakeMainWindow host;
    FakeDialogs dialogs;
    QPointer<TfmKeysCase> manager;
    std::unique_ptr<RunDatabase> other;
    int nodes = 0;
};

// --- listing and selecting ------------------------------------------------------------

TEST_F(KeysCaseWindow, ListsSharedAndOwnKeySetsByNameNeverAnotherUsersPersonalOnes) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    addKeySet(QStringLiteral("Админ"), QStringLiteral("root"), QStringLiteral("2"), kAdmin);
    addKeySet(QStringLiteral("Бухгалтерия"), QStringLiteral("buh"), QStringLiteral("3"), kPetrov);

    open();
    EXPECT_EQ(items("listboxKeys"), (QStringList{"Админ", "Яндекс"}));
    EXPECT_EQ(manager->entries().size(), 3); // one spare entry
    EXPECT_EQ(manager->entries().last().id, 0);
    manager->close();
    processDeletes();

    gperID_USER_DB = kPetrov;
    open();
    EXPECT_EQ(items("listboxKeys"), (QStringList{"Бухгалтерия", "Яндекс"}));
}

TEST_F(KeysCaseWindow, OpensWithTheMainWindowsKeySetSelectedAndTheMainWindowDisabled) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("пароль"), 0);
    const int own = addKeySet(QStringLiteral("Админ"), QStringLiteral("root"), QStringLiteral("tOp"), kAdmin);
    host.window.show();

    open(own);
    EXPECT_EQ(manager->windowTitle(), QStringLiteral("Ключница"));
    EXPECT_EQ(manager->size(), QSize(416, 620));
    EXPECT_EQ(selectedName(), QStringLiteral("Админ"));
    EXPECT_EQ(text("editName"), QStringLiteral("Админ"));
    EXPECT_EQ(text("editLogin"), QStringLiteral("root"));
    EXPECT_EQ(text("editPassword"), QStringLiteral("tOp"));
    EXPECT_TRUE(control<QCheckBox>("CheckPersonal")->isChecked());

    // The main window takes no input; the manager, not its child, does.
    EXPECT_FALSE(host.window.isEnabled());
    EXPECT_EQ(manager->parentWidget(), nullptr);
    EXPECT_TRUE(manager->isEnabled());
    EXPECT_TRUE(control<QPushButton>("BitSave")->isEnabled());
    // Stacked above the main window, which may stay on top of everything.
    ASSERT_NE(manager->windowHandle(), nullptr);
    EXPECT_EQ(manager->windowHandle()->transientParent(), host.window.windowHandle());
}

TEST_F(KeysCaseWindow, OpeningWithoutACurrentKeySetSelectsNothing) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    open(0);
    EXPECT_EQ(selectedName(), QString());
    EXPECT_EQ(text("editName"), QString());
}

TEST_F(KeysCaseWindow, KeySetUsedOnTwoServersListsBothOnceForEachLink) {
    const int key = addKeySet(QStringLiteral("Общий"), QStringLiteral("adm"), QStringLiteral("1"), 0);
    const int first = addServer(QStringLiteral("Сервер бухгалтерии"));
    const int second = addServer(QStringLiteral("Контроллер домена"));
    link(kAdmin, first, key, 1, 1);
    link(kAdmin, second, key, 2, 2);
    link(kPetrov, second, key, 1, 2);

    open();
    clickItem(QStringLiteral("Общий"));
    QStringList servers = items("listServers");
    servers.sort();
    EXPECT_EQ(servers, (QStringList{"Контроллер домена", "Контроллер домена", "Сервер бухгалтерии"}));
}

TEST_F(KeysCaseWindow, PasswordIsMaskedWithStarsAndShownOnlyWhilePressed) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("секрет"), 0);
    open();
    clickItem(QStringLiteral("Яндекс"));
    auto* password = control<QLineEdit>("editPassword");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(password->styleSheet().contains(QStringLiteral("lineedit-password-character: 42")));
    auto* show = control<QPushButton>("BtnShowPass");
    QTest::mousePress(show, Qt::LeftButton);
    EXPECT_EQ(password->echoMode(), QLineEdit::Normal);
    QTest::mouseRelease(show, Qt::LeftButton);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password->text(), QStringLiteral("секрет"));
}

TEST_F(KeysCaseWindow, PictureButtonsSayWhatTheyDo) {
    open();
    const std::pair<const char*, const char*> buttons[] = {{"BitAdd", "Добавить"},
                                                           {"BitDelete", "Удалить"},
                                                           {"BitSave", "Сохранить"},
                                                           {"BtnShowPass", "Показать пароль"}};
    for (const auto& [name, what] : buttons) {
        auto* button = control<QPushButton>(name);
        EXPECT_TRUE(button->text().isEmpty()) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(what)) << name;
        EXPECT_EQ(button->accessibleName(), QString::fromUtf8(what)) << name;
    }
}

// --- add, save ---------------------------------------------------------------------------

TEST_F(KeysCaseWindow, AddCreatesASharedKeySetWithTheDefaultTextsAndSelectsIt) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    open();
    click("BitAdd");

    auto row = readRows(QStringLiteral("select * from LOGIN_PASS order by ID desc"));
    EXPECT_EQ(row->fieldByName(QStringLiteral("NAME")).asString().trimmed(), "Новое имя набора ключей");
    EXPECT_EQ(row->fieldByName(QStringLiteral("LOGIN")).asString().trimmed(), "Новый логин");
    EXPECT_EQ(row->fieldByName(QStringLiteral("PASS")).asString().trimmed(), encode_string("ЗаменитеЭто"));
    EXPECT_TRUE(row->fieldByName(QStringLiteral("PERSONAL")).isNull());

    EXPECT_EQ(selectedName(), QStringLiteral("Новое имя набора ключей"));
    EXPECT_EQ(text("editLogin"), QStringLiteral("Новый логин"));
    EXPECT_EQ(text("editPassword"), QStringLiteral("ЗаменитеЭто"));
    EXPECT_EQ(control<QLineEdit>("editPassword")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(control<QCheckBox>("CheckPersonal")->isChecked());
}

TEST_F(KeysCaseWindow, PersonalTickHidesTheKeySetFromOtherUsersAndUntickSharesItAgain) {
    const int id = addKeySet(QStringLiteral("Почта"), QStringLiteral("mail"), QStringLiteral("1"), 0);
    open();
    clickItem(QStringLiteral("Почта"));
    control<QCheckBox>("CheckPersonal")->setChecked(true);
    click("BitSave");
    EXPECT_EQ(readInt(QStringLiteral("select PERSONAL from LOGIN_PASS where ID = %1").arg(id)), kAdmin);
    EXPECT_EQ(selectedName(), QStringLiteral("Почта"));

    gperID_USER_DB = kPetrov;
    EXPECT_EQ(select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(kPetrov, true)->eof(), true);

    gperID_USER_DB = kAdmin;
    control<QCheckBox>("CheckPersonal")->setChecked(false);
    click("BitSave");
    EXPECT_TRUE(
        readRows(QStringLiteral("select PERSONAL from LOGIN_PASS where ID = %1").arg(id))->field(0).isNull());
    EXPECT_FALSE(select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(kPetrov, true)->eof());
}

TEST_F(KeysCaseWindow, RenamingMovesTheKeySetToItsSortedPlaceAndKeepsItSelected) {
    addKeySet(QStringLiteral("Бета"), QStringLiteral("b"), QStringLiteral("1"), 0);
    addKeySet(QStringLiteral("Гамма"), QStringLiteral("g"), QStringLiteral("1"), 0);
    const int id = addKeySet(QStringLiteral("Альфа"), QStringLiteral("a"), QStringLiteral("пароль 1"), 0);
    open();
    clickItem(QStringLiteral("Альфа"));
    typeInto("editName", QStringLiteral("Дельта"));
    typeInto("editLogin", QStringLiteral("  admin  "));
    click("BitSave");

    EXPECT_EQ(items("listboxKeys"), (QStringList{"Бета", "Гамма", "Дельта"}));
    EXPECT_EQ(selectedName(), QStringLiteral("Дельта"));
    EXPECT_EQ(text("editLogin"), QStringLiteral("  admin  ")); // left as typed
    EXPECT_EQ(storedPass(id), encode_string(QStringLiteral("пароль 1")));
    EXPECT_EQ(manager->entries()[2].login, QStringLiteral("admin"));
}

TEST_F(KeysCaseWindow, PasswordsTheDatabaseCouldNotGiveBackStoreNothing) {
    const int id = addKeySet(QStringLiteral("Почта"), QStringLiteral("mail"), QStringLiteral("old"), 0);
    open();
    clickItem(QStringLiteral("Почта"));
    for (const QString& bad :
         {QStringLiteral("&secret"), QStringLiteral("secret&"), QStringLiteral("пароль✓")}) {
        dialogs.infos.clear();
        typeInto("editPassword", bad);
        click("BitSave");
        ASSERT_EQ(dialogs.infos.size(), 1) << bad.toStdString();
        EXPECT_TRUE(dialogs.infos.first().contains(QStringLiteral("«Пароль»")));
        EXPECT_EQ(storedPass(id), encode_string(QStringLiteral("old")));
    }
    typeInto("editPassword", QStringLiteral("good"));
    for (const char* field : {"editName", "editLogin"}) {
        const QString before = text(field);
        dialogs.infos.clear();
        typeInto(field, QStringLiteral("Σ сервер"));
        click("BitSave");
        EXPECT_EQ(dialogs.infos.size(), 1) << field;
        typeInto(field, before);
    }
    EXPECT_EQ(storedPass(id), encode_string(QStringLiteral("old")));
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
}

TEST_F(KeysCaseWindow, SaveOfAKeySetAnotherCopyDeletedSaysSoAndStoresNothing) {
    const int id = addKeySet(QStringLiteral("Почта"), QStringLiteral("mail"), QStringLiteral("old"), 0);
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    open();
    clickItem(QStringLiteral("Почта"));
    inOtherCopy(QStringLiteral("delete from LOGIN_PASS where ID = %1").arg(id));

    typeInto("editLogin", QStringLiteral("new login"));
    click("BitSave");
    EXPECT_EQ(dialogs.infos, QStringList{kKeySetDeletedByOther});
    EXPECT_EQ(items("listboxKeys"), QStringList{"Яндекс"});
    EXPECT_EQ(selectedName(), QString());
    EXPECT_EQ(text("editLogin"), QStringLiteral("new login")); // nothing typed is lost
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
}

TEST_F(KeysCaseWindow, WithoutSelectionSaveAndDeleteDoNothing) {
    addKeySet(QStringLiteral("Почта"), QStringLiteral("mail"), QStringLiteral("old"), 0);
    open();
    typeInto("editName", QStringLiteral("x"));
    click("BitSave");
    click("BitDelete");
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_TRUE(dialogs.infos.isEmpty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(readRows(QStringLiteral("select NAME from LOGIN_PASS"))->field(0).asString().trimmed(),
              "Почта");
}

// --- delete ------------------------------------------------------------------------------

TEST_F(KeysCaseWindow, DeleteAsksWithTheServerCountAndNoChangesNothing) {
    const int key = addKeySet(QStringLiteral("Общий"), QStringLiteral("adm"), QStringLiteral("1"), 0);
    const int first = addServer(QStringLiteral("Файловый"), key);
    const int second = addServer(QStringLiteral("Почтовый"));
    link(kAdmin, second, key, 2, 1);
    link(kPetrov, first, key, 1, 2);
    open(key);

    dialogs.answers = {Dialogs::Answer::No};
    click("BitDelete");
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.first().startsWith(kDeleteQuestion));
    EXPECT_TRUE(dialogs.questions.first().contains(QStringLiteral(": 2")))
        << dialogs.questions.first().toStdString();
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), 1);
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from SERVERS_WITH_LOGIN_PASSS where ID_LOGIN_PASS = %1")
                          .arg(key)),
              2);
    EXPECT_EQ(selectedName(), QStringLiteral("Общий"));
}

TEST_F(KeysCaseWindow, DeleteKeepsEveryUsersAddressAndProtocolChoiceAndClearsTheDefault) {
    const int key = addKeySet(QStringLiteral("Общий"), QStringLiteral("adm"), QStringLiteral("1"), 0);
    const int kept = addKeySet(QStringLiteral("Другой"), QStringLiteral("x"), QStringLiteral("1"), 0);
    const int first = addServer(QStringLiteral("Файловый"), key);
    const int second = addServer(QStringLiteral("Почтовый"), kept);
    link(kAdmin, second, key, 2, 1);
    link(kPetrov, first, key, 1, 2);
    link(kPetrov, second, kept, 2, 2);
    open(key);

    dialogs.answers = {Dialogs::Answer::Yes};
    click("BitDelete");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(' ').toStdString();
    EXPECT_EQ(readInt(QStringLiteral("select count(*) from LOGIN_PASS where ID = %1").arg(key)), 0);
    EXPECT_EQ(countRows(QStringLiteral("SERVERS_WITH_LOGIN_PASSS")), 3);
    auto links =
        readRows(QStringLiteral("select ID_USER_DB, ID_SERVERS, ID_LOGIN_PASS, DNS_OR_IP, RDP_OR_SSH from "
                                "SERVERS_WITH_LOGIN_PASSS order by ID"));
    const int expected[3][5] = {
        {kAdmin, second, 0, 2, 1}, {kPetrov, first, 0, 1, 2}, {kPetrov, second, kept, 2, 2}};
    for (const auto& row : expected) {
        ASSERT_FALSE(links->eof());
        for (int column = 0; column < 5; ++column)
            EXPECT_EQ(links->field(column).asInteger(), row[column]) << column;
        links->next();
    }
    EXPECT_TRUE(readRows(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = %1").arg(first))
                    ->field(0)
                    .isNull());
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = %1").arg(second)), kept);

    EXPECT_EQ(items("listboxKeys"), QStringList{"Другой"});
    EXPECT_EQ(selectedName(), QString());
    EXPECT_EQ(text("editName"), QString());
    EXPECT_EQ(text("editPassword"), QString());
    EXPECT_TRUE(items("listServers").isEmpty());
}

TEST_F(KeysCaseWindow, DeleteWhileAnotherCopyHoldsAServerRowFailsWithTheLockAndChangesNothing) {
    const int key = addKeySet(QStringLiteral("Общий"), QStringLiteral("adm"), QStringLiteral("1"), 0);
    const int first = addServer(QStringLiteral("Файловый"), key);
    const int second = addServer(QStringLiteral("Почтовый"));
    link(kAdmin, second, key, 2, 1);
    open(key);
    inOtherCopy(QStringLiteral("update SERVERS set PORT = '22' where ID = %1").arg(first), false);

    dialogs.answers = {Dialogs::Answer::Yes};
    click("BitDelete");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.first().contains(QStringLiteral("conflict"), Qt::CaseInsensitive) ||
                dialogs.errors.first().contains(QStringLiteral("deadlock"), Qt::CaseInsensitive))
        << dialogs.errors.first().toStdString();
    otherCopy().IBTransaction2.rollback();

    EXPECT_EQ(readInt(QStringLiteral("select count(*) from LOGIN_PASS where ID = %1").arg(key)), 1);
    EXPECT_EQ(readInt(QStringLiteral("select ID_LOGIN_PASS from SERVERS_WITH_LOGIN_PASSS")), key);
    EXPECT_EQ(readInt(QStringLiteral("select DEFAUL_PASS from SERVERS where ID = %1").arg(first)), key);
    EXPECT_EQ(selectedName(), QStringLiteral("Общий"));
}

TEST_F(KeysCaseWindow, DeleteOfAKeySetAnotherCopyDeletedSaysSoAndClearsTheFields) {
    const int key = addKeySet(QStringLiteral("Общий"), QStringLiteral("adm"), QStringLiteral("1"), 0);
    open(key);
    inOtherCopy(QStringLiteral("delete from LOGIN_PASS where ID = %1").arg(key));
    dialogs.answers = {Dialogs::Answer::Yes};
    click("BitDelete");
    EXPECT_EQ(dialogs.infos, QStringList{kKeySetDeletedByOther});
    EXPECT_TRUE(items("listboxKeys").isEmpty());
    EXPECT_EQ(text("editName"), QString());
}

// --- closing and hand-over ------------------------------------------------------------------

TEST_F(KeysCaseWindow, CloseBoxReEnablesTheMainWindowAndKeepsItsKeySetCurrent) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    const int current =
        addKeySet(QStringLiteral("Админ"), QStringLiteral("root"), QStringLiteral("2"), kAdmin);
    open(current);
    EXPECT_EQ(fmKeysCase, manager.data());
    ASSERT_FALSE(host.window.isEnabled());
    manager->close();
    processDeletes();
    EXPECT_TRUE(manager.isNull());
    EXPECT_EQ(fmKeysCase, nullptr);
    EXPECT_TRUE(host.window.isEnabled());
    EXPECT_EQ(host.handOvers, QList<int>{current});
    EXPECT_EQ(host.comboIndex, 1);
}

TEST_F(KeysCaseWindow, DoubleClickHandsTheKeySetOverOnceSoSavingTheObjectAddsNoKeySet) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    const int chosen =
        addKeySet(QStringLiteral("Админ"), QStringLiteral("root"), QStringLiteral("2"), kAdmin);
    open(0);
    clickItem(QStringLiteral("Админ"));
    clickItem(QStringLiteral("Админ"), true);
    processDeletes();
    EXPECT_TRUE(manager.isNull());
    EXPECT_TRUE(host.window.isEnabled());
    EXPECT_EQ(host.handOvers, QList<int>{chosen});
    ASSERT_GE(host.comboIndex, 0);
    EXPECT_EQ(host.keySetIds[host.comboIndex], chosen);

    const int before = countRows(QStringLiteral("LOGIN_PASS"));
    host.saveObjectKeySet();
    EXPECT_EQ(countRows(QStringLiteral("LOGIN_PASS")), before);
}

TEST_F(KeysCaseWindow, MainWindowComesBackEvenWhenTheHandOverFails) {
    addKeySet(QStringLiteral("Яндекс"), QStringLiteral("ya"), QStringLiteral("1"), 0);
    open();
    host.failReload = true;
    manager->close();
    processDeletes();
    EXPECT_TRUE(host.window.isEnabled());
    EXPECT_EQ(dialogs.errors, QStringList{"connection lost"});
}

TEST_F(KeysCaseWindow, ListGrowsWithTheWindowAndTheFieldsKeepTheirHeight) {
    open();
    manager->show();
    auto* list = control<QListWidget>("listboxKeys");
    auto* name = control<QLineEdit>("editName");
    QCoreApplication::processEvents();
    const int listHeight = list->height();
    const int nameHeight = name->height();
    const int saveFromBottom = manager->height() - control<QPushButton>("BitSave")->geometry().bottom();
    manager->resize(416, 820);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->height(), listHeight + 200);
    EXPECT_EQ(name->height(), nameHeight);
    EXPECT_EQ(manager->height() - control<QPushButton>("BitSave")->geometry().bottom(), saveFromBottom);
}

} // namespace
