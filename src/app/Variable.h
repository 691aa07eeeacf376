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
// Whether change alerts are shown (setting ShowEvents); trees are patched either way.
extern bool gperShowEvents;

// The stored-password codec: each is its own inverse. Works on the code page 1251
// bytes of the text; at most 255 of them are kept.
QString encode_string(const QString& s);
QString decode_string(const QString& s);
