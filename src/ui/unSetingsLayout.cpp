// The controls of the settings window and where they sit.

#include "ui/BackupProgressPanel.h"
#include "ui/ButtonPictures.h"
#include "ui/SetingsRules.h"
#include "ui/unSetings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// USER_DB.FIO is CHAR(50); USER_DB.PASS CHAR(10), and the codec keeps the length.
constexpr int kUserNameLength = 50;
constexpr int kUserPasswordLength = 10;

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& accessibleName, int maxLength = 32767) {
    auto* field = named(new QLineEdit(parent), name);
    field->setAccessibleName(accessibleName);
    field->setMaxLength(maxLength);
    return field;
}

QPushButton* folderButton(QWidget* parent, const char* name, const QString& what) {
    auto* button = named(new QPushButton(parent), name);
    button->setIcon(pictureFolder());
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(28, 24);
    button->setToolTip(what);
    button->setAccessibleName(what);
    return button;
}

QGroupBox* groupAround(const QString& caption, QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* group = new QGroupBox(caption, parent);
    auto* layout = new QHBoxLayout(group);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return group;
}

QString ownReleaseNotes() {
    return QStringLiteral(
        "Версия 0.26.3\n"
        "- Программа работает в Linux: окна Qt, подключение к Firebird 3 по сети.\n"
        "- Удаление набора ключей больше не стирает выбор адреса и протокола на серверах:\n"
        "  пользователи переходят на набор ключей по умолчанию.\n"
        "- Ключница сообщает, если набор ключей удалил другой пользователь.\n"
        "- Пароли, которые база не может сохранить без искажений, не принимаются.\n"
        "- Настройки каждой вкладки записываются в config.ini целиком или не записываются вовсе.\n"
        "- Кнопка «Подключиться» в настройках проверяет параметры, не трогая рабочее\n"
        "  подключение программы.\n"
        "- Смена пароля не затирает пароль, измененный с другого компьютера.\n"
        "- Имена пользователей не повторяются.\n"
        "- Окно настроек открывается одно; повторное нажатие выводит его на передний план.\n");
}

} // namespace

void TfmSetings::buildWindow() {
    setWindowTitle(QStringLiteral("Настройки"));
    resize(642, 476);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    // All six captions fit the window's width without scroll arrows.
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
    PageControl1->addTab(buildConnectionTab(), QStringLiteral("Подключение к БД"));
    PageControl1->addTab(buildUpdatesTab(), QStringLiteral("Обновления"));
    PageControl1->addTab(buildNewUserTab(), QStringLiteral("Создание пользователей"));
    PageControl1->addTab(buildPasswordTab(), QStringLiteral("Смена пароля"));
    PageControl1->addTab(buildViewTab(), QStringLiteral("Вид"));
    PageControl1->addTab(buildFunctionsTab(), QStringLiteral("Функционал"));
    PageControl1->setCurrentIndex(0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1);

    connectHandlers();
    centreOnScreen();
}

void TfmSetings::centreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

// --- "Подключение к БД" ---------------------------------------------------------------

QWidget* TfmSetings::buildConnectionTab() {
    TabSheet1 = named(new QWidget, "TabSheet1");
    Label5 = named(new QLabel(QStringLiteral("Статус"), TabSheet1), "Label5");
    BitBtn1 = named(new QPushButton(QStringLiteral("Сохранить"), TabSheet1), "BitBtn1");

    // The groups keep their height when the progress panel comes: the window grows instead.
    QGroupBox* connection = buildConnectionGroup(TabSheet1);
    QGroupBox* backup = buildBackupGroup(TabSheet1);
    QGroupBox* restore = buildRestoreGroup(TabSheet1);
    connection->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    for (QGroupBox* group : {backup, restore})
        group->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    auto* folders = new QHBoxLayout;
    folders->addWidget(backup);
    folders->addWidget(restore);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label5, 1);
    bottom->addWidget(BitBtn1);

    // Shown from the first backup or restore on.
    BackupProgress = new BackupProgressPanel(TabSheet1);
    BackupProgress->setMaximumHeight(180);
    BackupProgress->hide();

    auto* layout = new QVBoxLayout(TabSheet1);
    layout->addWidget(connection);
    layout->addLayout(folders);
    layout->addWidget(BackupProgress, 1);
    layout->addStretch(1);
    layout->addLayout(bottom);
    return TabSheet1;
}

QGroupBox* TfmSetings::buildConnectionGroup(QWidget* tab) {
    auto* group = new QGroupBox(QStringLiteral("Параметры подключения к БД"), tab);
    Edit1 = edit(group, "Edit1", QStringLiteral("Путь"));
    BitBtn8 = folderButton(group, "BitBtn8", QStringLiteral("Выбрать файл базы данных"));
    Edit2 = edit(group, "Edit2", QStringLiteral("Логин"));
    Edit3 = edit(group, "Edit3", QStringLiteral("Пароль"));
    Edit4 = edit(group, "Edit4", QStringLiteral("IP адрес"));
    CheckBox1 = named(new QCheckBox(QStringLiteral("Автоподключение"), group), "CheckBox1");
    BitBtn2 = named(new QPushButton(QStringLiteral("Подключиться"), group), "BitBtn2");

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Путь"), group), 0, 0);
    grid->addWidget(Edit1, 0, 1, 1, 3);
    grid->addWidget(BitBtn8, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Логин"), group), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Пароль"), group), 1, 2);
    grid->addWidget(Edit3, 1, 3, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("IP адрес"), group), 2, 0);
    grid->addWidget(Edit4, 2, 1);
    grid->addWidget(CheckBox1, 2, 3, 1, 2);
    grid->addWidget(BitBtn2, 3, 3, 1, 2);
    return group;
}

QGroupBox* TfmSetings::buildBackupGroup(QWidget* tab) {
    auto* group = new QGroupBox(QStringLiteral("Backup"), tab);
    EditBackupFolder = edit(group, "EditBackupFolder", QStringLiteral("Папка для бэкапа БД"));
    BtnSelectBackupFolder =
        folderButton(group, "BtnSelectBackupFolder", QStringLiteral("Выбрать папку для бэкапа"));
    BtnBackup = named(new QPushButton(QStringLiteral("Сделать бэкап"), group), "BtnBackup");

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(
        groupAround(QStringLiteral("Папка для бэкапа БД"), group, {EditBackupFolder, BtnSelectBackupFolder}));
    layout->addStretch(1);
    layout->addWidget(BtnBackup, 0, Qt::AlignRight);
    return group;
}

QGroupBox* TfmSetings::buildRestoreGroup(QWidget* tab) {
    auto* group = new QGroupBox(QStringLiteral("Restore"), tab);
    EditRestoreFolder =
        edit(group, "EditRestoreFolder", QStringLiteral("Папка для восстановления БД из бэкапа"));
    BtnSelectRestoreFolder =
        folderButton(group, "BtnSelectRestoreFolder", QStringLiteral("Выбрать папку для восстановления"));
    ComboSelectBackupFile = named(new QComboBox(group), "ComboSelectBackupFile");
    ComboSelectBackupFile->setEditable(true);
    ComboSelectBackupFile->setAccessibleName(QStringLiteral("Бэкап для восстановления"));
    BtnRestore = named(new QPushButton(QStringLiteral("Востановить из бэкапа"), group), "BtnRestore");

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(groupAround(QStringLiteral("Папка для восстановления БД из бэкапа"), group,
                                  {EditRestoreFolder, BtnSelectRestoreFolder}));
    layout->addWidget(
        groupAround(QStringLiteral("Бэкап для восстановления"), group, {ComboSelectBackupFile}));
    layout->addWidget(BtnRestore, 0, Qt::AlignRight);
    return group;
}

// --- "Обновления" -----------------------------------------------------------------------

QWidget* TfmSetings::buildUpdatesTab() {
    TabSheet3 = named(new QWidget, "TabSheet3");
    LabelVersionDB = named(new QLabel(QStringLiteral("Текущая версия БД:"), TabSheet3), "LabelVersionDB");
    QFont large = LabelVersionDB->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    LabelVersionDB->setFont(large);
    Memo1 = named(new QPlainTextEdit(TabSheet3), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setPlainText(ownReleaseNotes());

    auto* layout = new QVBoxLayout(TabSheet3);
    layout->addWidget(LabelVersionDB);
    layout->addWidget(Memo1, 1);
    return TabSheet3;
}

// --- "Создание пользователей", "Смена пароля" ------------------------------------------

QWidget* TfmSetings::buildNewUserTab() {
    TabSheet2 = named(new QWidget, "TabSheet2");
    Edit6 = edit(TabSheet2, "Edit6", QStringLiteral("ИМЯ"), kUserNameLength);
    Edit5 = edit(TabSheet2, "Edit5", QStringLiteral("ПАРОЛЬ"), kUserPasswordLength);
    Button2 = named(new QPushButton(QStringLiteral("Создать"), TabSheet2), "Button2");

    auto* layout = new QVBoxLayout(TabSheet2);
    layout->addWidget(groupAround(QStringLiteral("ИМЯ"), TabSheet2, {Edit6}));
    layout->addWidget(groupAround(QStringLiteral("ПАРОЛЬ"), TabSheet2, {Edit5}));
    layout->addWidget(Button2, 0, Qt::AlignRight);
    layout->addStretch(1);
    return TabSheet2;
}

QWidget* TfmSetings::buildPasswordTab() {
    TabSheet5 = named(new QWidget, "TabSheet5");
    Edit7 = edit(TabSheet5, "Edit7", QStringLiteral("Старый пароль"), kUserPasswordLength);
    Edit8 = edit(TabSheet5, "Edit8", QStringLiteral("Новый пароль"), kUserPasswordLength);
    Edit9 = edit(TabSheet5, "Edit9", QStringLiteral("Еще раз новый пароль"), kUserPasswordLength);
    BitBtn4 = named(new QPushButton(QStringLiteral("Применить"), TabSheet5), "BitBtn4");

    auto* layout = new QVBoxLayout(TabSheet5);
    layout->addWidget(groupAround(QStringLiteral("Старый пароль"), TabSheet5, {Edit7}));
    layout->addWidget(groupAround(QStringLiteral("Новый пароль"), TabSheet5, {Edit8}));
    layout->addWidget(groupAround(QStringLiteral("Еще раз новый пароль"), TabSheet5, {Edit9}));
    layout->addWidget(BitBtn4, 0, Qt::AlignRight);
    layout->addStretch(1);
    return TabSheet5;
}

// --- "Вид" ------------------------------------------------------------------------------

QWidget* TfmSetings::buildViewTab() {
    TabSheet4 = named(new QWidget, "TabSheet4");
    TrackBar1 = named(new QSlider(Qt::Horizontal, TabSheet4), "TrackBar1");
    TrackBar1->setRange(kMinimumTransparency, 255);
    TrackBar1->setAccessibleName(QStringLiteral("Прозрачность формы"));
    CheckBox2 = named(new QCheckBox(QStringLiteral("Вкл."), TabSheet4), "CheckBox2");
    CheckBox2->setAccessibleName(QStringLiteral("Поверх всех окон"));
    BitBtn5 = named(new QPushButton(QStringLiteral("Сохранить"), TabSheet4), "BitBtn5");

    auto* top = new QHBoxLayout;
    top->addWidget(groupAround(QStringLiteral("Прозрачность формы"), TabSheet4, {TrackBar1}), 3);
    top->addWidget(groupAround(QStringLiteral("Поверх всех окон"), TabSheet4, {CheckBox2}), 1);

    auto* layout = new QVBoxLayout(TabSheet4);
    layout->addLayout(top);
    layout->addWidget(buildDoublePressGroup(TabSheet4));
    layout->addWidget(buildHotkeyGroup(TabSheet4));
    layout->addWidget(buildPlacementGroup(TabSheet4));
    layout->addStretch(1);
    layout->addWidget(BitBtn5, 0, Qt::AlignRight);
    return TabSheet4;
}

QGroupBox* TfmSetings::buildDoublePressGroup(QWidget* tab) {
    auto* group =
        new QGroupBox(QStringLiteral("Разворачивание программы по двойному нажатию на кнопку"), tab);
    CheckBox3 = named(new QCheckBox(QStringLiteral("Вкл."), group), "CheckBox3");
    CheckBox3->setAccessibleName(QStringLiteral("Разворачивание по двойному нажатию"));
    Edit10 = edit(group, "Edit10", QStringLiteral("Код клавиши"));
    Edit11 = edit(group, "Edit11", QStringLiteral("Скорость реагирования мл.с"));

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(CheckBox3);
    layout->addWidget(groupAround(QStringLiteral("Код клавиши"), group, {Edit10}));
    layout->addWidget(groupAround(QStringLiteral("Скорость реагирования мл.с"), group, {Edit11}));
    return group;
}

QGroupBox* TfmSetings::buildHotkeyGroup(QWidget* tab) {
    auto* group = new QGroupBox(QStringLiteral("Разворачивание программы нажатием комбинации клавишь"), tab);
    CheckBox4 = named(new QCheckBox(QStringLiteral("Вкл."), group), "CheckBox4");
    CheckBox4->setAccessibleName(QStringLiteral("Разворачивание комбинацией клавиш"));
    Edit13 = edit(group, "Edit13", QStringLiteral("Клавиша №1"));
    Edit12 = edit(group, "Edit12", QStringLiteral("Клавиша №2"));

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(CheckBox4);
    layout->addWidget(groupAround(QStringLiteral("Клавиша №1"), group, {Edit13}));
    layout->addWidget(new QLabel(QStringLiteral("+"), group));
    layout->addWidget(groupAround(QStringLiteral("Клавиша №2"), group, {Edit12}));
    return group;
}

QGroupBox* TfmSetings::buildPlacementGroup(QWidget* tab) {
    auto* group = new QGroupBox(QStringLiteral("Позиция приложения"), tab);
    // Each pair in a group of its own, so that the two choices are independent.
    auto* monitor = new QGroupBox(QStringLiteral("Монитор"), group);
    RadioButton1 = named(new QRadioButton(QStringLiteral("Первый"), monitor), "RadioButton1");
    RadioButton2 = named(new QRadioButton(QStringLiteral("Второй"), monitor), "RadioButton2");
    auto* monitorLayout = new QHBoxLayout(monitor);
    monitorLayout->addWidget(RadioButton1);
    monitorLayout->addWidget(RadioButton2);

    auto* position = new QGroupBox(QStringLiteral("Позиция"), group);
    RadioButton3 = named(new QRadioButton(QStringLiteral("С лева"), position), "RadioButton3");
    RadioButton4 = named(new QRadioButton(QStringLiteral("С права"), position), "RadioButton4");
    auto* positionLayout = new QHBoxLayout(position);
    positionLayout->addWidget(RadioButton3);
    positionLayout->addWidget(RadioButton4);

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(monitor);
    layout->addWidget(position);
    return group;
}

// --- "Функционал" -----------------------------------------------------------------------

QWidget* TfmSetings::buildFunctionsTab() {
    TabSheet6 = named(new QWidget, "TabSheet6");
    CheckBox5 = named(new QCheckBox(QStringLiteral("При подключении копировать пароль в буфер"), TabSheet6),
                      "CheckBox5");
    CheckBox6 = named(new QCheckBox(TabSheet6), "CheckBox6");
    CheckBox6->setAccessibleName(QStringLiteral("Браузер по умолчанию"));
    CheckBox6->setToolTip(QStringLiteral("Открывать сайты этим браузером"));
    Edit14 = edit(TabSheet6, "Edit14", QStringLiteral("Путь к браузеру"));
    Edit14->setPlaceholderText(QStringLiteral("Полный путь к программе браузера"));
    CheckBox7 = named(new QCheckBox(QStringLiteral("Включить уведомления"), TabSheet6), "CheckBox7");
    BitBtn3 = named(new QPushButton(QStringLiteral("Сохранить"), TabSheet6), "BitBtn3");

    auto* layout = new QVBoxLayout(TabSheet6);
    layout->addWidget(CheckBox5);
    layout->addWidget(groupAround(QStringLiteral("Браузер по умолчанию"), TabSheet6, {CheckBox6, Edit14}));
    layout->addWidget(CheckBox7);
    layout->addStretch(1);
    layout->addWidget(BitBtn3, 0, Qt::AlignRight);
    return TabSheet6;
}
