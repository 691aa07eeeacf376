// The "Создание пользователей" and "Смена пароля" tabs: the program's own users.

#include "app/Variable.h"
#include "db/TableUserDB.h"
#include "db/UserAccounts.h"
#include "ui/Dialogs.h"
#include "ui/TextRules.h"
#include "ui/unSetings.h"

#include <QLineEdit>

QString TfmSetings::newUserProblem() const {
    const QString name = Edit6->text().trimmed();
    if (name.isEmpty())
        return QStringLiteral("Введите имя пользователя");
    QString problem = cp1251Problem(QStringLiteral("ИМЯ"), name);
    if (problem.isEmpty())
        problem = passwordProblem(QStringLiteral("ПАРОЛЬ"), Edit5->text());
    return problem;
}

// Look-alike names would make the sign-in list and the alerts' authors ambiguous.
void TfmSetings::Button2Click() {
    if (refused(newUserProblem()))
        return;
    bool taken = false;
    if (!guarded([this, &taken] { taken = userNameTaken(Edit6->text()); }))
        return;
    if (taken) {
        m_dialogs.showInfo(this, QStringLiteral("Пользователь «%1» уже есть").arg(Edit6->text().trimmed()));
        return;
    }
    if (!guarded([this] { insert_data_for_table_USER_DB(Edit6->text(), encode_string(Edit5->text())); }))
        return;
    Edit6->clear();
    Edit5->clear();
}

void TfmSetings::BitBtn4Click() {
    guarded([this] { changeOwnPassword(); });
}

void TfmSetings::changeOwnPassword() {
    const StoredUserPassword stored = readStoredPassword(gperID_USER_DB);
    if (!stored.found) {
        m_dialogs.showInfo(this, kUserNotFound);
        return;
    }
    if (Edit7->text() != decode_string(stored.pass.value_or(QString()).trimmed())) {
        m_dialogs.showInfo(this, kWrongOldPassword);
        return;
    }
    if (Edit8->text() != Edit9->text()) {
        m_dialogs.showInfo(this, kPasswordsDiffer);
        return;
    }
    if (refused(passwordProblem(QStringLiteral("Новый пароль"), Edit8->text())))
        return;
    switch (changePasswordIfUnchanged(gperID_USER_DB, stored.pass, encode_string(Edit8->text()))) {
    case PasswordChange::Changed:
        m_dialogs.showInfo(this, kPasswordChanged);
        close();
        return;
    case PasswordChange::PasswordChangedMeanwhile:
        m_dialogs.showInfo(this, kWrongOldPassword);
        return;
    case PasswordChange::UserGone:
        m_dialogs.showInfo(this, kUserNotFound);
        return;
    }
}
