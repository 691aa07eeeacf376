#pragma once

#include <QString>

// Checks on what a user typed, before anything is stored. Each gives a Russian
// message naming the field, or empty text when the value can be kept as typed.

// Text that code page 1251 cannot hold would come back with "?" in its place.
QString cp1251Problem(const QString& fieldCaption, const QString& text);

// config.ini gives back at most this many characters of a value.
inline constexpr int kMaxConfigValueLength = 2047;
QString configValueProblem(const QString& fieldCaption, const QString& text);

// A password is stored encoded and read back trimmed: one that begins or ends with
// a character that encodes to a blank ("&" among them) would come back different.
QString passwordProblem(const QString& fieldCaption, const QString& password);
