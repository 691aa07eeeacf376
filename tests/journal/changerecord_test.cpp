#include "fb/Cp1251.h"
#include "journal/ChangeRecord.h"

#include <QtEndian>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

QByteArray hexBytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray int32Bytes(qint32 value) {
    char buffer[4];
    qToLittleEndian(value, buffer);
    return QByteArray(buffer, 4);
}

type_ParametersOfEvents fullRecord() {
    type_ParametersOfEvents r;
    r.UserID_ = 3;
    r.Type_ = 2;
    r.ID_Parent_before = 11;
    r.ID_Parent_after = 12;
    r.ID_ICO_TREETABLE_before = 4;
    r.ID_ICO_TREETABLE_after = 5;
    r.Position_ = 6;
    r.IDchildren_ = 7;
    r.TYPE_NODE_before = 0;
    r.TYPE_NODE_after = 2;
    r.IndexSelectNode = 42;
    r.ID_LOGIN_PASS_before = 8;
    r.ID_LOGIN_PASS_after = 9;
    r.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_before = 1;
    r.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = 2;
    r.Path_before = QStringLiteral("\\Серверы\\Москва");
    r.Path_after = QStringLiteral("\\Архив\\Москва");
    r.Text_ = QStringLiteral("Москва");
    r.TEXT_TREETABLE_after = QStringLiteral("Москва-2 «ЁЖ»");
    r.DOMAIN_NAME_SERVERS_before = QStringLiteral("msk.example.ru");
    r.DOMAIN_NAME_SERVERS_after = QStringLiteral("https://msk.example.ru/панель");
    r.IP_ADDRES_SERVERS_before = QStringLiteral("10.0.0.1");
    r.IP_ADDRES_SERVERS_after = QStringLiteral("10.0.0.2");
    r.LOGIN_LOGIN_PASS_before = QStringLiteral("admin");
    r.LOGIN_LOGIN_PASS_after = QStringLiteral("администратор");
    r.NAME_LOGIN_PASS_before = QStringLiteral("Общий");
    r.NAME_LOGIN_PASS_after = QStringLiteral("Личный №1");
    r.PASS_LOGIN_PASS_before = QStringLiteral("p@ss €");
    r.PASS_LOGIN_PASS_after = QStringLiteral("пароль");
    r.PORT_SERVERS_before = QStringLiteral("3389");
    r.PORT_SERVERS_after = QStringLiteral("22");
    return r;
}

} // namespace

TEST(ChangeRecordLayout, AllEmptyRecordIs124ZeroBytes) {
    const QByteArray bytes = serializeChangeRecord(type_ParametersOfEvents{});
    EXPECT_EQ(bytes, QByteArray(124, '\0'));
    EXPECT_EQ(deserializeChangeRecord(bytes), type_ParametersOfEvents{});
}

TEST(ChangeRecordLayout, DeletionExampleByteForByte) {
    type_ParametersOfEvents r;
    r.UserID_ = 1;
    r.Type_ = 4;
    r.ID_Parent_before = 7;
    r.Path_before = QStringLiteral("\\A");

    QByteArray expected = hexBytes("01000000"
                                   "04000000"
                                   "07000000");
    expected += QByteArray(48, '\0');
    expected += hexBytes("02000000"
                         "5c004100");
    expected += QByteArray(60, '\0');

    const QByteArray bytes = serializeChangeRecord(r);
    ASSERT_EQ(bytes.size(), 128);
    EXPECT_EQ(bytes.toHex(), expected.toHex());
    EXPECT_EQ(deserializeChangeRecord(bytes), r);
}

TEST(ChangeRecordLayout, IntegersAreLittleEndianInFieldOrder) {
    type_ParametersOfEvents r;
    r.UserID_ = 0x01020304;
    r.RDP_OR_SSH_SERVERS_WITH_LOGIN_PASSS_after = 0x0A0B0C0D;
    const QByteArray bytes = serializeChangeRecord(r);
    EXPECT_EQ(bytes.mid(0, 4), hexBytes("04030201"));
    EXPECT_EQ(bytes.mid(56, 4), hexBytes("0d0c0b0a"));
}

TEST(ChangeRecordLayout, StringsFollowInFieldOrder) {
    type_ParametersOfEvents r;
    r.Path_before = QStringLiteral("a");
    r.PORT_SERVERS_after = QStringLiteral("22");
    const QByteArray bytes = serializeChangeRecord(r);
    ASSERT_EQ(bytes.size(), 124 + 2 * 3);
    EXPECT_EQ(bytes.mid(60, 6), hexBytes("01000000 6100"));
    EXPECT_EQ(bytes.right(8), hexBytes("02000000 32003200"));
}

TEST(ChangeRecordLayout, NegativeIntegersAreTwosComplement) {
    type_ParametersOfEvents r;
    r.Type_ = -1;
    r.ID_Parent_before = std::numeric_limits<int>::min();
    r.IndexSelectNode = std::numeric_limits<int>::max();
    const QByteArray bytes = serializeChangeRecord(r);
    EXPECT_EQ(bytes.mid(4, 4), hexBytes("ffffffff"));
    EXPECT_EQ(bytes.mid(8, 4), hexBytes("00000080"));
    EXPECT_EQ(bytes.mid(40, 4), hexBytes("ffffff7f"));
    EXPECT_EQ(deserializeChangeRecord(bytes), r);
}

TEST(ChangeRecordLayout, LengthIs124PlusTwiceTheStringLengths) {
    const type_ParametersOfEvents r = fullRecord();
    qsizetype units = 0;
    for (const QString* s :
         {&r.Path_before, &r.Path_after, &r.Text_, &r.TEXT_TREETABLE_after, &r.DOMAIN_NAME_SERVERS_before,
          &r.DOMAIN_NAME_SERVERS_after, &r.IP_ADDRES_SERVERS_before, &r.IP_ADDRES_SERVERS_after,
          &r.LOGIN_LOGIN_PASS_before, &r.LOGIN_LOGIN_PASS_after, &r.NAME_LOGIN_PASS_before,
          &r.NAME_LOGIN_PASS_after, &r.PASS_LOGIN_PASS_before, &r.PASS_LOGIN_PASS_after,
          &r.PORT_SERVERS_before, &r.PORT_SERVERS_after})
        units += s->size();
    EXPECT_EQ(serializeChangeRecord(r).size(), 124 + 2 * units);
}

TEST(CountedString, LengthOneTakesSixBytes) {
    QByteArray stream;
    WriteStringToStream(stream, QStringLiteral("Ж"));
    EXPECT_EQ(stream, hexBytes("01000000 1604"));
}

TEST(CountedString, EmptyStringIsOnlyTheCount) {
    QByteArray stream;
    WriteStringToStream(stream, QString());
    EXPECT_EQ(stream, hexBytes("00000000"));
}

TEST(CountedString, AppendsToWhatIsThere) {
    QByteArray stream("xy");
    WriteStringToStream(stream, QStringLiteral("b"));
    EXPECT_EQ(stream, QByteArray("xy") + hexBytes("01000000 6200"));
}

TEST(CountedString, ReadsSuccessiveStringsAndAdvances) {
    QByteArray stream;
    WriteStringToStream(stream, QStringLiteral("Папка"));
    WriteStringToStream(stream, QString());
    WriteStringToStream(stream, QStringLiteral("x"));
    ByteStreamReader reader(stream);
    EXPECT_EQ(ReadStringFromStream(reader), QStringLiteral("Папка"));
    EXPECT_EQ(reader.position(), 4 + 10);
    EXPECT_EQ(ReadStringFromStream(reader), QString());
    EXPECT_EQ(ReadStringFromStream(reader), QStringLiteral("x"));
    EXPECT_EQ(reader.remaining(), 0);
}

TEST(CodePage, RussianTextRoundTripsUnchanged) {
    const type_ParametersOfEvents r = fullRecord();
    EXPECT_EQ(deserializeChangeRecord(serializeChangeRecord(r)), r);
}

TEST(CodePage, EveryCp1251CharacterRoundTrips) {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    type_ParametersOfEvents r;
    r.Text_ = fb::fromCp1251(all);
    EXPECT_EQ(deserializeChangeRecord(serializeChangeRecord(r)).Text_, r.Text_);
}

TEST(CodePage, CharacterOutsideCp1251IsWrittenAsQuestionMark) {
    QByteArray stream;
    WriteStringToStream(stream, QStringLiteral("a中b"));
    EXPECT_EQ(stream, hexBytes("03000000 61003f006200"));

    type_ParametersOfEvents r;
    r.PASS_LOGIN_PASS_after = QStringLiteral("ключ中");
    EXPECT_EQ(deserializeChangeRecord(serializeChangeRecord(r)).PASS_LOGIN_PASS_after,
              QStringLiteral("ключ?"));
}

TEST(CodePage, ReaderMapsForeignUtf16ThroughCp1251) {
    // Another writer may have stored characters the code page lacks.
    const QByteArray stream = hexBytes("02000000 2d4e1604");
    ByteStreamReader reader(stream);
    EXPECT_EQ(ReadStringFromStream(reader), QStringLiteral("?Ж"));
}

TEST(CorruptedEntry, EmptyEntryThrows) {
    EXPECT_THROW(deserializeChangeRecord(QByteArray()), ChangeRecordError);
}

TEST(CorruptedEntry, ShorterThanTheIntegersThrows) {
    EXPECT_THROW(deserializeChangeRecord(QByteArray(59, '\0')), ChangeRecordError);
}

TEST(CorruptedEntry, EveryTruncationThrows) {
    const QByteArray bytes = serializeChangeRecord(fullRecord());
    for (qsizetype length = 0; length < bytes.size(); ++length)
        EXPECT_THROW(deserializeChangeRecord(bytes.left(length)), ChangeRecordError) << "length " << length;
}

TEST(CorruptedEntry, NegativeCountThrowsWithClearMessage) {
    QByteArray bytes = serializeChangeRecord({});
    bytes.replace(60, 4, int32Bytes(-1));
    try {
        deserializeChangeRecord(bytes);
        FAIL() << "no error";
    } catch (const ChangeRecordError& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("negative string length -1 at offset 60")))
            << error.text().toStdString();
        EXPECT_TRUE(error.text().startsWith(QStringLiteral("Stream read error")));
    }
}

TEST(CorruptedEntry, HugeCountThrowsWithoutAllocating) {
    QByteArray bytes = serializeChangeRecord({});
    bytes.replace(64, 4, int32Bytes(std::numeric_limits<qint32>::max()));
    try {
        deserializeChangeRecord(bytes);
        FAIL() << "no error";
    } catch (const ChangeRecordError& error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("runs past the end"))) << error.text().toStdString();
    }
}

TEST(CorruptedEntry, CountOneUnitTooLongThrows) {
    QByteArray stream = hexBytes("02000000 4100");
    ByteStreamReader reader(stream);
    EXPECT_THROW(ReadStringFromStream(reader), ChangeRecordError);
    EXPECT_EQ(reader.position(), 4);
}

TEST(CorruptedEntry, OddTrailingByteInsideAStringThrows) {
    QByteArray stream = hexBytes("01000000 41");
    ByteStreamReader reader(stream);
    EXPECT_THROW(ReadStringFromStream(reader), ChangeRecordError);
}

TEST(CorruptedEntry, BytesAfterTheLastStringAreIgnored) {
    // No version field exists: a later writer may append fields, and older readers keep working.
    const type_ParametersOfEvents r = fullRecord();
    const QByteArray bytes = serializeChangeRecord(r) + QByteArray("\x01\x02\x03", 3);
    EXPECT_EQ(deserializeChangeRecord(bytes), r);
}

TEST(ByteStream, NeverReadsPastTheEnd) {
    const QByteArray bytes = hexBytes("0102030405");
    ByteStreamReader reader(bytes);
    EXPECT_EQ(reader.readInt32(), 0x04030201);
    EXPECT_THROW(reader.readInt32(), ChangeRecordError);
    EXPECT_EQ(reader.position(), 4);
    EXPECT_THROW(reader.readBytes(-1), ChangeRecordError);
    EXPECT_EQ(reader.readBytes(1), hexBytes("05"));
    EXPECT_EQ(reader.readBytes(0), QByteArray());
}

namespace {

QString randomText(std::mt19937& rng) {
    static const QString alphabet = QStringLiteral("abcXYZ019 \\.-_АБВЁЖЯабвёжя№€«»中");
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
    QString text;
    for (int n = length(rng); n > 0; --n)
        text.append(alphabet[pick(rng)]);
    return text;
}

type_ParametersOfEvents randomRecord(std::mt19937& rng) {
    std::uniform_int_distribution<int> anyInt(std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max());
    type_ParametersOfEvents r;
    for (int* field : {&r.UserID_, &r.Type_, &r.ID_Parent_before, &r.IndexSelectNode, &r.ID_LOGIN_PASS_after})
        *field = anyInt(rng);
    for (QString* field : {&r.Path_before, &r.Path_after, &r.Text_, &r.NAME_LOGIN_PASS_before,
                           &r.PASS_LOGIN_PASS_after, &r.PORT_SERVERS_after})
        *field = randomText(rng);
    return r;
}

// Either a record or the clear error: nothing else may come out of a corrupted entry.
void expectRecordOrReadError(const QByteArray& bytes) {
    try {
        const type_ParametersOfEvents r = deserializeChangeRecord(bytes);
        EXPECT_LE(serializeChangeRecord(r).size(), bytes.size());
    } catch (const ChangeRecordError& error) {
        EXPECT_TRUE(error.text().startsWith(QStringLiteral("Stream read error")));
    }
}

} // namespace

TEST(ChangeRecordFuzz, RandomRecordsRoundTripAfterCp1251Mapping) {
    std::mt19937 rng(20240517);
    for (int i = 0; i < 500; ++i) {
        const type_ParametersOfEvents r = randomRecord(rng);
        const type_ParametersOfEvents back = deserializeChangeRecord(serializeChangeRecord(r));
        EXPECT_EQ(back.Path_before, fb::fromCp1251(fb::toCp1251(r.Path_before)));
        EXPECT_EQ(back.UserID_, r.UserID_);
        EXPECT_EQ(serializeChangeRecord(back), serializeChangeRecord(r));
    }
}

TEST(ChangeRecordFuzz, CorruptedAndTruncatedEntriesNeverCrash) {
    std::mt19937 rng(7331);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> flips(1, 6);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes = serializeChangeRecord(randomRecord(rng));
        std::uniform_int_distribution<qsizetype> offset(0, bytes.size() - 1);
        for (int n = flips(rng); n > 0; --n)
            bytes[offset(rng)] = char(byte(rng));
        std::uniform_int_distribution<qsizetype> cut(0, bytes.size());
        expectRecordOrReadError(bytes);
        expectRecordOrReadError(bytes.left(cut(rng)));
    }
}

TEST(ChangeRecordFuzz, CountsSetToEdgeValuesNeverCrash) {
    std::mt19937 rng(99);
    const qint32 edges[] = {-1, INT32_MIN, INT32_MAX, 0x40000000, 0x3FFFFFFF, 1, 200};
    for (int i = 0; i < 1000; ++i) {
        QByteArray bytes = serializeChangeRecord(randomRecord(rng));
        // Walk the counts and replace one with an edge value.
        std::uniform_int_distribution<int> which(0, 15);
        const int target = which(rng);
        qsizetype at = 60;
        for (int s = 0; s < target; ++s)
            at += 4 + 2 * qFromLittleEndian<qint32>(bytes.constData() + at);
        bytes.replace(at, 4, int32Bytes(edges[i % std::size(edges)]));
        expectRecordOrReadError(bytes);
    }
}

TEST(ChangeRecordFuzz, RandomBytesNeverCrash) {
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes(length(rng), '\0');
        for (auto& b : bytes)
            b = char(byte(rng) < 200 ? 0 : byte(rng)); // mostly zeros, so some parse through
        expectRecordOrReadError(bytes);
    }
}

TEST(TimeTrailer, AppendedAfterTheStringsAndReadBack) {
    const type_ParametersOfEvents r = fullRecord();
    const qint64 when = 1'765'316'000'123;
    const QByteArray bytes = serializeChangeRecord(r) + timeTrailer(when);
    EXPECT_EQ(bytes.right(12).left(4), QByteArray("VBX1"));
    EXPECT_EQ(bytes.right(8), QByteArray::fromHex("7b7908059b010000"));

    const type_DecodedChangeRecord decoded = decodeChangeRecord(bytes);
    EXPECT_EQ(decoded.record, r);
    EXPECT_EQ(decoded.writtenAtMs, when);
    // A reader that stops after the strings, as older copies do, sees the same record.
    EXPECT_EQ(deserializeChangeRecord(bytes), r);
}

TEST(TimeTrailer, EntriesWithoutAWellFormedTrailerHaveNoTime) {
    const QByteArray record = serializeChangeRecord(fullRecord());
    const QByteArray trailer = timeTrailer(1000);
    const QByteArray cases[] = {
        record,                                       // older copy
        record + trailer.left(11),                    // truncated
        record + QByteArray("VBX2") + trailer.mid(4), // other tag
        record + QByteArray("vbx1") + trailer.mid(4), // tag is case-sensitive
        record + trailer + QByteArray(1, '\0'),       // something after it
        record + trailer + trailer,                   // twice
        record + QByteArray(12, '\0'),
    };
    for (const QByteArray& bytes : cases) {
        const type_DecodedChangeRecord decoded = decodeChangeRecord(bytes);
        EXPECT_EQ(decoded.record, fullRecord());
        EXPECT_FALSE(decoded.writtenAtMs.has_value()) << bytes.toHex().toStdString();
    }
}

TEST(TimeTrailer, NegativeAndLargeTimesRoundTrip) {
    for (const qint64 when : {qint64(0), qint64(-1), std::numeric_limits<qint64>::max()}) {
        const QByteArray bytes = serializeChangeRecord({}) + timeTrailer(when);
        EXPECT_EQ(decodeChangeRecord(bytes).writtenAtMs, when);
    }
}

TEST(TimeTrailer, CorruptedStringsStillThrowWhateverFollows) {
    EXPECT_THROW(decodeChangeRecord(QByteArray(20, '\0') + timeTrailer(5)), ChangeRecordError);
}
