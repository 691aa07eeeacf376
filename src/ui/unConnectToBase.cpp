#include "ui/unConnectToBase.h"

#include "app/Connection.h"
#include "app/Ini.h"
#include "app/Variable.h"
#include "db/CreateAndUpdateTables.h"
#include "db/TableUserDB.h"
#include "fb/Error.h"
#include "fb/Query.h"
#include "ui/Dialogs.h"
#include "ui/GeneralServices.h"
#include "ui/SignIn.h"
#include "ui/unGeneral.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <exception>
#include <memory>

TfmConnectToBase* fmConnectToBase = nullptr;

namespace {

constexpr int kFioLength = 50; // USER_DB.FIO is CHAR(50)

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TfmConnectToBase::TfmConnectToBase(Dialogs& dialogs, QWidget* parent)
    : TfmConnectToBase(dialogs, noGeneralServices(), parent) {}

TfmConnectToBase::TfmConnectToBase(Dialogs& dialogs, GeneralServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_services(&services) {
    setObjectName(QStringLiteral("fmConnectToBase"));
    setRunDatabase(&db);
    fmConnectToBase = this;
    buildWindow();
}

TfmConnectToBase::~TfmConnectToBase() {
    if (fmConnectToBase == this)
        fmConnectToBase = nullptr;
    // Another window or a tool may have made its own database objects current since.
    if (currentRunDatabase() == &db)
        setRunDatabase(nullptr);
}

template <typename Step> bool TfmConnectToBase::guarded(Step&& step) {
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

// --- window ---------------------------------------------------------------

void TfmConnectToBase::buildWindow() {
    setWindowTitle(QStringLiteral("Vestibar"));
    resize(394, 225);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(buildSignInTab(), QStringLiteral("Вход"));
    PageControl1->addTab(buildDatabaseTab(), QStringLiteral("База"));
    PageControl1->setCurrentWidget(TabSheet2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
    connect(ComboBox1, &QComboBox::editTextChanged, this, [this] { ComboBox1Change(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    // A default button only reacts to Enter inside a dialog; this window is not one.
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { BitBtn1Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(CheckBox3, &QCheckBox::clicked, this, [this] { CheckBox3Click(); });
    connect(CheckBox4, &QCheckBox::toggled, this,
            [this](bool hide) { Edit3->setEchoMode(hide ? QLineEdit::Password : QLineEdit::Normal); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });

    centreOnScreen();
}

QWidget* TfmConnectToBase::buildSignInTab() {
    TabSheet1 = named(new QWidget, "TabSheet1");

    GroupBoxUser = new QGroupBox(QStringLiteral("Пользователь"), TabSheet1);
    ComboBox1 = named(new QComboBox(GroupBoxUser), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->lineEdit()->setPlaceholderText(kStatusChooseUser);
    ComboBox1->lineEdit()->setMaxLength(kFioLength);
    (new QVBoxLayout(GroupBoxUser))->addWidget(ComboBox1);

    auto* passwordBox = new QGroupBox(QStringLiteral("Пароль"), TabSheet1);
    Edit1 = named(new QLineEdit(passwordBox), "Edit1");
    Edit1->setEchoMode(QLineEdit::Password);
    (new QVBoxLayout(passwordBox))->addWidget(Edit1);

    CheckBox1 = named(new QCheckBox(QStringLiteral("Автовход"), TabSheet1), "CheckBox1");
    BitBtn1 = named(new QPushButton(QStringLiteral("Войти"), TabSheet1), "BitBtn1");
    Label6 = named(new QLabel(QStringLiteral("Статус"), TabSheet1), "Label6");

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox1);
    bottom->addWidget(Label6, 1);
    bottom->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(TabSheet1);
    layout->addWidget(GroupBoxUser);
    layout->addWidget(passwordBox);
    layout->addLayout(bottom);
    return TabSheet1;
}

QWidget* TfmConnectToBase::buildDatabaseTab() {
    TabSheet2 = named(new QWidget, "TabSheet2");

    Edit5 = named(new QLineEdit(TabSheet2), "Edit5");
    Button1 = named(new QPushButton(QStringLiteral("..."), TabSheet2), "Button1");
    Button1->setMaximumWidth(30);
    CheckBox3 = named(new QCheckBox(QStringLiteral("Создать"), TabSheet2), "CheckBox3");
    Edit2 = named(new QLineEdit(TabSheet2), "Edit2");
    Edit3 = named(new QLineEdit(TabSheet2), "Edit3");
    CheckBox4 = named(new QCheckBox(QStringLiteral("Скрыть"), TabSheet2), "CheckBox4");
    Edit4 = named(new QLineEdit(TabSheet2), "Edit4");
    CheckBox2 = named(new QCheckBox(QStringLiteral("Автоподключение"), TabSheet2), "CheckBox2");
    BitBtn2 = named(new QPushButton(QStringLiteral("Подключиться"), TabSheet2), "BitBtn2");
    Label5 = named(new QLabel(QStringLiteral("Статус"), TabSheet2), "Label5");

    auto* grid = new QGridLayout(TabSheet2);
    grid->addWidget(new QLabel(QStringLiteral("Путь"), TabSheet2), 0, 0);
    grid->addWidget(Edit5, 0, 1, 1, 3);
    grid->addWidget(Button1, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Логин"), TabSheet2), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Пароль"), TabSheet2), 1, 2);
    grid->addWidget(Edit3, 1, 3);
    grid->addWidget(CheckBox4, 2, 3, Qt::AlignLeft);
    grid->addWidget(new QLabel(QStringLiteral("IP адрес"), TabSheet2), 2, 0);
    grid->addWidget(Edit4, 2, 1);
    grid->addWidget(CheckBox3, 3, 1, Qt::AlignLeft);
    grid->addWidget(CheckBox2, 3, 3, Qt::AlignLeft);
    grid->addWidget(Label5, 4, 1);
    grid->addWidget(BitBtn2, 4, 3);
    return TabSheet2;
}

void TfmConnectToBase::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// --- start-up ---------------------------------------------------------------

void TfmConnectToBase::start() {
    FormCreate();
}

void TfmConnectToBase::FormCreate() {
    setWindowTitle(QStringLiteral("Vestibar"));
    ComboBoxItemIndex1 = 0;
    fillConnectionFieldsFromConfig();
    if (!Read_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT")))
        return;
    if (!guarded([this] { connectAutomatically(); }))
        return;
    if (Read_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN")))
        signInAutomatically();
}

void TfmConnectToBase::fillConnectionFieldsFromConfig() {
    Edit5->setText(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH")));
    Edit2->setText(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN")));
    Edit3->setText(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS")));
    Edit4->setText(Read_ini_str(QStringLiteral("BASE"), QStringLiteral("IP")));
    CheckBox2->setChecked(Read_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT")));
}

void TfmConnectToBase::connectAutomatically() {
    ReadParamConnectToBase();
    ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
    db.IBEvents1.attach(db.IBDatabase1);
    add_item_in_ComboBox_and_mas_USER_DB();
}

void TfmConnectToBase::signInAutomatically() {
    const int index =
        automaticSignInUser(mas_USER_DB, Read_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID")),
                            Read_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO")),
                            Read_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS")));
    if (index >= 0)
        pusk_programmi(mas_USER_DB[index].ID);
}

// --- user list ----------------------------------------------------------------

void TfmConnectToBase::add_item_in_ComboBox_and_mas_USER_DB() {
    QVector<type_USER_DB> users;
    const std::unique_ptr<fb::Query> query = select_data_of_table_USER_DB();
    for (; !query->eof(); query->next()) {
        users.append({query->fieldByName(QStringLiteral("ID")).asInteger(),
                      query->fieldByName(QStringLiteral("FIO")).asString().trimmed(),
                      query->fieldByName(QStringLiteral("PASS")).asString().trimmed()});
    }
    users.append(type_USER_DB{}); // the spare entry that no item stands for
    mas_USER_DB = users;

    ComboBox1->clear();
    for (int i = 0; isUserIndex(mas_USER_DB, i); ++i)
        ComboBox1->addItem(mas_USER_DB[i].FIO);
    // The first user is the chosen one until the box is changed; show that.
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    ComboBoxItemIndex1 = ComboBox1->count() > 0 ? 0 : -1;
}

void TfmConnectToBase::ComboBox1Change() {
    const int current = ComboBox1->currentIndex();
    const QString text = ComboBox1->currentText();
    if (current >= 0 && ComboBox1->itemText(current) == text)
        ComboBoxItemIndex1 = current;
    else
        ComboBoxItemIndex1 = ComboBox1->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// --- database tab ---------------------------------------------------------------

void TfmConnectToBase::Button1Click() {
    const QString fileName = m_dialogs.openFileName(this);
    if (!fileName.isEmpty())
        Edit5->setText(fileName);
}

void TfmConnectToBase::CheckBox3Click() {
    Edit2->setText(QStringLiteral("SYSDBA"));
    Edit3->setText(QString::fromLatin1(kSysdbaDefaultPassword));
    Edit4->setText(QStringLiteral("127.0.0.1"));
}

void TfmConnectToBase::BitBtn2Click() {
    if (!createDatabaseIfAsked())
        return;
    if (!guarded([this] { writeConnectionConfig(); }))
        return;
    const bool connected = reconnect();
    Label5->setText(connected ? kStatusConnected : kStatusError);
    // Building the schema on a connection that failed could only hit another
    // database or nothing at all.
    if (!connected)
        return;
    if (CheckBox3->isChecked() && !guarded([] {
            CreateTablesInNewBase();
            UpdateBase();
        }))
        return;
    guarded([this] { add_item_in_ComboBox_and_mas_USER_DB(); });
}

bool TfmConnectToBase::createDatabaseIfAsked() {
    if (!CheckBox3->isChecked())
        return true;
    Edit5->setText(withFdbExtension(Edit5->text()));
    return guarded([this] { CreateDataBase(this, Edit4->text(), Edit5->text()); });
}

void TfmConnectToBase::writeConnectionConfig() {
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PATH"), Edit5->text());
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("LOGIN"), Edit2->text());
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("PASS"), Edit3->text());
    Write_ini_str(QStringLiteral("BASE"), QStringLiteral("IP"), Edit4->text());
    Write_ini_bool(QStringLiteral("BASE"), QStringLiteral("AUTOCONNECT"), CheckBox2->isChecked());
}

bool TfmConnectToBase::reconnect() {
    try {
        closeConnection();
        ReadParamConnectToBase();
        ConnectToBase(db.IBDatabase1, db.IBTransaction1, db.IBQuery1);
        db.IBEvents1.attach(db.IBDatabase1);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TfmConnectToBase::closeConnection() {
    if (db.IBEvents1.attached())
        db.IBEvents1.detach();
    if (db.IBDatabase1.connected())
        db.IBDatabase1.close();
}

// --- sign-in tab ----------------------------------------------------------------

void TfmConnectToBase::BitBtn1Click() {
    if (!isUserIndex(mas_USER_DB, ComboBoxItemIndex1)) {
        Label6->setText(kStatusChooseUser);
        return;
    }
    const type_USER_DB user = mas_USER_DB[ComboBoxItemIndex1];
    if (!passwordMatches(Edit1->text(), user)) {
        Label6->setText(kStatusWrongPassword);
        return;
    }
    if (CheckBox1->isChecked() && !guarded([this, &user] { rememberForAutomaticSignIn(user); }))
        return;
    pusk_programmi(user.ID);
}

void TfmConnectToBase::rememberForAutomaticSignIn(const type_USER_DB& user) {
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("FIO"), user.FIO);
    Write_ini_str(QStringLiteral("USER_DB"), QStringLiteral("PASS"), user.PASS);
    Write_ini_int(QStringLiteral("USER_DB"), QStringLiteral("ID"), user.ID);
    Write_ini_bool(QStringLiteral("USER_DB"), QStringLiteral("AUTOIN"), true);
}

void TfmConnectToBase::pusk_programmi(int userId) {
    guarded([this, userId] {
        if (readSchemaVersion() < kCurrentVersionDataBase && !upgradeAccepted())
            return;
        gperID_USER_DB = userId;
        // Made before hiding: if the main window fails to come up, this one stays
        // on screen instead of leaving a process without any window.
        std::unique_ptr<TfmGeneral> general;
        try {
            general = std::make_unique<TfmGeneral>(db, userId, m_dialogs, *m_services);
        } catch (...) {
            fmGeneral = nullptr;
            throw;
        }
        general->setSignInWindow(this);
        hide();
        m_signedIn = true;
        general.release()->show();
    });
}

int TfmConnectToBase::readSchemaVersion() {
    const std::unique_ptr<fb::Query> query = my_initialization_TIBQuery_insert();
    query->setSql(QStringLiteral("select * from DATA_PROGRAMM "));
    query->open();
    return query->eof() ? 0 : query->fieldByName(QStringLiteral("VER_DB")).asInteger();
}

bool TfmConnectToBase::upgradeAccepted() {
    switch (m_dialogs.askWarning(this, kUpgradeQuestion)) {
    case Dialogs::Answer::Yes:
        UpdateBase();
        return true;
    case Dialogs::Answer::No:
        // The user refused: leave at once, even if the goodbye to the server fails.
        try {
            if (db.IBTransaction1.active())
                db.IBTransaction1.rollback();
            closeConnection();
        } catch (const std::exception&) {
        }
        m_dialogs.exitProcess(0);
        return false;
    case Dialogs::Answer::Closed:
        break;
    }
    return true;
}

// --- key-press filter ----------------------------------------------------------

QChar input_string(QWidget* Sender, QChar key, int i) {
    // Backspace and the other editing keys must keep working at the limit.
    if (key.unicode() < 0x20 || key.unicode() == 0x7f)
        return key;
    qsizetype length = 0;
    if (const auto* edit = qobject_cast<QLineEdit*>(Sender))
        length = edit->text().size();
    else if (const auto* combo = qobject_cast<QComboBox*>(Sender))
        length = combo->currentText().size();
    else if (const auto* memo = qobject_cast<QTextEdit*>(Sender))
        length = memo->toPlainText().size();
    else if (const auto* plainMemo = qobject_cast<QPlainTextEdit*>(Sender))
        length = plainMemo->toPlainText().size();
    else
        return key;
    return length < i ? key : QChar();
}
