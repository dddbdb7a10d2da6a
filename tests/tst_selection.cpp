#include "database/selection/Selection.h"

#include <QtTest>

using namespace database;

// A selected list item read back into what the window shows: the date with
// its month named, the Life Path and the Attitude number.
class tst_selection : public QObject
{
    Q_OBJECT

private slots:
    void insertMonth_data();
    void insertMonth();
    void selection_data();
    void selection();
};

void tst_selection::insertMonth_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("expected");
    // clang-format off
    // Only the month field becomes a name: a day of 1 to 12 stays a number.
    QTest::newRow("example")             << " 7 28 1900"    << " July 28 1900";
    QTest::newRow("low day stays")       << " 11 5 1900"    << " November 5 1900";
    QTest::newRow("both low")            << " 1 2 1900"     << " January 2 1900";
    QTest::newRow("one before ten")      << " 1 10 1900"    << " January 10 1900";
    QTest::newRow("same day as month")   << " 4 4 1900"     << " April 4 1900";
    QTest::newRow("twelve twice")        << " 12 12 12 1900" << " December 12 12 1900";
    QTest::newRow("twelve")              << " 12 25 1900"   << " December 25 1900";
    QTest::newRow("year untouched")      << " 9 9 9"        << " September 9 9";
    QTest::newRow("month 13")            << " 13 5 1900"    << " 13 5 1900";
    QTest::newRow("leading zero")        << " 07 5 1900"    << " 07 5 1900";
    QTest::newRow("sign")                << " +7 5 1900"    << " +7 5 1900";
    QTest::newRow("month 0")             << " 0 5 1900"     << " 0 5 1900";
    QTest::newRow("no blank in front")   << "7 28 1900"     << "7 28 1900";
    QTest::newRow("no blank after")      << " 7"            << " 7";
    QTest::newRow("two blanks in front") << "  7 8 1900"    << "  July 8 1900";
    QTest::newRow("blanks, no field")    << "   "            << "   ";
    QTest::newRow("blanks, month last")  << "  12"           << "  12";
    QTest::newRow("blank only")          << " "             << " ";
    QTest::newRow("empty")               << ""              << "";
    // clang-format on
}

void tst_selection::insertMonth()
{
    QFETCH(QString, date);
    QFETCH(QString, expected);
    QCOMPARE(database::insertMonth(date), expected);
}

void tst_selection::selection_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("birthDate");
    QTest::addColumn<QVariant>("lifePath");
    QTest::addColumn<QVariant>("attitude");
    const QString blanks(500, u' ');
    const QVariant kept; // the step fails and the label keeps its text
    const auto item = [&](const char *name, const char *tail) {
        return QString::fromUtf8(name) + blanks + QString::fromUtf8(tail);
    };
    // clang-format off
    QTest::newRow("example") << item("Mara Quill", ", 7 28 1900,9") << QVariant(QStringLiteral("MARA QUILL") + blanks + ", 7 28 1900,9") << QVariant(" July 28 1900") << QVariant("9") << QVariant("8");
    QTest::newRow("two-character Life Path") << item("Mara", ", 11 5 1900,11") << QVariant(QStringLiteral("MARA") + blanks + ", 11 5 1900,11") << QVariant(" November 5 1900") << QVariant("1") << QVariant("7");
    QTest::newRow("no second comma") << item("Mara", ", 7 28 1900") << QVariant(QStringLiteral("MARA") + blanks + ", 7 28 1900") << kept << QVariant(" ") << kept;
    QTest::newRow("name and comma only") << item("Mara", ",") << QVariant(QStringLiteral("MARA") + blanks + ",") << kept << QVariant("") << kept;
    QTest::newRow("date of four characters") << item("Mara", "1900,3") << QVariant(QStringLiteral("MARA") + blanks + "1900,3") << QVariant("900") << QVariant("3") << kept;
    QTest::newRow("date of five characters") << item("Mara", ", 1900,3") << QVariant(QStringLiteral("MARA") + blanks + ", 1900,3") << QVariant(" 1900") << QVariant("3") << QVariant("0");
    QTest::newRow("blank before the second comma") << item("Mara", ", 7 28 1900 ,9") << QVariant(QStringLiteral("MARA") + blanks + ", 7 28 1900 ,9") << QVariant(" July 28 1900 ") << QVariant("9") << QVariant("9");
    QTest::newRow("blanks at the end") << item("Mara", ", 7 28 1900,9    ") << QVariant(QStringLiteral("MARA") + blanks + ", 7 28 1900,9    ") << QVariant(" July 28 1900") << QVariant("9") << QVariant("8");
    QTest::newRow("letters upper-cased in the name only") << item("mara", ", 7 28 1900,9 x") << QVariant(QStringLiteral("MARA") + blanks + ", 7 28 1900,9 X") << QVariant(" July 28 1900") << QVariant("9") << QVariant("8");
    QTest::newRow("nothing selected") << QString() << QVariant("") << kept << QVariant("") << kept;
    QTest::newRow("date too long to sum") << item("Mara", (", " + QByteArray(40000, '9') + ",5").constData()) << QVariant(QStringLiteral("MARA") + blanks + ", " + QString(40000, u'9') + ",5") << QVariant(QStringLiteral(" ") + QString(40000, u'9')) << QVariant("5") << kept;
    // clang-format on
}

void tst_selection::selection()
{
    QFETCH(QString, item);
    QFETCH(QVariant, name);
    QFETCH(QVariant, birthDate);
    QFETCH(QVariant, lifePath);
    QFETCH(QVariant, attitude);
    const SelectionTexts texts = selectionTexts(item);
    const auto check = [](const std::optional<QString> &actual, const QVariant &expected) {
        if (!expected.isValid())
            return !actual.has_value();
        return actual.has_value() && *actual == expected.toString();
    };
    QVERIFY(check(texts.name, name));
    QVERIFY2(check(texts.birthDate, birthDate), qPrintable(texts.birthDate.value_or("(kept)")));
    QVERIFY2(check(texts.lifePath, lifePath), qPrintable(texts.lifePath.value_or("(kept)")));
    QVERIFY2(check(texts.attitude, attitude), qPrintable(texts.attitude.value_or("(kept)")));
}

QTEST_GUILESS_MAIN(tst_selection)
#include "tst_selection.moc"
