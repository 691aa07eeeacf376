#include "ui/unKeysCase.h"

#include "app/Variable.h"
#include "db/KeySetChanges.h"
#include "db/TableLoginPass.h"
#include "db/TableServersWithLoginPass.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "ui/ButtonPictures.h"
#include "ui/Dialogs.h"
#include "ui/Placement.h"
#include "ui/TextRules.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <exception>

TfmKeysCase* fmKeysCase = nullptr;

namespace {

// Column widths of LOGIN_PASS: NAME CHAR(150), LOGIN and PASS CHAR(50).
constexpr int kNameLength = 150;
constexpr int kLoginLength = 50;
constexpr int kPasswordLength = 50;

const QString kNewKeySetName = QStringLiteral("Новое имя набора ключей");
const QString kNewKeySetLogin = QStringLiteral("Новый логин");
const QString kNewKeySetPassword = QStringLiteral("ЗаменитеЭто");

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* pictureButton(QWidget* parent, const char* name, const QIcon& icon, const QString& what,
                           int size) {
    auto* button = named(new QPushButton(parent), name);
    button->setIcon(icon);
    button->setIconSize(QSize(size, size));
    button->setToolTip(what);
    button->setAccessibleName(what);
    return button;
}

QGroupBox* groupAround(const QString& caption, QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* group = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(6, 2, 6, 4);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return group;
}

QString deleteQuestion(int serversUsing) {
    if (serversUsing == 0)
        return kDeleteQuestion;
    return kDeleteQuestion +
           QStringLiteral("\nСерверов, использующих этот набор ключей: %1").arg(serversUsing);
}

} // namespace

TfmKeysCase::TfmKeysCase(KeysCaseHost& host, Dialogs& dialogs)
    : QWidget(nullptr, Qt::Window), m_host(host), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("fmKeysCase"));
    setAttribute(Qt::WA_DeleteOnClose);
    fmKeysCase = this;
    buildWindow();
    FormCreate();
}

TfmKeysCase::~TfmKeysCase() {
    if (fmKeysCase == this)
        fmKeysCase = nullptr;
    // Destroyed without a close (the program ends): the main window must not stay dead.
    if (!m_closed)
        m_host.setMainWindowEnabled(true);
}

TfmKeysCase* TfmKeysCase::open(KeysCaseHost& host, Dialogs& dialogs, int currentKeySetId) {
    auto* window = new TfmKeysCase(host, dialogs);
    window->m_openedWithId = currentKeySetId;
    keepAbove(window, host.mainWindow());
    window->show();
    host.setMainWindowEnabled(false);
    window->guarded([window, currentKeySetId] { window->addItemsToListbox(currentKeySetId); });
    window->listboxKeysClick();
    return window;
}

template <typename Step> bool TfmKeysCase::guarded(Step&& step) {
    try {
        step();
        return true;
    } catch (const fb::Error& error) {
        m_dialogs.showError(this, error.text());
    } catch (const std::exception& error) {
        m_dialogs.showError(this, QString::fromUtf8(error.what()));
    }
    return false;
}

// --- window -----------------------------------------------------------------------

void TfmKeysCase::buildWindow() {
    setWindowTitle(QStringLiteral("Ключница"));
    resize(416, 620);

    BitAdd = pictureButton(this, "BitAdd", pictureAdd(), QStringLiteral("Добавить"), 32);
    BitDelete = pictureButton(this, "BitDelete", pictureDelete(), QStringLiteral("Удалить"), 32);
    BitSave = pictureButton(this, "BitSave", pictureSave(), QStringLiteral("Сохранить"), 32);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitAdd);
    buttons->addWidget(BitDelete);
    buttons->addStretch(1);
    buttons->addWidget(BitSave);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildKeySetGroup(), 1); // the list takes what a resize gives
    layout->addWidget(buildFields());
    layout->addLayout(buttons);

    connectHandlers();
    centreOnScreen();
}

QGroupBox* TfmKeysCase::buildKeySetGroup() {
    listboxKeys = named(new QListWidget(this), "listboxKeys");
    listboxKeys->setAccessibleName(QStringLiteral("Набор ключей"));
    return groupAround(QStringLiteral("Набор ключей"), this, {listboxKeys});
}

QWidget* TfmKeysCase::buildFields() {
    auto* fields = new QWidget(this);
    listServers = named(new QListWidget(fields), "listServers");
    listServers->setSelectionMode(QAbstractItemView::NoSelection);
    listServers->setFocusPolicy(Qt::NoFocus);
    listServers->setFixedHeight(90);
    listServers->setAccessibleName(QStringLiteral("Сервера где используется данный ключ"));

    editName = named(new QLineEdit(fields), "editName");
    editName->setMaxLength(kNameLength);
    editName->setAccessibleName(QStringLiteral("Название"));
    editLogin = named(new QLineEdit(fields), "editLogin");
    editLogin->setMaxLength(kLoginLength);
    editLogin->setAccessibleName(QStringLiteral("Логин"));
    editPassword = named(new QLineEdit(fields), "editPassword");
    editPassword->setMaxLength(kPasswordLength);
    editPassword->setEchoMode(QLineEdit::Password);
    editPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    editPassword->setAccessibleName(QStringLiteral("Пароль"));
    BtnShowPass =
        pictureButton(fields, "BtnShowPass", pictureShowPassword(), QStringLiteral("Показать пароль"), 16);
    BtnShowPass->setFocusPolicy(Qt::NoFocus);
    CheckPersonal = named(new QCheckBox(QStringLiteral("Личный"), fields), "CheckPersonal");

    auto* layout = new QVBoxLayout(fields);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        groupAround(QStringLiteral("Сервера где используется данный ключ"), fields, {listServers}));
    layout->addWidget(groupAround(QStringLiteral("Название"), fields, {editName}));
    layout->addWidget(groupAround(QStringLiteral("Логин"), fields, {editLogin}));
    layout->addWidget(groupAround(QStringLiteral("Пароль"), fields, {editPassword, BtnShowPass}));
    layout->addWidget(CheckPersonal);
    return fields;
}

void TfmKeysCase::connectHandlers() {
    connect(listboxKeys, &QListWidget::currentRowChanged, this, [this] { listboxKeysClick(); });
    connect(listboxKeys, &QListWidget::itemClicked, this, [this] { listboxKeysClick(); });
    connect(listboxKeys, &QListWidget::itemDoubleClicked, this, [this] { listboxKeysDblClick(); });
    connect(BitAdd, &QPushButton::clicked, this, [this] { BitAddClick(); });
    connect(BitSave, &QPushButton::clicked, this, [this] { BitSaveClick(); });
    connect(BitDelete, &QPushButton::clicked, this, [this] { BitDeleteClick(); });
    connect(BtnShowPass, &QPushButton::pressed, this, [this] { BtnShowPassMouseDown(); });
    connect(BtnShowPass, &QPushButton::released, this, [this] { BtnShowPassMouseUp(); });
}

void TfmKeysCase::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TfmKeysCase::FormCreate() {
    masLOGINPASS = {masLOGIN_PASS{}};
}

// --- list -------------------------------------------------------------------------

int TfmKeysCase::addItemsToListbox(int perID) {
    QVector<masLOGIN_PASS> loaded;
    {
        const auto rows = select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(gperID_USER_DB, true);
        for (; !rows->eof(); rows->next()) {
            loaded.append({rows->fieldByName(QStringLiteral("ID")).asInteger(),
                           rows->fieldByName(QStringLiteral("NAME")).asString().trimmed(),
                           rows->fieldByName(QStringLiteral("LOGIN")).asString().trimmed(),
                           rows->fieldByName(QStringLiteral("PASS")).asString().trimmed(),
                           rows->fieldByName(QStringLiteral("PERSONAL")).asInteger()});
        }
    }
    loaded.append(masLOGIN_PASS{}); // the spare entry that no item stands for

    // Filling the list is not a user's choice: the fields keep what they show.
    const QSignalBlocker blocker(listboxKeys);
    masLOGINPASS = loaded;
    QStringList names;
    int largest = 0;
    int largestIndex = 0;
    int selected = -1;
    for (int i = 0; i + 1 < masLOGINPASS.size(); ++i) {
        const masLOGIN_PASS& entry = masLOGINPASS[i];
        names.append(entry.name);
        if (entry.id > largest) {
            largest = entry.id;
            largestIndex = i;
        }
        if (perID >= 0 && entry.id == perID)
            selected = i;
    }
    listboxKeys->clear();
    listboxKeys->addItems(names);
    if (selected >= 0)
        listboxKeys->setCurrentRow(selected);
    return largestIndex;
}

int TfmKeysCase::selectedIndex() const {
    const int row = listboxKeys->currentRow();
    return listboxKeys->currentItem() && listboxKeys->currentItem()->isSelected() ? row : -1;
}

bool TfmKeysCase::isEntryIndex(int index) const {
    return index >= 0 && index + 1 < masLOGINPASS.size();
}

void TfmKeysCase::listboxKeysClick() {
    const int k = selectedIndex();
    if (!isEntryIndex(k))
        return;
    const masLOGIN_PASS& entry = masLOGINPASS[k];
    editName->setText(entry.name);
    editLogin->setText(entry.login);
    editPassword->setText(decode_string(entry.pass));
    CheckPersonal->setChecked(entry.personal == gperID_USER_DB);
    guarded([this, &entry] { fillServers(entry.id); });
}

void TfmKeysCase::fillServers(int keySetId) {
    listServers->clear();
    const auto rows = SelectAllServerByOnIDpassword(keySetId);
    for (; !rows->eof(); rows->next())
        listServers->addItem(rows->fieldByName(QStringLiteral("TEXT")).asString().trimmed());
}

void TfmKeysCase::clearFields() {
    editName->clear();
    editLogin->clear();
    editPassword->clear();
    CheckPersonal->setChecked(false);
    listServers->clear();
}

// The fields keep what the user typed, so that nothing typed is lost.
void TfmKeysCase::reloadAfterStaleRow() {
    m_dialogs.showInfo(this, kKeySetDeletedByOther);
    listServers->clear();
    guarded([this] { addItemsToListbox(-1); });
}

// --- buttons ----------------------------------------------------------------------

void TfmKeysCase::BitAddClick() {
    const bool added = guarded([this] {
        const int id = Gen_ID_table_LOGIN_PASS();
        insert_data_for_table_LOGIN_PASS(id, kNewKeySetName, kNewKeySetLogin,
                                         encode_string(kNewKeySetPassword), 0);
        const int newest = addItemsToListbox(-1);
        const QSignalBlocker blocker(listboxKeys);
        listboxKeys->setCurrentRow(newest);
    });
    if (added)
        listboxKeysClick();
}

QString TfmKeysCase::refusalOfFields() const {
    QString problem = cp1251Problem(QStringLiteral("Название"), editName->text());
    if (problem.isEmpty())
        problem = cp1251Problem(QStringLiteral("Логин"), editLogin->text());
    if (problem.isEmpty())
        problem = passwordProblem(QStringLiteral("Пароль"), editPassword->text());
    return problem;
}

void TfmKeysCase::BitSaveClick() {
    const int k = selectedIndex();
    if (!isEntryIndex(k))
        return;
    const QString refusal = refusalOfFields();
    if (!refusal.isEmpty()) {
        m_dialogs.showInfo(this, refusal);
        return;
    }
    const int id = masLOGINPASS[k].id;
    const int owner = CheckPersonal->isChecked() ? gperID_USER_DB : 0;
    bool present = true;
    if (!guarded([&] {
            present = updateKeySetIfPresent(editName->text(), editLogin->text(),
                                            encode_string(editPassword->text()), owner, id);
        }))
        return;
    if (!present) {
        reloadAfterStaleRow();
        return;
    }
    guarded([this, id] { addItemsToListbox(id); });
}

void TfmKeysCase::BitDeleteClick() {
    const int k = selectedIndex();
    if (!isEntryIndex(k))
        return;
    const int id = masLOGINPASS[k].id;
    int serversUsing = 0;
    if (!guarded([&] { serversUsing = countServersUsingKeySet(id); }))
        return;
    if (m_dialogs.askWarning(this, deleteQuestion(serversUsing)) != Dialogs::Answer::Yes)
        return;
    bool deleted = false;
    if (!guarded([&] { deleted = deleteKeySetKeepingChoices(id); }))
        return;
    clearFields();
    if (!deleted) {
        reloadAfterStaleRow();
        return;
    }
    guarded([this] { addItemsToListbox(-1); });
}

void TfmKeysCase::BtnShowPassMouseDown() {
    editPassword->setEchoMode(QLineEdit::Normal);
}

void TfmKeysCase::BtnShowPassMouseUp() {
    editPassword->setEchoMode(QLineEdit::Password);
}

// --- closing ----------------------------------------------------------------------

void TfmKeysCase::listboxKeysDblClick() {
    const int k = selectedIndex();
    m_handOverIndex = isEntryIndex(k) ? k : -1;
    close();
}

void TfmKeysCase::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfmKeysCase::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    if (fmKeysCase == this)
        fmKeysCase = nullptr;
    // First, so that a failing reload cannot leave the main window without input.
    m_host.setMainWindowEnabled(true);
    BeforeCloseForm(m_handOverIndex);
}

void TfmKeysCase::BeforeCloseForm(int idCombobox) {
    const int keySetId = isEntryIndex(idCombobox) ? masLOGINPASS[idCombobox].id : m_openedWithId;
    guarded([this, keySetId] { m_host.reloadAndSelectKeySet(keySetId); });
}
