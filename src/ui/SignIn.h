#pragma once

#include "app/Variable.h"

#include <QString>
#include <QVector>

// The sign-in window's rules that need no widget.

inline const QString kStatusConnected = QStringLiteral("Подключено");
inline const QString kStatusError = QStringLiteral("Ошибка");
inline const QString kStatusWrongPassword = QStringLiteral("Неверный пароль");
inline const QString kStatusChooseUser = QStringLiteral("Выберите пользователя");
inline const QString kUpgradeQuestion =
    QStringLiteral("Сорян братюнь!\n\rНо требуется обновлениее Базый Данных\n\rРекомендую предварительно "
                   "сделать бэкап\n\rОбновить Базу данных?");

// The path with its extension replaced by ".fdb", or ".fdb" appended when it has
// none. Both '/' and '\\' separate folders, since the path is the server's.
QString withFdbExtension(const QString& path);

// True when index names a real user of the list (not the spare last entry).
bool isUserIndex(const QVector<type_USER_DB>& users, int index);

// Index of the first real user with this ID, -1 when there is none.
int indexOfUserById(const QVector<type_USER_DB>& users, int id);

// The user a remembered automatic sign-in stands for: the entry with the stored ID,
// provided its name and encoded password are still the stored ones. -1 otherwise.
int automaticSignInUser(const QVector<type_USER_DB>& users, int storedId, const QString& storedFio,
                        const QString& storedPass);

// Blanks around the typed password do not count; case does.
bool passwordMatches(const QString& typed, const type_USER_DB& user);
