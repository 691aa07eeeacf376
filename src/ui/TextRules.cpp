#include "ui/TextRules.h"

#include "app/Variable.h"
#include "fb/Cp1251.h"

namespace {

QString missingCharacters(const QString& text) {
    QString missing;
    for (const QChar c : text) {
        if (!fb::fitsCp1251(QString(c)) && !missing.contains(c))
            missing += c;
    }
    return missing;
}

} // namespace

QString cp1251Problem(const QString& fieldCaption, const QString& text) {
    if (fb::fitsCp1251(text))
        return {};
    return QStringLiteral("Поле «%1» содержит символы, которых нет в кодировке Windows-1251: %2")
        .arg(fieldCaption, missingCharacters(text));
}

QString configValueProblem(const QString& fieldCaption, const QString& text) {
    const QString problem = cp1251Problem(fieldCaption, text);
    if (!problem.isEmpty())
        return problem;
    if (text.size() > kMaxConfigValueLength)
        return QStringLiteral("Поле «%1» длиннее %2 символов").arg(fieldCaption).arg(kMaxConfigValueLength);
    return {};
}

QString passwordProblem(const QString& fieldCaption, const QString& password) {
    const QString problem = cp1251Problem(fieldCaption, password);
    if (!problem.isEmpty())
        return problem;
    const QString stored = encode_string(password).trimmed();
    if (decode_string(stored) == password)
        return {};
    if (password.startsWith(QLatin1Char('&')) || password.endsWith(QLatin1Char('&')))
        return QStringLiteral("Поле «%1»: пароль не может начинаться или заканчиваться символом «&»")
            .arg(fieldCaption);
    return QStringLiteral("Поле «%1»: пароль не может начинаться или заканчиваться этим символом")
        .arg(fieldCaption);
}
