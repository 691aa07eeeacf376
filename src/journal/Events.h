#pragma once

#include "journal/ChangeRecord.h"

#include <QString>
#include <QVector>
#include <optional>

// The desktop alert that a journal entry raises: header and message texts, and
// the rules for showing other users' text safely.

struct AlertText {
    QString header;
    QString message;

    bool operator==(const AlertText&) const = default;
};

// The characters of InputStr equal to InputSubStr, a one-character string; a
// longer or empty one matches nothing.
int CntChRepet(const QString& InputStr, const QString& InputSubStr);

// "Сервер", "Папка", "Сайт" for 0, 1, 2; empty otherwise.
QString objectTypeName(int typeNode);
// "RDP", "SSH", "Browser" for 1, 2, 3; empty otherwise.
QString protocolName(int rdpOrSsh);

// The alert of one entry, headed by its author's name. Lines end with "\n\r", as
// older copies write them. Entries of an unknown kind raise no alert.
std::optional<AlertText> alertTextFor(const type_ParametersOfEvents& entry, const QString& authorName);

// "изменение", "изменения" or "изменений", as the number asks.
QString changesWord(int count);
// "И ещё N изменений" with the right form of the word.
QString moreChangesText(int count);

inline constexpr int kAlertsPerCatchUp = 3;

// What one catch-up shows: nothing with alerts off; otherwise the first three
// alerts, and for the rest one summary headed by their authors.
QVector<AlertText> alertsToShow(const QVector<AlertText>& raised, bool showEvents);

// Alert text is other clients' data: plain text with control characters dropped
// except line breaks; "\n\r", "\r\n" and a lone "\r" each become one "\n".
QString alertPlainText(const QString& text);
