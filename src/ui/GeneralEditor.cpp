// The object editor: loading the selected object into the controls, gathering
// them for a save, the type and protocol rules of the editor.

#include "app/RunDatabase.h"
#include "notes/NotesRtf.h"
#include "notes/NotesStore.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"
#include "ui/unGeneral.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

namespace {

// Unticks every button of an exclusive group; Qt's own exclusivity would keep one.
void untickAll(std::initializer_list<QRadioButton*> buttons) {
    for (QRadioButton* button : buttons) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

int typeIndexOf(int typeNode) {
    return typeNode >= 0 && typeNode <= 2 ? typeNode : -1;
}

} // namespace

void TfmGeneral::IfSelectedObjectOnTreeView() {
    const TreeNode* node = selectedNode();
    if (!node)
        return;
    guarded([&] {
        ::IfSelectedObjectOnTreeView(m_db, m_selection, m_tree, node, m_userId);
        fillKeySetBox();
        PAST_VARIABLE_IN_COMPONENTS();
    });
}

void TfmGeneral::procSelectInTreeViewe() {
    guarded([this] {
        ::procSelectInTreeViewe(m_db, m_selection, m_userId);
        fillKeySetBox();
        PAST_VARIABLE_IN_COMPONENTS();
    });
}

void TfmGeneral::PAST_VARIABLE_IN_COMPONENTS() {
    const type_ServerParametrs2& p = m_selection.gperServerParametrs;
    Edit1->setText(p.TEXT_TREETABLE);
    Edit5->setText(p.DOMAIN_NAME_SERVERS);
    Edit2->setText(p.IP_ADDRES_SERVERS);
    Edit6->setText(p.PORT_SERVERS);
    ComboBox2->setEditText(p.TRANSLATION_SERVERS);
    ComboBox3->setCurrentIndex(typeIndexOf(p.TYPE_NODE));
    ComboBox3Change();
    showPicture(p.ID_ICO_TREETABLE);
    find_LOGIN_PASS_and_passt_data_to_edits(p.ID_LOGIN_PASS, p.DEFAUL_PASS_SERVERS);

    const auto isAddress = [](int v) { return v == 1 || v == 2; };
    showAddressChoice(isAddress(p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS) ? p.DNS_OR_IP_SERVERS_WITH_LOGIN_PASSS
                      : isAddress(p.DEFAUL_DNS_OR_IP_SERVERS)         ? p.DEFAUL_DNS_OR_IP_SERVERS
                                                                      : 0);
    // The server's default is applied after the user's own choice, so it wins.
    const auto isProtocol = [](int v) { return v >= 1 && v <= 3; };
    showProtocol(isProtocol(p.DEFAUL_RDP_OR_SSH_SERVERS)             ? p.DEFAUL_RDP_OR_SSH_SERVERS
                 : isProtocol(p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS) ? p.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS
                                                                     : 0);
    showNotes(p.NOTES_SERVERS);
}

// 0 unticks both: another object's choice must not be shown, nor saved, for this one.
void TfmGeneral::showAddressChoice(int choice) {
    if (choice == 1)
        RadioButton1->setChecked(true);
    else if (choice == 2)
        RadioButton2->setChecked(true);
    else
        untickAll({RadioButton1, RadioButton2});
}

void TfmGeneral::showProtocol(int protocol) {
    QRadioButton* buttons[] = {RadioButton3, RadioButton4, RadioButton5};
    if (protocol >= 1 && protocol <= 3)
        buttons[protocol - 1]->setChecked(true);
    else
        untickAll({RadioButton3, RadioButton4, RadioButton5});
}

void TfmGeneral::showPicture(int imageIndex) {
    const QVector<QIcon>& pictures = treeIcons();
    Image1->setIcon(imageIndex >= 0 && imageIndex < pictures.size() ? pictures[imageIndex] : QIcon());
}

void TfmGeneral::setPendingPicture(int imageIndex) {
    m_selection.gperServerParametrs2.ID_ICO_TREETABLE = imageIndex;
    showPicture(imageIndex);
}

// The notes are shown with the formatting this program keeps. Unedited notes go
// back byte for byte, so a save never touches what another copy wrote; edited
// ones are written as RTF, after asking when formatting beyond ours would go.
void TfmGeneral::showNotes(const QByteArray& stored) {
    m_loadedNotes = stored;
    loadStoredNotes(stored, *RichEditNotes->document());
}

QByteArray TfmGeneral::notesToStore() const {
    const QTextDocument& editor = *RichEditNotes->document();
    if (!editor.isModified())
        return m_loadedNotes; // NULL stays NULL
    const StoredNotes stored{m_loadedNotes, readNotesRtf(m_loadedNotes).beyondSubset};
    bool agreed = false;
    const QByteArray bytes = notesBytesToStore(stored, editor, [this, &agreed] {
        agreed = m_dialogs.askWarning(window(), kDropFormattingQuestion) == Dialogs::Answer::Yes;
        return agreed;
    });
    if (editor.isEmpty() && (!stored.beyondSubset || agreed))
        return {}; // emptied notes are stored as NULL, as a new object has them
    return bytes;
}

void TfmGeneral::ComboBox3Change() {
    const bool folder = ComboBox3->currentIndex() == 1;
    for (QGroupBox* group : {GroupBox4, GroupBox2, GroupBox7})
        group->setVisible(!folder);
    if (ComboBox3->currentIndex() == 2)
        RadioButton5->setFocus();
}

void TfmGeneral::RadioButton3Click() {
    ComboBox2->setEditText(QString());
    Edit6->setText(QStringLiteral("3389"));
}

void TfmGeneral::RadioButton4Click() {
    ComboBox2->setEditText(QStringLiteral("UTF-8"));
    Edit6->setText(QStringLiteral("22"));
    if (!m_selection.gperServerParametrs.PORT_SERVERS.isEmpty())
        Edit6->setText(m_selection.gperServerParametrs.PORT_SERVERS);
}

void TfmGeneral::Image1Click() {
    guarded([this] { m_services.Image1Click(*this); });
}

EditorValues TfmGeneral::editorValues() const {
    EditorValues v;
    v.typeIndex = ComboBox3->currentIndex();
    v.name = Edit1->text();
    v.domainName = Edit5->text();
    v.ipAddress = Edit2->text();
    v.port = Edit6->text();
    v.translation = ComboBox2->currentText();
    v.keySetName = ComboBox1->currentText();
    v.login = Edit3->text();
    v.password = Edit4->text();
    v.sharedKeySet = CheckBox1->isChecked();
    v.addressChoice = RadioButton2->isChecked() ? 2 : RadioButton1->isChecked() ? 1 : 0;
    v.protocol = RadioButton3->isChecked()   ? 1
                 : RadioButton4->isChecked() ? 2
                 : RadioButton5->isChecked() ? 3
                                             : 0;
    v.notes = notesToStore();
    return v;
}

void TfmGeneral::procSaveDataInBase() {
    guarded([this] {
        const SaveOutcome outcome =
            ::procSaveDataInBase(m_db, m_selection, m_tree, m_userId, editorValues(), [this] {
                return m_dialogs.askWarning(this, kOverwriteQuestion) == Dialogs::Answer::Yes;
            });
        showSaveOutcome(outcome);
    });
}

void TfmGeneral::showSaveOutcome(const SaveOutcome& outcome) {
    switch (outcome.result) {
    case SaveResult::Saved:
    case SaveResult::Reloaded:
        fillKeySetBox();
        PAST_VARIABLE_IN_COMPONENTS();
        break;
    case SaveResult::Refused:
    case SaveResult::ObjectDeleted:
        m_dialogs.showError(this, outcome.message);
        break;
    case SaveResult::NothingLoaded:
        break;
    }
}
