#include "launch/KeyCodeMap.h"

#include "app/IniFormat.h"

namespace {

// X keysyms (X11/keysymdef.h).
constexpr quint32 XK_Shift_L = 0xffe1, XK_Shift_R = 0xffe2, XK_Control_L = 0xffe3, XK_Control_R = 0xffe4,
                  XK_Alt_L = 0xffe9, XK_Alt_R = 0xffea, XK_ISO_Level3_Shift = 0xfe03, XK_Super_L = 0xffeb,
                  XK_Super_R = 0xffec, XK_F1 = 0xffbe, XK_KP_0 = 0xffb0, XK_Left = 0xff51;

struct FixedKey {
    int virtualKey;
    quint32 keysym;
};

constexpr FixedKey kFixedKeys[] = {
    {8, 0xff08},   {9, 0xff09},   {13, 0xff0d},  {19, 0xff13},  {20, 0xffe5},  {27, 0xff1b},  {32, 0x0020},
    {33, 0xff55},  {34, 0xff56},  {35, 0xff57},  {36, 0xff50},  {45, 0xff63},  {46, 0xffff},  {93, 0xff67},
    {106, 0xffaa}, {107, 0xffab}, {109, 0xffad}, {110, 0xffae}, {111, 0xffaf}, {144, 0xff7f}, {145, 0xff14},
};

} // namespace

QVector<quint32> keysymsForVirtualKey(int virtualKey) {
    switch (virtualKey) {
    case 16:
        return {XK_Shift_L, XK_Shift_R};
    case 17:
        return {XK_Control_L, XK_Control_R};
    case 18:
        return {XK_Alt_L, XK_Alt_R, XK_ISO_Level3_Shift};
    case 160:
        return {XK_Shift_L};
    case 161:
        return {XK_Shift_R};
    case 162:
        return {XK_Control_L};
    case 163:
        return {XK_Control_R};
    case 164:
        return {XK_Alt_L};
    case 165:
        return {XK_Alt_R, XK_ISO_Level3_Shift}; // right Alt is AltGr on many layouts
    case 91:
        return {XK_Super_L};
    case 92:
        return {XK_Super_R};
    default:
        break;
    }
    if (virtualKey >= '0' && virtualKey <= '9')
        return {static_cast<quint32>(virtualKey)};
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return {static_cast<quint32>(virtualKey - 'A' + 'a'), static_cast<quint32>(virtualKey)};
    if (virtualKey >= 37 && virtualKey <= 40)
        return {XK_Left + static_cast<quint32>(virtualKey - 37)};
    if (virtualKey >= 96 && virtualKey <= 105)
        return {XK_KP_0 + static_cast<quint32>(virtualKey - 96)};
    if (virtualKey >= 112 && virtualKey <= 135)
        return {XK_F1 + static_cast<quint32>(virtualKey - 112)};
    for (const FixedKey& key : kFixedKeys) {
        if (key.virtualKey == virtualKey)
            return {key.keysym};
    }
    return {};
}

std::optional<int> parseVirtualKeyCode(const QString& text) {
    const auto value = ini::parseInteger(text.trimmed().toLatin1());
    if (!value)
        return std::nullopt;
    return *value;
}
