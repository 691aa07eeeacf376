#include "fb/Cp1251.h"

#include <gtest/gtest.h>

using fb::fromCp1251;
using fb::toCp1251;

TEST(Cp1251, EveryByteRoundTrips) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromCp1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1251(text), all);
}

TEST(Cp1251, CyrillicLettersMapToTheirUnicode) {
    const QString word = QStringLiteral("Сорян Ёж ёж ЯЯ");
    const QByteArray bytes = toCp1251(word);
    EXPECT_EQ(bytes, QByteArray("\xD1\xEE\xF0\xFF\xED \xA8\xE6 \xB8\xE6 \xDF\xDF"));
    EXPECT_EQ(fromCp1251(bytes), word);
    EXPECT_EQ(fromCp1251(QByteArray("\x88\xB9")), QStringLiteral("€№"));
}

TEST(Cp1251, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toCp1251(QStringLiteral("a\u00e9b\u4e2d")), QByteArray("a?b?"));
    EXPECT_FALSE(fb::fitsCp1251(QStringLiteral("caf\u00e9")));
    EXPECT_TRUE(fb::fitsCp1251(QStringLiteral("Привет, мир!")));
}
