#include "Variable.h"

#include "fb/Cp1251.h"

type_StuctureIniFile ConfIniFile;
QVector<type_USER_DB> mas_USER_DB;
int gperID_USER_DB = 0;
bool gperCopyPassToBufer = false;
bool gperBrowserByDefaultBool = false;
QString grepBrowserByDefaultPath;
bool gperShowEvents = false;
int gperMONITOR = 0;
int gperPOSITION = 0;
QString gperNeedToRestartProgramm;

namespace {

constexpr qsizetype kMaxCodecBytes = 255;
constexpr char kCodecMask = 0x06;

QString maskBytes(const QString& s) {
    QByteArray bytes = fb::toCp1251(s).left(kMaxCodecBytes);
    for (char& byte : bytes)
        byte = static_cast<char>(byte ^ kCodecMask);
    return fb::fromCp1251(bytes);
}

} // namespace

QString encode_string(const QString& s) {
    return maskBytes(s);
}

QString decode_string(const QString& s) {
    return maskBytes(s);
}
