#include "ui/SetingsRules.h"

#include "app/IniFormat.h"
#include "fb/Cp1251.h"

#include <QDir>

namespace {

QString orFallback(const QString& stored, const char* fallback) {
    const QString trimmed = stored.trimmed();
    return trimmed.isEmpty() ? QString::fromLatin1(fallback) : trimmed;
}

bool inRange(const QString& text, int lowest, int highest) {
    const auto value = typedInteger(text);
    return value && *value >= lowest && *value <= highest;
}

} // namespace

int shownTransparency(int stored) {
    return stored <= 0 ? 255 : (stored & 0xFF);
}

QString shownCodeKey(const QString& stored) {
    return orFallback(stored, "$11");
}

QString shownSleep(int stored) {
    return stored < 0 ? QStringLiteral("120") : QString::number(stored);
}

QString shownHotkey1(const QString& stored) {
    return orFallback(stored, "162");
}

QString shownHotkey2(const QString& stored) {
    return orFallback(stored, "164");
}

bool selectsSecond(int stored) {
    return stored != 0 && stored != -1;
}

QString defaultFolder(const QString& name) {
    return QDir::toNativeSeparators(QDir::currentPath() + QLatin1Char('/') + name + QLatin1Char('/'));
}

QString shownFolder(const QString& stored, const QString& defaultName) {
    const QString trimmed = stored.trimmed();
    return trimmed.isEmpty() ? defaultFolder(defaultName) : trimmed;
}

std::optional<int> typedInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!fb::fitsCp1251(trimmed))
        return std::nullopt;
    return ini::parseInteger(fb::toCp1251(trimmed));
}

// 0 would make the key watcher poll without pause.
QString reactionTimeProblem(const QString& fieldCaption, const QString& text) {
    if (inRange(text, 1, 60000))
        return {};
    return QStringLiteral("Поле «%1»: введите целое число миллисекунд от 1 до 60000").arg(fieldCaption);
}

QString keyCodeProblem(const QString& fieldCaption, const QString& text) {
    if (inRange(text, 1, 254))
        return {};
    return QStringLiteral(
               "Поле «%1»: введите код клавиши от 1 до 254, десятичный или шестнадцатеричный после «$»")
        .arg(fieldCaption);
}
