#include "engine/compat.h"
#include "engine/numerology.h"

#include <QtTest>

using engine::numberValue;

class tst_engine : public QObject
{
    Q_OBJECT

private slots:
    void letterValue_data();
    void letterValue();
    void numberValue_result_data();
    void numberValue_result();
    void numberValue_failure_data();
    void numberValue_failure();
    void convertMonth_data();
    void convertMonth();
    void cleanText_data();
    void cleanText();
    void fieldNumber_result_data();
    void fieldNumber_result();
    void fieldNumber_failure_data();
    void fieldNumber_failure();
    void scoreTables_data();
    void scoreTables();
    void compatPercent_data();
    void compatPercent();
    void lifePath_data();
    void lifePath();
};

void tst_engine::letterValue_data()
{
    QTest::addColumn<QString>("chars");
    QTest::addColumn<int>("value");
    // clang-format off
    QTest::newRow("1") << "ajsAJS1" << 1;
    QTest::newRow("2") << "bktBKT2" << 2;
    QTest::newRow("3") << "cluCLU3" << 3;
    QTest::newRow("4") << "dmvDMV4" << 4;
    QTest::newRow("5") << "enwENW5" << 5;
    QTest::newRow("6") << "foxFOX6" << 6;
    QTest::newRow("7") << "gpyGPY7" << 7;
    QTest::newRow("8") << "hqzHQZ8" << 8;
    QTest::newRow("9") << "irIR9" << 9;
    QTest::newRow("nothing") << QString::fromUtf8(" 0,.!#\t\né\u00c9\u00df\u0130\u0131\u00ff") << 0;
    QTest::newRow("kelvin sign lower-cases to k") << QString(QChar(0x212A)) << 2;
    // clang-format on
}

void tst_engine::letterValue()
{
    QFETCH(QString, chars);
    QFETCH(int, value);
    for (const QChar c : chars)
        QCOMPARE(engine::letterValue(c), value);
}

void tst_engine::numberValue_result_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("empty") << "" << "0";
    QTest::newRow("blanks") << "    " << "0";
    QTest::newRow("zeros") << "0000" << "0";
    QTest::newRow("hello") << "hello" << "25";
    QTest::newRow("A equals a") << "Aa" << "2";
    QTest::newRow("Z") << "Z" << "8";
    QTest::newRow("accented") << QString::fromUtf8("é") << "0";
    QTest::newRow("year") << "1985" << "23";
    QTest::newRow("day") << "29" << "11";
    QTest::newRow("mixed") << "World, 2024!" << "35";
    QTest::newRow("own result") << "11723" << "14";
    QTest::newRow("own result again") << "14" << "5";
    QTest::newRow("3640 nines") << QString(3640, u'9') << "32760";
    QTest::newRow("largest sum") << QString(3640, u'9') + u'7' << "32767";
    QTest::newRow("longest text") << QString(32766, u' ') << "0";
    QTest::newRow("longest text of ones") << QString(32766, u'a') << "32766";
    // clang-format on
}

void tst_engine::numberValue_result()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto result = numberValue(text);
    QVERIFY(result.has_value());
    QCOMPARE(*result, expected);
}

void tst_engine::numberValue_failure_data()
{
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("3641 nines") << QString(3641, u'9');
    QTest::newRow("sum passes in the middle") << QString(3641, u'9') + QString(10, u' ');
    QTest::newRow("32767 blanks") << QString(32767, u' ');
    QTest::newRow("32767 zeros") << QString(32767, u'0');
    QTest::newRow("40000 blanks") << QString(40000, u' ');
    // clang-format on
}

void tst_engine::numberValue_failure()
{
    QFETCH(QString, text);
    QVERIFY(!numberValue(text).has_value());
}

void tst_engine::convertMonth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const char *names[] = {"January", "February", "March",     "April",   "May",      "June",
                           "July",    "August",   "September", "October", "November", "December"};
    const char *digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "1", "2", "3"};
    for (int i = 0; i < 12; ++i)
        QTest::newRow(names[i]) << QString::fromLatin1(names[i]) << QString::fromLatin1(digits[i]);
    // clang-format off
    QTest::newRow("capitals and blanks") << "   MARCH  " << "3";
    QTest::newRow("mixed case") << "sEpTeMbEr" << "9";
    QTest::newRow("abbreviation") << "Sept" << "0";
    QTest::newRow("number") << "10" << "0";
    QTest::newRow("empty") << "" << "0";
    QTest::newRow("tab before") << "\tJuly" << "0";
    QTest::newRow("inner blank") << "Ju ly" << "0";
    QTest::newRow("other language") << "Juli" << "0";
    // clang-format on
}

void tst_engine::convertMonth()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(engine::convertMonth(text), expected);
}

void tst_engine::cleanText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("case and blanks") << "  Hello World  " << "hello world";
    QTest::newRow("tabs stay") << "\t A\tB \t" << "\t a\tb \t";
    QTest::newRow("blanks only") << "     " << "";
    QTest::newRow("empty") << "" << "";
    // clang-format on
}

void tst_engine::cleanText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(basGeneral::cleanText(text), expected);
}

void tst_engine::fieldNumber_result_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    // clang-format off
    QTest::newRow("None Selected") << "None Selected" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letter") << "x9" << 0;
    QTest::newRow("digit") << "7" << 7;
    QTest::newRow("leading blanks") << "   7" << 7;
    QTest::newRow("tab is no blank") << "\t7" << 0;
    QTest::newRow("trailing text") << "94%" << 94;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("plus") << "+4" << 4;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("zero point five") << "0.5" << 0;
    QTest::newRow("just above half") << "2.5000001" << 3;
    QTest::newRow("below half") << "2.4999" << 2;
    QTest::newRow("negative half") << "-2.5" << -2;
    QTest::newRow("negative odd half") << "-3.5" << -4;
    QTest::newRow("fraction only") << ".7" << 1;
    QTest::newRow("no exponent") << "1e5" << 1;
    QTest::newRow("largest") << "32767" << 32767;
    QTest::newRow("smallest") << "-32768" << -32768;
    QTest::newRow("rounds down into range") << "32767.4" << 32767;
    QTest::newRow("leading zeros") << "0000000000000000000012" << 12;
    // clang-format on
}

void tst_engine::fieldNumber_result()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto value = engine::fieldNumber(text);
    QVERIFY(value.has_value());
    QCOMPARE(int(*value), expected);
}

void tst_engine::fieldNumber_failure_data()
{
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("one above") << "32768";
    QTest::newRow("one below") << "-32769";
    QTest::newRow("rounds out of range") << "32767.5";
    QTest::newRow("huge") << QString(3641, u'9');
    // clang-format on
}

void tst_engine::fieldNumber_failure()
{
    QFETCH(QString, text);
    QVERIFY(!engine::fieldNumber(text).has_value());
}

void tst_engine::scoreTables_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("lifePath");
    QTest::addColumn<int>("attitude");
    // The two tables as the scoring rules write them, every cell: the row is
    // the first number, the column the second.
    // clang-format off
    const int lifePath[9][9] = {
        {50, 20, 90, 20, 90, 20, 90, 20, 90},
        {50, 90, 50, 90, 20, 90, 90, 90, 20},
        {90, 50, 90, 20, 90, 90, 20, 20, 90},
        {20, 90, 20, 90, 20, 90, 90, 50, 20},
        {90, 20, 90, 20, 90, 20, 90, 50, 90},
        {20, 90, 90, 90, 20, 50, 20, 20, 90},
        {50, 90, 20, 90, 90, 20, 90, 20, 20},
        {50, 90, 20, 90, 50, 90, 20, 20, 20},
        {90, 50, 90, 20, 90, 90, 20, 20, 90},
    };
    const int attitude[9][9] = {
        {5, 2, 10, 2, 10, 2, 10, 2, 10},
        {5, 10, 5, 10, 2, 10, 10, 10, 2},
        {10, 5, 10, 2, 10, 10, 2, 2, 10},
        {2, 10, 2, 10, 2, 10, 10, 5, 2},
        {10, 2, 10, 2, 10, 2, 10, 5, 10},
        {2, 10, 10, 10, 2, 5, 2, 2, 10},
        {5, 10, 2, 10, 10, 4, 10, 2, 2},
        {5, 10, 2, 10, 5, 10, 2, 2, 2},
        {10, 5, 10, 2, 10, 10, 2, 2, 10},
    };
    // clang-format on
    for (int first = 1; first <= 9; ++first) {
        for (int second = 1; second <= 9; ++second) {
            QTest::addRow("%d,%d", first, second)
                << first << second << lifePath[first - 1][second - 1]
                << attitude[first - 1][second - 1];
        }
    }
    // A number outside 1 to 9 on either side scores 0.
    // clang-format off
    QTest::newRow("first 0") << 0 << 3 << 0 << 0;
    QTest::newRow("second 0") << 3 << 0 << 0 << 0;
    QTest::newRow("first 10") << 10 << 3 << 0 << 0;
    QTest::newRow("second 11") << 3 << 11 << 0 << 0;
    QTest::newRow("negative") << -1 << 3 << 0 << 0;
    QTest::newRow("extremes") << -32768 << 32767 << 0 << 0;
    // clang-format on
}

void tst_engine::scoreTables()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, lifePath);
    QFETCH(int, attitude);
    const auto a = static_cast<std::int16_t>(first);
    const auto b = static_cast<std::int16_t>(second);
    QCOMPARE(int(engine::isCompatLifePath(a, b)), lifePath);
    QCOMPARE(int(engine::isCompatAttitude(a, b)), attitude);
}

void tst_engine::compatPercent_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("celebLp");
    QTest::addColumn<QString>("celebAtt");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("nobody selected") << "5" << "None Selected" << "None Selected" << "0%";
    QTest::newRow("55") << "1" << "1" << "1" << "55%";
    QTest::newRow("100") << "1" << "3" << "3" << "100%";
    QTest::newRow("94 from the single 4") << "6" << "2" << "7" << "94%";
    QTest::newRow("celebrity Life Path 0") << "2" << "0" << "3" << "5%";
    QTest::newRow("celebrity Life Path 11") << "2" << "11" << "3" << "5%";
    QTest::newRow("user Life Path 0") << "0" << "3" << "3" << "0%";
    QTest::newRow("user on opposite sides") << "1" << "2" << "2" << "25%";
    QTest::newRow("fractions rounded") << "2.5" << "3.5" << "1" << "92%";
    QTest::newRow("empty Life Path") << "2" << "" << "3" << "5%";
    // clang-format on
}

void tst_engine::compatPercent()
{
    QFETCH(QString, user);
    QFETCH(QString, celebLp);
    QFETCH(QString, celebAtt);
    QFETCH(QString, expected);
    const auto percent = engine::compatPercent(user, celebLp, celebAtt);
    QVERIFY(percent.has_value());
    QCOMPARE(*percent, expected);
}

void tst_engine::lifePath_data()
{
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("expected"); // empty: the overflow failure
    // clang-format off
    QTest::newRow("29 July 1985") << "29" << "July" << "1985" << "5";
    QTest::newRow("1 January 1980") << "1" << "January" << "1980" << "2";
    QTest::newRow("11 November 2010") << "11" << "November" << "2010" << "7";
    QTest::newRow("19 September 1999") << "19" << "September" << "1999" << "2";
    QTest::newRow("month as a number") << "5" << "10" << "1990" << "6";
    QTest::newRow("all empty") << "" << "" << "" << "0";
    QTest::newRow("day overflows") << QString(3641, u'9') << "July" << "1985" << "";
    QTest::newRow("year overflows") << "1" << "July" << QString(32767, u' ') << "";
    QTest::newRow("month never overflows") << "1" << QString(40000, u'z') << "1985" << "6";
    // clang-format on
}

void tst_engine::lifePath()
{
    QFETCH(QString, day);
    QFETCH(QString, month);
    QFETCH(QString, year);
    QFETCH(QString, expected);
    const auto value = engine::lifePath(day, month, year);
    QCOMPARE(value.has_value(), !expected.isEmpty());
    if (value)
        QCOMPARE(*value, expected);
    // The same from the calendar date, where the row is one.
    if (const int m = int(engine::monthNames().indexOf(month)) + 1;
        m > 0 && year.size() == 4 && day.size() <= 2)
        QCOMPARE(engine::lifePathOfDate(m, day.toInt(), year.toInt()), value);
}

QTEST_APPLESS_MAIN(tst_engine)
#include "tst_engine.moc"
