#include "tree/KeySetList.h"

#include "app/RunDatabase.h"
#include "app/Variable.h"
#include "fb/Query.h"

QVector<type_LOGIN_PASS> readVisibleKeySets(RunDatabase& db, int userId) {
    UseRunDatabase use(db);
    QVector<type_LOGIN_PASS> list;
    const auto query = select_data_of_table_LOGIN_PASS_and_past_data_to_combobox(userId, false);
    for (; !query->eof(); query->next()) {
        type_LOGIN_PASS keySet;
        keySet.ID = query->fieldByName(QStringLiteral("ID")).asInteger();
        keySet.NAME = query->fieldByName(QStringLiteral("NAME")).asString().trimmed();
        keySet.LOGIN = query->fieldByName(QStringLiteral("LOGIN")).asString().trimmed();
        keySet.PASS = decode_string(query->fieldByName(QStringLiteral("PASS")).asString().trimmed());
        keySet.PERSONAL = query->fieldByName(QStringLiteral("PERSONAL")).asInteger();
        list.append(keySet);
    }
    list.append(type_LOGIN_PASS{});
    return list;
}

bool isListedKeySet(const QVector<type_LOGIN_PASS>& list, int index) {
    return index >= 0 && index < list.size() - 1;
}

int listedKeySetIndex(const QVector<type_LOGIN_PASS>& list, int id) {
    if (id <= 0)
        return -1;
    for (int i = 0; isListedKeySet(list, i); ++i) {
        if (list[i].ID == id)
            return i;
    }
    return -1;
}

int keySetIndexToShow(const QVector<type_LOGIN_PASS>& list, int perID_LOGIN_PASS, int perDEFAUL_PASS) {
    const int own = listedKeySetIndex(list, perID_LOGIN_PASS);
    return own >= 0 ? own : listedKeySetIndex(list, perDEFAUL_PASS);
}

int keySetIndexByName(const QVector<type_LOGIN_PASS>& list, const QString& typed) {
    for (int i = 0; isListedKeySet(list, i); ++i) {
        if (list[i].NAME.compare(typed, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool isVisibleTo(const type_LOGIN_PASS& keySet, int userId) {
    return keySet.PERSONAL == 0 || keySet.PERSONAL == userId;
}
