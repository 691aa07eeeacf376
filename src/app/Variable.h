#pragma once

#include <QString>
#include <QVector>

// Process-wide state shared by the windows and the database modules. Everything
// here is used on the user-interface thread only.

struct type_StuctureIniFile {
    QString PatchToBasse; // database path as the server sees it
    QString LoginByBasse;
    QString PassByBasse;
    QString IP;
};

struct type_USER_DB {
    int ID = 0;
    QString FIO;  // trimmed
    QString PASS; // encoded, trimmed
};

extern type_StuctureIniFile ConfIniFile;
// The users as the server returned them, plus one empty entry at the end.
extern QVector<type_USER_DB> mas_USER_DB;
extern int gperID_USER_DB;

// Copies of settings from config.ini, set when the main window is made and by the
// settings window.
extern bool gperCopyPassToBufer;
extern bool gperBrowserByDefaultBool;
extern QString grepBrowserByDefaultPath;
extern bool gperShowEvents;
extern int gperMONITOR;  // 0 first monitor, 1 second
extern int gperPOSITION; // 0 left edge, 1 right edge
// A request to restart the program, shown in the main window's status bar; empty
// when there is none.
extern QString gperNeedToRestartProgramm;

// The stored-password codec: each is its own inverse. Works on the code page 1251
// bytes of the text; at most 255 of them are kept.
QString encode_string(const QString& s);
QString decode_string(const QString& s);
