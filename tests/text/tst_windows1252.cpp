// The Windows-1252 code page: every byte of 0x80-0x9F, the French locale's
// upper-casing, and the UTF-8 and QString conversions with bad input.

#include "text/qtwindows1252.h"
#include "text/windows1252.h"

#include <QTest>

using namespace std::string_literals;

class TestWindows1252 : public QObject
{
    Q_OBJECT

private slots:
    void highControlBytes()
    {
        // The code page's characters at 0x80-0x9F; the five undefined bytes
        // stay the C1 control of the same value.
        const char16_t expected[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        for (int byte = 0; byte < 256; ++byte) {
            const char16_t unicode = Windows1252::toUnicode(static_cast<unsigned char>(byte));
            const char16_t wanted =
                byte >= 0x80 && byte <= 0x9F ? expected[byte - 0x80] : char16_t(byte);
            QCOMPARE(int(unicode), int(wanted));
            // Every byte comes back from its character.
            QCOMPARE(Windows1252::fromUnicode(unicode), std::optional<unsigned char>(byte));
        }
        // C1 controls the code page replaces are not in it.
        QCOMPARE(Windows1252::fromUnicode(0x80), std::nullopt);
        QCOMPARE(Windows1252::fromUnicode(0x9F), std::nullopt);
        QCOMPARE(Windows1252::fromUnicode(0x100), std::nullopt);
        QCOMPARE(Windows1252::fromUnicode(0x1F600), std::nullopt);
    }

    void upperCaseLikeTheFrenchLocale()
    {
        for (int byte = 0; byte < 256; ++byte) {
            int wanted = byte;
            if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
                wanted = byte - 0x20;
            else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) // š œ ž
                wanted = byte - 0x10;
            else if (byte == 0xFF) // ÿ
                wanted = 0x9F;
            QCOMPARE(int(Windows1252::upperCase(static_cast<unsigned char>(byte))), wanted);
        }
        // ß, µ and ÷ have no capital here.
        QCOMPARE(Windows1252::upperCase("\xDF\xB5\xF7"), "\xDF\xB5\xF7"s);
        QCOMPARE(Windows1252::upperCase("\xE9l\xE8ve \x9C"
                                        "uf aujourd'hui"),
                 "\xC9L\xC8VE \x8C"
                 "UF AUJOURD'HUI"s);
    }

    void utf8RoundTrip()
    {
        std::string every;
        for (int byte = 1; byte < 256; ++byte)
            every.push_back(static_cast<char>(byte));
        const std::string utf8 = Windows1252::toUtf8(every);
        QCOMPARE(QString::fromUtf8(utf8), Windows1252::toQString(every));
        QCOMPARE(Windows1252::fromUtf8(utf8), every);
        QCOMPARE(Windows1252::fromQString(Windows1252::toQString(every)), every);
        QCOMPARE(Windows1252::toUtf8("porte-cl\xE9s \x80"), "porte-cl\xC3\xA9s \xE2\x82\xAC"s);
    }

    void malformedUtf8_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("stray continuation") << QByteArray("a\x80z") << QByteArray("a?z");
        QTest::newRow("truncated") << QByteArray("a\xC3") << QByteArray("a?");
        QTest::newRow("overlong i") << QByteArray("\xC1\xA9") << QByteArray("??");
        QTest::newRow("overlong slash") << QByteArray("\xE0\x80\xAF") << QByteArray("???");
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QByteArray("???");
        QTest::newRow("beyond Unicode") << QByteArray("\xF4\x90\x80\x80") << QByteArray("????");
        QTest::newRow("five-byte lead")
            << QByteArray("\xF8\x88\x80\x80\x80") << QByteArray("?????");
        QTest::newRow("not in the code page")
            << QByteArray("\xF0\x9F\x98\x80x") << QByteArray("?x");
    }
    void malformedUtf8()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, expected);
        QCOMPARE(QByteArray::fromStdString(Windows1252::fromUtf8(utf8.toStdString())), expected);
    }

    void qStringEdge()
    {
        QCOMPARE(Windows1252::fromQString(QStringLiteral("\u0153uf \u2603"), '_'), "\x9C"
                                                                                   "uf _"s);
    }
};

QTEST_APPLESS_MAIN(TestWindows1252)
#include "tst_windows1252.moc"
