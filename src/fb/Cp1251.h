#pragma once

#include <QByteArray>
#include <QString>

namespace fb {

// Conversion between Windows code page 1251 and Unicode. Every byte round-trips:
// the one byte the code page leaves undefined (0x98) maps to U+0098 and back.
// Characters the code page lacks become '?', as Windows' own converter does.
QString fromCp1251(const QByteArray& bytes);
QByteArray toCp1251(const QString& text);

// True when every character of text has a byte in code page 1251.
bool fitsCp1251(const QString& text);

} // namespace fb
