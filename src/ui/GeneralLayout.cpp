// The main window's controls: names, captions, pictures, layout and tab order.

#include "notes/NotesModel.h"
#include "ui/Icons.h"
#include "ui/NotesColorButton.h"
#include "ui/NotesEdit.h"
#include "ui/unGeneral.h"
#include "ui/unHistory.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <limits>

namespace {

// Column widths of the editor fields; the port and code page have room for no more.
constexpr int kNameLength = 50;
constexpr int kDomainNameLength = 50;
constexpr int kIpAddressLength = 16;
constexpr int kLoginLength = 50;
constexpr int kPasswordLength = 50;
constexpr int kKeySetNameLength = 150;
constexpr int kPortLength = 5;
constexpr int kTranslationLength = 50;
constexpr int kMemoLines = 10000;

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A button that shows only a picture still needs words for tooltips and screen readers.
template <typename Button> void describe(Button* button, const QString& words) {
    button->setToolTip(words);
    button->setAccessibleName(words);
}

QPushButton* bigButton(QWidget* parent, const char* name, const QIcon& picture, const QString& words) {
    auto* button = named(new QPushButton(parent), name);
    button->setFixedSize(41, 41);
    button->setIcon(picture);
    button->setIconSize(QSize(32, 32));
    describe(button, words);
    return button;
}

QPushButton* smallButton(QWidget* parent, const char* name, const QString& words) {
    auto* button = named(new QPushButton(parent), name);
    button->setFixedSize(25, 25);
    button->setIconSize(QSize(16, 16));
    describe(button, words);
    return button;
}

QLineEdit* edit(QWidget* parent, const char* name, int maxLength, const QString& text = QString()) {
    auto* field = named(new QLineEdit(text, parent), name);
    field->setMaxLength(maxLength);
    return field;
}

// The label names its field for screen readers too.
QLabel* labelFor(QWidget* parent, const char* name, const QString& caption, QWidget* field) {
    auto* label = named(new QLabel(caption, parent), name);
    label->setBuddy(field);
    QString words = caption;
    if (words.endsWith(QLatin1Char(':')))
        words.chop(1);
    field->setAccessibleName(words);
    return label;
}

// Tight margins keep the whole editor within the window's 674 pixels.
void compact(QGroupBox* group) {
    if (QLayout* layout = group->layout()) {
        layout->setContentsMargins(6, 2, 6, 4);
        layout->setSpacing(3);
    }
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption, int picture) {
    auto* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (picture >= 0)
        action->setIcon(buttonIcons()[picture]);
    return action;
}

} // namespace

void TfmGeneral::buildWindow() {
    setWindowTitle(QStringLiteral("Vestibar"));
    resize(673, 674);
    auto* central = named(new QWidget(this), "ClientArea");
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(7);
    layout->addWidget(buildLeftColumn(), 0, Qt::AlignLeft);
    layout->addWidget(buildEditorPanel(), 1);
    setCentralWidget(central);
    buildStatusBar();
    buildMenus();
    setUpTreeView();

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(60000);
    Timer2 = named(new QTimer(this), "Timer2");
    Timer2->setInterval(6000);

    setTabOrderTopToBottom();
    connectHandlers();
}

QWidget* TfmGeneral::buildLeftColumn() {
    auto* column = named(new QWidget, "LeftColumn");
    column->setFixedWidth(273);

    Edit_SearchInTreeView = named(new QLineEdit(column), "Edit_SearchInTreeView");
    Edit_SearchInTreeView->setAccessibleName(QStringLiteral("Поиск в дереве"));
    Edit_SearchInTreeView->setPlaceholderText(QStringLiteral("Поиск"));
    BitBtn11 = named(new QPushButton(column), "BitBtn11");
    BitBtn11->setFixedSize(22, 22);
    describe(BitBtn11, QStringLiteral("Искать далее"));
    auto* search = new QHBoxLayout;
    search->setContentsMargins(0, 0, 0, 0);
    search->addWidget(Edit_SearchInTreeView);
    search->addWidget(BitBtn11);

    GroupBox5 = named(new QGroupBox(column), "GroupBox5");
    TreeView1 = named(new QTreeView(GroupBox5), "TreeView1");
    TreeView1->setAccessibleName(QStringLiteral("Дерево объектов"));
    auto* treeLayout = new QVBoxLayout(GroupBox5);
    treeLayout->setContentsMargins(2, 2, 2, 2);
    treeLayout->addWidget(TreeView1);

    GroupBox6 = named(new QGroupBox(column), "GroupBox6");
    GroupBox6->setFixedHeight(57);
    BitBtn3 =
        bigButton(GroupBox6, "BitBtn3", bigButtonIcon(BigPicture::Create), QStringLiteral("Создать объект"));
    BitBtn5 =
        bigButton(GroupBox6, "BitBtn5", bigButtonIcon(BigPicture::Settings), QStringLiteral("Настройки"));
    BitBtn1 =
        bigButton(GroupBox6, "BitBtn1", bigButtonIcon(BigPicture::Connect), QStringLiteral("Подключиться"));
    BitBtn4 = named(new QPushButton(QStringLiteral("<"), GroupBox6), "BitBtn4");
    BitBtn4->setFixedSize(41, 41);
    describe(BitBtn4, QStringLiteral("Показать или скрыть редактор"));
    BitBtn3->move(8, 8);
    BitBtn5->move(56, 8);
    BitBtn1->move(176, 8);
    BitBtn4->move(224, 8);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addLayout(search);
    layout->addWidget(GroupBox5, 1);
    layout->addWidget(GroupBox6);
    return column;
}

QWidget* TfmGeneral::buildEditorPanel() {
    GroupBox1 = named(new QGroupBox, "GroupBox1");
    PageControl1 = named(new QTabWidget(GroupBox1), "PageControl1");
    PageControl1->addTab(buildConnectionTab(), QStringLiteral("Подключение"));
    PageControl1->addTab(buildDiagnosticTab(), QStringLiteral("Пароли"));
    PageControl1->setCurrentIndex(0);
    BitBtn2 = bigButton(GroupBox1, "BitBtn2", bigButtonIcon(BigPicture::Save), QStringLiteral("Сохранить"));

    auto* layout = new QVBoxLayout(GroupBox1);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(BitBtn2, 0, Qt::AlignRight);
    return GroupBox1;
}

QWidget* TfmGeneral::buildConnectionTab() {
    TabSheet1 = named(new QWidget, "TabSheet1");
    auto* layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    for (QGroupBox* group :
         {buildObjectGroup(), buildComputerGroup(), buildKeySetGroup(), buildProtocolGroup()}) {
        compact(group);
        layout->addWidget(group);
    }
    QGroupBox* notes = buildNotesGroup();
    compact(notes);
    layout->addWidget(notes, 1);
    return TabSheet1;
}

QGroupBox* TfmGeneral::buildObjectGroup() {
    GroupBox3 = named(new QGroupBox(QStringLiteral("Объект дерева")), "GroupBox3");
    ComboBox3 = named(new QComboBox(GroupBox3), "ComboBox3");
    ComboBox3->addItems({QStringLiteral("Сервер"), QStringLiteral("Папка"), QStringLiteral("Сайт")});
    Image1 = named(new QToolButton(GroupBox3), "Image1");
    Image1->setAutoRaise(true);
    Image1->setFixedSize(22, 22);
    Image1->setIconSize(QSize(16, 16));
    describe(Image1, QStringLiteral("Выбрать иконку"));
    Edit1 = edit(GroupBox3, "Edit1", kNameLength, QStringLiteral("Новый объект"));

    auto* grid = new QGridLayout(GroupBox3);
    grid->addWidget(labelFor(GroupBox3, "Label5", QStringLiteral("Тип:"), ComboBox3), 0, 0);
    grid->addWidget(ComboBox3, 0, 1, 1, 2);
    grid->addWidget(labelFor(GroupBox3, "Label7", QStringLiteral("Название:"), Edit1), 1, 0);
    grid->addWidget(Image1, 1, 1);
    grid->addWidget(Edit1, 1, 2);
    grid->setColumnStretch(2, 1);
    return GroupBox3;
}

QGroupBox* TfmGeneral::buildComputerGroup() {
    GroupBox4 = named(new QGroupBox(QStringLiteral("Компьюетр (указать подключение по ...)")), "GroupBox4");
    Edit5 = edit(GroupBox4, "Edit5", kDomainNameLength, QStringLiteral("Новый объект"));
    RadioButton1 = named(new QRadioButton(GroupBox4), "RadioButton1");
    RadioButton1->setAccessibleName(QStringLiteral("Подключаться по DN/URL"));
    RadioButton1->setToolTip(RadioButton1->accessibleName());
    Edit2 = edit(GroupBox4, "Edit2", kIpAddressLength, QStringLiteral("Новый объект"));
    RadioButton2 = named(new QRadioButton(GroupBox4), "RadioButton2");
    RadioButton2->setAccessibleName(QStringLiteral("Подключаться по IP адресу"));
    RadioButton2->setToolTip(RadioButton2->accessibleName());

    auto* grid = new QGridLayout(GroupBox4);
    grid->addWidget(labelFor(GroupBox4, "Label11", QStringLiteral("DN/URL:"), Edit5), 0, 0);
    grid->addWidget(Edit5, 0, 1);
    grid->addWidget(RadioButton1, 0, 2);
    grid->addWidget(labelFor(GroupBox4, "Label8", QStringLiteral("IP адрес"), Edit2), 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(RadioButton2, 1, 2);
    grid->setColumnStretch(1, 1);
    return GroupBox4;
}

QGroupBox* TfmGeneral::buildKeySetGroup() {
    GroupBox2 = named(new QGroupBox(QStringLiteral("Используемый логин/пароль")), "GroupBox2");
    ComboBox1 = named(new QComboBox(GroupBox2), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->lineEdit()->setMaxLength(kKeySetNameLength);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    BitBtn12 = named(new QPushButton(QStringLiteral("..."), GroupBox2), "BitBtn12");
    BitBtn12->setFixedWidth(28);
    describe(BitBtn12, QStringLiteral("Ключница"));
    CheckBox1 = named(new QCheckBox(QStringLiteral("Default"), GroupBox2), "CheckBox1");
    Edit3 = edit(GroupBox2, "Edit3", kLoginLength);
    Edit4 = edit(GroupBox2, "Edit4", kPasswordLength);
    Edit4->setEchoMode(QLineEdit::Password);
    BitBtn8 = smallButton(GroupBox2, "BitBtn8", QStringLiteral("Показать пароль"));
    BitBtn6 = smallButton(GroupBox2, "BitBtn6", QStringLiteral("Копировать пароль"));

    auto* grid = new QGridLayout(GroupBox2);
    grid->addWidget(labelFor(GroupBox2, "Label1", QStringLiteral("Имя \"ключей\""), ComboBox1), 0, 0);
    grid->addWidget(ComboBox1, 0, 1);
    grid->addWidget(BitBtn12, 0, 2);
    grid->addWidget(CheckBox1, 0, 3, 1, 2);
    grid->addWidget(labelFor(GroupBox2, "Label9", QStringLiteral("Логин:"), Edit3), 1, 0);
    grid->addWidget(Edit3, 1, 1, 1, 2);
    grid->addWidget(labelFor(GroupBox2, "Label10", QStringLiteral("Пароль"), Edit4), 2, 0);
    grid->addWidget(Edit4, 2, 1, 1, 2);
    grid->addWidget(BitBtn8, 2, 3);
    grid->addWidget(BitBtn6, 2, 4);
    grid->setColumnStretch(1, 1);
    return GroupBox2;
}

QGroupBox* TfmGeneral::buildProtocolGroup() {
    GroupBox7 = named(new QGroupBox(QStringLiteral("По")), "GroupBox7");
    RadioButton3 = named(new QRadioButton(QStringLiteral("RDP"), GroupBox7), "RadioButton3");
    RadioButton4 = named(new QRadioButton(QStringLiteral("SSH"), GroupBox7), "RadioButton4");
    RadioButton5 = named(new QRadioButton(QStringLiteral("Browser"), GroupBox7), "RadioButton5");
    ComboBox2 = named(new QComboBox(GroupBox7), "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2->addItem(QStringLiteral("UTF-8"));
    ComboBox2->lineEdit()->setMaxLength(kTranslationLength);
    Edit6 = edit(GroupBox7, "Edit6", kPortLength, QStringLiteral("22"));

    auto* grid = new QGridLayout(GroupBox7);
    grid->addWidget(RadioButton3, 0, 0);
    grid->addWidget(RadioButton4, 0, 1);
    grid->addWidget(RadioButton5, 0, 2);
    grid->addWidget(labelFor(GroupBox7, "Label14", QStringLiteral("Кодировка"), ComboBox2), 1, 0);
    grid->addWidget(ComboBox2, 1, 1);
    grid->addWidget(labelFor(GroupBox7, "Label13", QStringLiteral("Порт"), Edit6), 1, 2);
    grid->addWidget(Edit6, 1, 3);
    grid->setColumnStretch(1, 1);
    return GroupBox7;
}

QGroupBox* TfmGeneral::buildNotesGroup() {
    GroupBox8 = named(new QGroupBox(QStringLiteral("Заметки")), "GroupBox8");
    BtnBold = smallButton(GroupBox8, "BtnBold", QStringLiteral("Полужирный"));
    BtnItalic = smallButton(GroupBox8, "BtnItalic", QStringLiteral("Курсив"));
    BtnUnder = smallButton(GroupBox8, "BtnUnder", QStringLiteral("Подчёркнутый"));
    BtnStrikeout = smallButton(GroupBox8, "BtnStrikeout", QStringLiteral("Зачёркнутый"));
    JvOfficeColorButton1 = named(new NotesColorButton(GroupBox8), "JvOfficeColorButton1");
    JvOfficeColorButton1->setFixedSize(35, 22);
    describe(JvOfficeColorButton1, QStringLiteral("Цвет текста"));
    SpinEdit1 = named(new QSpinBox(GroupBox8), "SpinEdit1");
    SpinEdit1->setRange(kNotesMinPoints, kNotesMaxPoints);
    SpinEdit1->setValue(kNotesDefaultHalfPoints / 2);
    SpinEdit1->setFixedWidth(52);
    SpinEdit1->setAccessibleName(QStringLiteral("Размер шрифта"));
    BtnAlignLeft = smallButton(GroupBox8, "BtnAlignLeft", QStringLiteral("По левому краю"));
    BtnAlignCentr = smallButton(GroupBox8, "BtnAlignCentr", QStringLiteral("По центру"));
    BtnAlignRight = smallButton(GroupBox8, "BtnAlignRight", QStringLiteral("По правому краю"));
    RichEditNotes = named(new NotesEdit(GroupBox8), "RichEditNotes");
    // A click on a tool keeps the focus, and so the selection, in the notes.
    for (QWidget* tool : std::initializer_list<QWidget*>{BtnBold, BtnItalic, BtnUnder, BtnStrikeout,
                                                        JvOfficeColorButton1, BtnAlignLeft, BtnAlignCentr,
                                                        BtnAlignRight})
        tool->setFocusPolicy(Qt::TabFocus);
    RichEditNotes->setAccessibleName(QStringLiteral("Заметки"));
    RichEditNotes->setMinimumHeight(48);

    auto* tools = new QHBoxLayout;
    tools->setSpacing(0);
    for (QWidget* w : std::initializer_list<QWidget*>{BtnBold, BtnItalic, BtnUnder, BtnStrikeout})
        tools->addWidget(w);
    tools->addSpacing(7);
    tools->addWidget(JvOfficeColorButton1);
    tools->addSpacing(5);
    tools->addWidget(SpinEdit1);
    tools->addSpacing(7);
    for (QWidget* w : std::initializer_list<QWidget*>{BtnAlignLeft, BtnAlignCentr, BtnAlignRight})
        tools->addWidget(w);
    tools->addStretch(1);
    auto* layout = new QVBoxLayout(GroupBox8);
    layout->addLayout(tools);
    layout->addWidget(RichEditNotes, 1);
    return GroupBox8;
}

QWidget* TfmGeneral::buildDiagnosticTab() {
    TabSheet2 = named(new QWidget, "TabSheet2");
    TabSheet2->installEventFilter(this); // its width drives the test buttons (FormResize)
    Memo1 = named(new QPlainTextEdit(TabSheet2), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setMaximumBlockCount(kMemoLines); // the oldest lines go first
    Memo1->setAccessibleName(QStringLiteral("Журнал работы"));
    Memo1->setPlainText(QStringLiteral("Memo1"));
    Label2 = named(new QLabel(QStringLiteral("Label2"), TabSheet2), "Label2");
    Label3 = named(new QLabel(QStringLiteral("Label3"), TabSheet2), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Label4"), TabSheet2), "Label4");
    BitBtn7 = named(new QPushButton(QStringLiteral("BitBtn7"), TabSheet2), "BitBtn7");
    BitBtn9 = named(new QPushButton(QStringLiteral("В"), TabSheet2), "BitBtn9");
    BitBtn10 = named(new QPushButton(QStringLiteral("Н"), TabSheet2), "BitBtn10");
    Button1 = named(new QPushButton(QStringLiteral("Button1"), TabSheet2), "Button1");
    DBGrid1 = named(new QTableView(TabSheet2), "DBGrid1");
    DBGrid1->setMaximumHeight(80);

    auto* labels = new QHBoxLayout;
    for (QLabel* label : {Label2, Label3, Label4})
        labels->addWidget(label);
    labels->addStretch(1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtn7, BitBtn9, BitBtn10, Button1})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(Memo1, 1);
    layout->addLayout(labels);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid1);
    return TabSheet2;
}

void TfmGeneral::buildStatusBar() {
    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setFixedHeight(19 + 4);
    StatusBar1->setSizeGripEnabled(false);
    setStatusBar(StatusBar1);

    // Panel 1 takes what is left, so the folded window (305) still fits the bar.
    const int widths[3] = {70, 0, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        if (widths[i] > 0)
            m_panels[i]->setFixedWidth(widths[i]);
        else
            m_panels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addPermanentWidget(m_panels[i], i == 1 ? 1 : 0);
    }
    m_panels[0]->setText(kProgramVersionLabel);
    m_panels[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The restart request of the update check is drawn in red.
    QPalette red = m_panels[1]->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_panels[1]->setPalette(red);
}

void TfmGeneral::buildMenus() {
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    N6 = menuItem(PopupMenu1, "N6", QStringLiteral("Копировать логин"), 10);
    N7 = menuItem(PopupMenu1, "N7", QStringLiteral("Копировать пароль"), 11);
    N3 = menuItem(PopupMenu1, "N3", QStringLiteral("Добавить"), 8);
    N1 = menuItem(PopupMenu1, "N1", QStringLiteral("Удалить"), 7);
    N4 = menuItem(PopupMenu1, "N4", QStringLiteral("Вверх"), 9);
    N5 = menuItem(PopupMenu1, "N5", QStringLiteral("Вниз"), 6);
    N8 = menuItem(PopupMenu1, "N8", QStringLiteral("Свойства"), -1);
    N9 = menuItem(PopupMenu1, "N9", QStringLiteral("История изменений"), -1);
    N9->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    addAction(N9); // so that the key works wherever the focus is in the window
    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    N2 = menuItem(PopupMenu2, "N2", QStringLiteral("Добавить"), 8);
    N10 = menuItem(PopupMenu2, "N10", QStringLiteral("История изменений"), -1);
}

// Step 15 of the creation: the pictures of the small buttons.
void TfmGeneral::assignPictures() {
    const QVector<QIcon>& pictures = buttonIcons();
    const std::pair<QAbstractButton*, int> assignments[] = {
        {BitBtn8, 3},   {BitBtn6, 4},       {BitBtn11, 5},      {BtnBold, 12},       {BtnItalic, 13},
        {BtnUnder, 14}, {BtnStrikeout, 15}, {BtnAlignLeft, 16}, {BtnAlignCentr, 17}, {BtnAlignRight, 18},
    };
    for (const auto& [button, index] : assignments)
        button->setIcon(pictures[index]);
}

void TfmGeneral::setTabOrderTopToBottom() {
    QWidget* const order[] = {
        Edit_SearchInTreeView,
        BitBtn11,
        TreeView1,
        BitBtn3,
        BitBtn5,
        BitBtn1,
        BitBtn4,
        PageControl1,
        ComboBox3,
        Image1,
        Edit1,
        Edit5,
        RadioButton1,
        Edit2,
        RadioButton2,
        ComboBox1,
        BitBtn12,
        CheckBox1,
        Edit3,
        Edit4,
        BitBtn8,
        BitBtn6,
        RadioButton3,
        RadioButton4,
        RadioButton5,
        ComboBox2,
        Edit6,
        BtnBold,
        BtnItalic,
        BtnUnder,
        BtnStrikeout,
        JvOfficeColorButton1,
        SpinEdit1,
        BtnAlignLeft,
        BtnAlignCentr,
        BtnAlignRight,
        RichEditNotes,
        BitBtn2,
    };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TfmGeneral::connectHandlers() {
    const auto service = [this](void (GeneralServices::*call)(TfmGeneral&)) {
        return [this, call] { guarded([this, call] { (m_services.*call)(*this); }); };
    };
    connect(BitBtn1, &QPushButton::clicked, this, service(&GeneralServices::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, [this] { procSaveDataInBase(); });
    for (QAction* create : {N3, N2})
        connect(create, &QAction::triggered, this, [this] { ClickCreateObjectOnTreeView(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { ClickCreateObjectOnTreeView(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(N8, &QAction::triggered, this, [this] { BitBtn4Click(); });
    connect(N9, &QAction::triggered, this,
            [this] { guarded([this] { TfmHistory::open(*this, selectedNode()); }); });
    connect(N10, &QAction::triggered, this,
            [this] { guarded([this] { TfmHistory::open(*this, nullptr); }); });
    connect(BitBtn5, &QPushButton::clicked, this, service(&GeneralServices::BitBtn5Click));
    connect(Image1, &QToolButton::clicked, this, [this] { Image1Click(); });
    connect(ComboBox3, &QComboBox::activated, this, [this] { ComboBox3Change(); });
    // Only a click, never a load's ticking, rewrites port and code page.
    connect(RadioButton3, &QRadioButton::clicked, this, [this] { RadioButton3Click(); });
    connect(RadioButton4, &QRadioButton::clicked, this, [this] { RadioButton4Click(); });
    connect(N6, &QAction::triggered, this, [this] { N6Click(); });
    connect(N7, &QAction::triggered, this, [this] { N7Click(); });
    connect(N1, &QAction::triggered, this, service(&GeneralServices::DeleteObjectOnTreeView));
    connect(N4, &QAction::triggered, this, service(&GeneralServices::N4Click));
    connect(N5, &QAction::triggered, this, service(&GeneralServices::N5Click));
    connect(BitBtn11, &QPushButton::clicked, this, [this] {
        guarded([this] { m_services.StartSearchInTreeView(*this, Edit_SearchInTreeView->text(), true); });
    });
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    // Typed or pasted only: moving the focus into the box keeps edited fields.
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBox1KeyUp(); });
    connect(BitBtn8, &QPushButton::pressed, this, [this] { BitBtn8MouseDown(); });
    connect(BitBtn8, &QPushButton::released, this, [this] { BitBtn8MouseUp(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(BitBtn12, &QPushButton::clicked, this, [this] { BitBtn12Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { BitBtn7Click(); });
    connect(BitBtn9, &QPushButton::clicked, this, [this] { BitBtn9Click(); });
    connect(BitBtn10, &QPushButton::clicked, this, [this] { BitBtn10Click(); });
    connect(Timer1, &QTimer::timeout, this, service(&GeneralServices::Timer1Timer));

    for (QAbstractButton* tool : std::initializer_list<QAbstractButton*>{
             BtnBold, BtnItalic, BtnUnder, BtnStrikeout, BtnAlignLeft, BtnAlignCentr, BtnAlignRight}) {
        connect(tool, &QAbstractButton::clicked, this, [this, tool] {
            guarded([this, tool] { m_services.notesToolbar(*this, tool->objectName()); });
        });
    }
    connect(SpinEdit1, &QSpinBox::valueChanged, this,
            [this] { guarded([this] { m_services.notesToolbar(*this, SpinEdit1->objectName()); }); });
    // The colour button reports its own clicks as a choice of the colour it shows.
    connect(static_cast<NotesColorButton*>(JvOfficeColorButton1), &NotesColorButton::colorChosen, this, [this] {
        guarded([this] { m_services.notesToolbar(*this, JvOfficeColorButton1->objectName()); });
    });
    // A moved insertion point counts as a new selection: the size box follows it.
    connect(RichEditNotes, &QTextEdit::selectionChanged, this,
            service(&GeneralServices::RichEditNotesSelectionChange));
    connect(RichEditNotes, &QTextEdit::cursorPositionChanged, this,
            service(&GeneralServices::RichEditNotesSelectionChange));
    Edit_SearchInTreeView->installEventFilter(this);
}
