#pragma once

#include <QString>
#include <QVector>
#include <optional>

// config.ini keeps Windows virtual-key codes (162 left Ctrl, "$11" Ctrl); X names
// keys by keysym. The codes for "either side" (16 Shift, 17 Ctrl, 18 Alt) give both
// sides' keysyms. Empty for a code we do not know.
QVector<quint32> keysymsForVirtualKey(int virtualKey);

// A stored key code: decimal, or hexadecimal after "$" or "0x". Nothing when it is
// not a number.
std::optional<int> parseVirtualKeyCode(const QString& text);
