#pragma once

#include <QString>
#include <QStringList>

namespace fb {

// A statement whose ":name" placeholders were turned into the positional "?" that
// Firebird accepts. names[i] is the name bound to the i-th "?"; a name used twice
// takes two slots.
struct PositionalSql {
    QString sql;
    QStringList names;
};

// Names are letters, digits, '_' and '$' after a colon. Literals ('...', with ''
// doubled, and q'{...}'), "quoted identifiers" and comments are copied unchanged.
PositionalSql toPositional(const QString& sql);

} // namespace fb
