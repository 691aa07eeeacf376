#include "app/Variable.h"
#include "fb/Cp1251.h"

#include <gtest/gtest.h>

namespace {

QString bytesText(const QByteArray& bytes) {
    return fb::fromCp1251(bytes);
}

TEST(PasswordCodec, MasksEveryCp1251ByteWithSix) {
    EXPECT_EQ(encode_string(QStringLiteral("abc")), QStringLiteral("gde"));
    // А is 0xC0 in code page 1251; 0xC6 is Ж.
    EXPECT_EQ(encode_string(QStringLiteral("А")), QStringLiteral("Ж"));
    EXPECT_EQ(fb::toCp1251(encode_string(QStringLiteral("&"))), QByteArray(" "));
}

TEST(PasswordCodec, IsItsOwnInverseAndKeepsLength) {
    const QStringList passwords = {QString(), QStringLiteral("secret"), QStringLiteral("Пароль №1 ёЁ"),
                                   QStringLiteral("mixed Ключ 123!")};
    for (const QString& password : passwords) {
        const QString encoded = encode_string(password);
        EXPECT_EQ(encoded.size(), password.size()) << password.toStdString();
        EXPECT_EQ(decode_string(encoded), password) << password.toStdString();
        EXPECT_EQ(encode_string(encoded), password) << password.toStdString();
        EXPECT_EQ(decode_string(password), encoded) << password.toStdString();
    }
}

TEST(PasswordCodec, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = bytesText(all);
    EXPECT_EQ(fb::toCp1251(decode_string(encode_string(text))), all);
}

TEST(PasswordCodec, KeepsOnlyTheFirst255Bytes) {
    const QString ascii(300, QLatin1Char('p'));
    EXPECT_EQ(encode_string(ascii), QString(255, QLatin1Char('v')));
    const QString cyrillic(300, QChar(0x0416)); // Ж, one byte in code page 1251
    EXPECT_EQ(encode_string(cyrillic), QString(255, QChar(0x0410)));
    EXPECT_EQ(decode_string(encode_string(cyrillic)), cyrillic.left(255));
}

} // namespace
