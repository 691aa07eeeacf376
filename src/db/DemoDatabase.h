#pragma once

#include <QString>
#include <functional>

// The demo installation that scripts/run.sh prepares on first use: a database
// made the way the sign-in window's "Создать" box makes one (schema version 12,
// the first user "admin", then the upgrade to the current version) and a
// config.ini that connects to it automatically.

enum class DemoOutcome {
    Created,   // there was no database file
    Recreated, // the file did not open as a database with our schema, so it was made anew
    Kept,      // a working demo database was there (upgraded when older)
};

// Makes sure a working demo database is at databasePath on host, signing in as
// SYSDBA with the default password, and only then points config.ini (in the
// current config folder) at it, unless config.ini already names a database.
// A file that is not a database, or one without a schema version (a first run
// that was interrupted), is removed and made again; one that other connections
// use is never removed. Failures throw fb::Error; config.ini is then untouched.
// fillContent, when given, runs on a newly made database (current as the run's
// database) after the upgrade.
DemoOutcome prepareDemoDatabase(const QString& host, const QString& databasePath,
                                const std::function<void()>& fillContent = {});
