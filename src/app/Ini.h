#pragma once

#include <QString>

// config.ini beside the executable. Every call opens the file, reads or writes one
// key and closes it again, so a write is visible to the very next read.
// A missing file, section or key reads as the default: empty text, -1, false.

QString Read_ini_str(const QString& perUnit, const QString& perKey);
int Read_ini_int(const QString& perUnit, const QString& perKey);
bool Read_ini_bool(const QString& perUnit, const QString& perKey);

// Throw fb::Error "Unable to write to <full path>" when the file cannot be written;
// the existing file is then left as it was. A value holding a line break, or a
// name that would break the file's structure, is refused with fb::Error as well.
void Write_ini_str(const QString& perUnit, const QString& perKey, const QString& perParam);
void Write_ini_int(const QString& perUnit, const QString& perKey, int perParam);
void Write_ini_bool(const QString& perUnit, const QString& perKey, bool perParam);

// The executable's folder followed by "config.ini", unless setConfigFolder chose
// another folder.
QString configFilePath();
// Points the module at config.ini in folder; an empty folder restores the default.
void setConfigFolder(const QString& folder);
