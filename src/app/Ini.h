#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// config.ini beside the executable. Every call opens the file, reads or writes one
// key and closes it again, so a write is visible to the very next read.
// A missing file, section or key reads as the default: empty text, -1, false.

QString Read_ini_str(const QString& perUnit, const QString& perKey);
int Read_ini_int(const QString& perUnit, const QString& perKey);
bool Read_ini_bool(const QString& perUnit, const QString& perKey);

// Throw fb::Error "Unable to write to <full path>" when the file cannot be written;
// the existing file is then left as it was. A value holding a line break, text the
// code page 1251 lacks, a value longer than a read returns (2047 characters), or a
// name that would break the file's structure, is refused with fb::Error as well.
void Write_ini_str(const QString& perUnit, const QString& perKey, const QString& perParam);
void Write_ini_int(const QString& perUnit, const QString& perKey, int perParam);
void Write_ini_bool(const QString& perUnit, const QString& perKey, bool perParam);

// Several keys written in one rewrite of the file, in the order given; every other
// byte stays as it was. Either all of them are written or, when one is refused or
// the file cannot be written, none: the file is then left as it was.
class IniBatch {
public:
    void str(const QString& perUnit, const QString& perKey, const QString& perParam);
    void integer(const QString& perUnit, const QString& perKey, int perParam);
    void boolean(const QString& perUnit, const QString& perKey, bool perParam);
    bool isEmpty() const { return m_entries.isEmpty(); }
    // Throws fb::Error as the single writes do.
    void write() const;

private:
    struct Entry {
        QString unit, key;
        QString text; // as given, to check it against the code page
        QByteArray value;
    };
    QList<Entry> m_entries;
};

// The executable's folder followed by "config.ini", unless setConfigFolder chose
// another folder.
QString configFilePath();
// Points the module at config.ini in folder; an empty folder restores the default.
void setConfigFolder(const QString& folder);
