// The key-set selector: the box of the user's key sets and its login, password
// and "Default" fields.

#include "tree/KeySetList.h"
#include "ui/unGeneral.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

void TfmGeneral::load_login_pass() {
    m_selection.MAS_LOGIN_PASS = readVisibleKeySets(m_db, m_userId);
    fillKeySetBox();
}

// The items follow MAS_LOGIN_PASS; what the user typed stays in the box.
void TfmGeneral::fillKeySetBox() {
    const QString typed = ComboBox1->currentText();
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    for (int i = 0; isListedKeySet(m_selection.MAS_LOGIN_PASS, i); ++i)
        ComboBox1->addItem(m_selection.MAS_LOGIN_PASS[i].NAME);
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(typed);
    m_selection.gperComboBoxItemIndex = -1;
}

void TfmGeneral::find_LOGIN_PASS_and_passt_data_to_edits(int perID_LOGIN_PASS, int perDEFAUL_PASS) {
    const int shown = keySetIndexToShow(m_selection.MAS_LOGIN_PASS, perID_LOGIN_PASS, perDEFAUL_PASS);
    if (shown >= 0) {
        ComboBox1->setCurrentIndex(shown);
        PastKeyLoginPassToPole();
        return;
    }
    Edit3->clear();
    Edit4->clear();
    CheckBox1->setChecked(false);
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QString());
    m_selection.gperComboBoxItemIndex = -1;
}

void TfmGeneral::PastKeyLoginPassToPole() {
    m_selection.gperComboBoxItemIndex = ComboBox1->currentIndex();
    if (!isListedKeySet(m_selection.MAS_LOGIN_PASS, m_selection.gperComboBoxItemIndex)) {
        m_selection.gperComboBoxItemIndex = -1;
        Edit3->clear();
        Edit4->clear();
        return;
    }
    const type_LOGIN_PASS& keySet = m_selection.MAS_LOGIN_PASS[m_selection.gperComboBoxItemIndex];
    Edit3->setText(keySet.LOGIN);
    Edit4->setText(keySet.PASS);
    CheckBox1->setChecked(keySet.PERSONAL <= 0);
}

bool TfmGeneral::selectKeySet(int keySetId) {
    const int index = listedKeySetIndex(m_selection.MAS_LOGIN_PASS, keySetId);
    if (index < 0)
        return false;
    ComboBox1->setCurrentIndex(index);
    PastKeyLoginPassToPole();
    return true;
}

void TfmGeneral::ComboBox1Change() {
    PastKeyLoginPassToPole();
}

// A typed name selects the key set of that name in any letter case; any other
// name means a new key set, so login and password start empty.
void TfmGeneral::ComboBox1KeyUp() {
    const QString typed = ComboBox1->currentText();
    const int cursor = ComboBox1->lineEdit()->cursorPosition();
    const int match = keySetIndexByName(m_selection.MAS_LOGIN_PASS, typed);
    ComboBox1->setCurrentIndex(match);
    if (match < 0) {
        ComboBox1->setEditText(typed); // setCurrentIndex(-1) empties the text
        ComboBox1->lineEdit()->setCursorPosition(cursor);
    }
    PastKeyLoginPassToPole();
}

void TfmGeneral::BitBtn8MouseDown() {
    Edit4->setEchoMode(QLineEdit::Normal);
}

void TfmGeneral::BitBtn8MouseUp() {
    Edit4->setEchoMode(QLineEdit::Password);
}

// The password the object was loaded with, not what the field holds now.
void TfmGeneral::BitBtn6Click() {
    QApplication::clipboard()->setText(m_selection.gperServerParametrs.PASS_LOGIN_PASS);
}

void TfmGeneral::BitBtn12Click() {
    const int index = ComboBox1->currentIndex();
    const int keySetId =
        isListedKeySet(m_selection.MAS_LOGIN_PASS, index) ? m_selection.MAS_LOGIN_PASS[index].ID : 0;
    guarded([this, keySetId] { m_services.BitBtn12Click(*this, keySetId); });
}
