#include "ui/SignIn.h"

#include <algorithm>

QString withFdbExtension(const QString& path) {
    const qsizetype folderEnd =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > folderEnd ? path.left(dot) : path;
    return stem + QStringLiteral(".fdb");
}

bool isUserIndex(const QVector<type_USER_DB>& users, int index) {
    // The last entry is the spare empty one that no list item stands for.
    return index >= 0 && index < users.size() - 1;
}

int indexOfUserById(const QVector<type_USER_DB>& users, int id) {
    for (int i = 0; isUserIndex(users, i); ++i) {
        if (users[i].ID == id)
            return i;
    }
    return -1;
}

int automaticSignInUser(const QVector<type_USER_DB>& users, int storedId, const QString& storedFio,
                        const QString& storedPass) {
    const int index = indexOfUserById(users, storedId);
    if (index < 0)
        return -1;
    const type_USER_DB& user = users[index];
    return user.FIO == storedFio && user.PASS == storedPass ? index : -1;
}

bool passwordMatches(const QString& typed, const type_USER_DB& user) {
    return typed.trimmed() == decode_string(user.PASS);
}
