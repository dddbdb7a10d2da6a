#include "FaultyFile.h"
#include "UnreadableFile.h"
#include "database/Collation.h"
#include "database/DbFile.h"
#include "database/ItemArena.h"
#include "database/ItemText.h"
#include "database/LineParser.h"
#include "database/LoadBudget.h"
#include "database/Location.h"
#include "database/ParseAhead.h"
#include "database/PlatformText.h"
#include "database/Selection.h"
#include "database/SortedOrder.h"
#include "engine/numerology.h"
#include "names_in_order.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

using namespace database;

namespace {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif
} // namespace

// The pure side of the celebrity database: reading lines, turning them into
// list items, keeping the order, and reading a selected item back.
class tst_database : public QObject
{
    Q_OBJECT

private slots:
    void parse_dataLine_data();
    void parse_dataLine();
    void dataLine_roundTrips_data();
    void dataLine_roundTrips();
    void parse_skipped_data();
    void parse_skipped();
    void parse_longName_isCutTo499Units_data();
    void parse_longName_isCutTo499Units();

    void readLines_data();
    void readLines();
    void readLines_longLineAcrossBlocks();
    void readLines_crLfSplitAcrossBlocks();
    void parseAhead_givesTheLinesAsReadHere_data();
    void parseAhead_givesTheLinesAsReadHere();
    void parseAhead_stoppedEarly_endsAtOnce();
    void lookup_firstRegularFileWins_data();
    void lookup_firstRegularFileWins();
    void open_failures_areNamed_data();
    void open_failures_areNamed();

    void insertMonth_data();
    void insertMonth();
    void selection_data();
    void selection();

    void order_matchesStableCollatedSort_data();
    void order_matchesStableCollatedSort();
    void order_sameLinesInAnyFileOrder_data();
    void order_sameLinesInAnyFileOrder();
    void collation_ignoresCaseAndSetsAccentsBeside();
    void order_rowsFollowItemsAcrossCommits();
    void prefixKey_startsEveryLongerTextsKey();
    void order_sortsTheSharedTableOfNames();
    void platformText_roundTrips();
    void rowsStartingWith_data();
    void rowsStartingWith();

private:
    QTemporaryDir dir;
    QString writeFile(const QString &name, const QByteArray &bytes);
};

QString tst_database::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

void tst_database::parse_dataLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tail");
    // clang-format off
    QTest::newRow("example") << QByteArray("Mara Quill, 7 28 1900,9") << "Mara Quill" << ", 7 28 1900,9";
    QTest::newRow("blanks around the name") << QByteArray("   Mara Quill   , 7 28 1900,9  ") << "Mara Quill" << ", 7 28 1900,9  ";
    QTest::newRow("name and comma only") << QByteArray("Mara,") << "Mara" << ",";
    QTest::newRow("comma in the name") << QByteArray("Quill, Mara, 7 28 1900,9") << "Quill" << ", Mara, 7 28 1900,9";
    QTest::newRow("empty name") << QByteArray(", 1 1 1900,2") << "" << ", 1 1 1900,2";
    QTest::newRow("tab is no blank") << QByteArray("\tMara\t, 1 1 1900,2") << "\tMara\t" << ", 1 1 1900,2";
    QTest::newRow("bare LF stays in the line") << QByteArray("Ma\nra, 1") << "Ma\nra" << ", 1";
    // clang-format on
}

void tst_database::parse_dataLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    QFETCH(QString, tail);
    LineParser parser;
    const auto parts = parser.parse(line, Encoding::Utf8);
    QVERIFY(parts.has_value());
    QCOMPARE(QString::fromUtf8(parts->name), name);
    QCOMPARE(QString::fromUtf8(parts->tail), tail);
}

void tst_database::dataLine_roundTrips_data()
{
    QTest::addColumn<QString>("name"); // as a birth table has it
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("date"); // as the selection shows it
    // clang-format off
    QTest::newRow("plain") << "Mara Quill" << "Mara Quill" << 7 << 28 << 1900 << " July 28 1900";
    QTest::newRow("accents") << "Zoë Ångström" << "Zoë Ångström" << 1 << 2 << 1987 << " January 2 1987";
    QTest::newRow("early year, four digits") << "Old" << "Old" << 12 << 31 << 800 << " December 31 0800";
    QTest::newRow("a %2 in the name") << "Ms %2" << "Ms %2" << 3 << 4 << 2001 << " March 4 2001";
    QTest::newRow("commas and markers go") << " Smith, John (Jr.) #2 & co " << "Smith John Jr. 2 co" << 5 << 6 << 1950 << " May 6 1950";
    // clang-format on
}

void tst_database::dataLine_roundTrips()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, year);
    QFETCH(QString, date);
    QCOMPARE(storableName(name), stored);
    const auto line = dataLine(stored, month, day, year);
    QVERIFY(line.has_value());
    QVERIFY(line->endsWith("\r\n"));
    // Read back as the window reads it: the name as written, and the date and
    // Life Path of the birth table's row.
    LineParser parser;
    const QByteArray withoutEnd = line->chopped(2);
    const auto parts = parser.parse(withoutEnd, Encoding::Utf8);
    QVERIFY(parts.has_value());
    QCOMPARE(QString::fromUtf8(parts->name), stored);
    const SelectionTexts shown = tailTexts(QString::fromUtf8(parts->tail));
    QCOMPARE(shown.birthDate, date);
    QCOMPARE(shown.lifePath, engine::lifePathOfDate(month, day, year));
}

void tst_database::parse_skipped_data()
{
    QTest::addColumn<QByteArray>("line");
    // clang-format off
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no comma") << QByteArray("Mara Quill 7 28 1900 9");
    QTest::newRow("hash in name") << QByteArray("#Mara, 7 28 1900,9");
    QTest::newRow("ampersand in name") << QByteArray("Mara & Co, 7 28 1900,9");
    QTest::newRow("parenthesis in date") << QByteArray("Mara, 7 (28) 1900,9");
    QTest::newRow("hash in remainder") << QByteArray("Mara, 7 28 1900,9 #1");
    QTest::newRow("comment") << QByteArray("# a comment, with a comma");
    QTest::newRow("blanks only") << QByteArray("      ");
    // clang-format on
}

void tst_database::parse_skipped()
{
    QFETCH(QByteArray, line);
    LineParser parser;
    QVERIFY(!parser.parse(line, Encoding::Utf8).has_value());
}

void tst_database::parse_longName_isCutTo499Units_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    // clang-format off
    QTest::newRow("499 kept") << QString(499, u'a') << QString(499, u'a');
    QTest::newRow("500 cut") << QString(500, u'b') << QString(499, u'b');
    QTest::newRow("10000 cut") << QString(10000, u'c') << QString(499, u'c');
    QTest::newRow("accented letters count once") << QString(600, QChar(0xE9)) << QString(499, QChar(0xE9));
    // clang-format on
    // A character outside the 16-bit range takes two units and is not split.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
    // clang-format off
    QTest::newRow("pair across the cut") << QString(498, u'd') + clef + u'e' << QString(498, u'd');
    QTest::newRow("pair before the cut") << QString(497, u'd') + clef + u'e' << QString(497, u'd') + clef;
    // clang-format on
}

void tst_database::parse_longName_isCutTo499Units()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    LineParser parser;
    const QByteArray line = name.toUtf8() + ", 1 1 1900,2";
    const auto parts = parser.parse(line, Encoding::Utf8);
    QVERIFY(parts.has_value());
    QCOMPARE(QString::fromUtf8(parts->name), expected);
    QCOMPARE(QString::fromUtf8(parts->tail), QStringLiteral(", 1 1 1900,2"));
}

namespace {

// Text as Notepad's "Unicode" saves it: a byte-order mark, then UTF-16.
QByteArray utf16(const QString &text, bool littleEndian, bool mark = true)
{
    QByteArray bytes = mark ? QByteArray(littleEndian ? "\xFF\xFE" : "\xFE\xFF") : QByteArray();
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF);
        const char hi = char(c.unicode() >> 8);
        bytes += littleEndian ? lo : hi;
        bytes += littleEndian ? hi : lo;
    }
    return bytes;
}

} // namespace

void tst_database::readLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    // Per line: u for UTF-8, c for the 8-bit code page.
    QTest::addColumn<QString>("encodings");
    const QString janacek = QString::fromUtf8("Janáček, 1");
    // clang-format off
    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"} << "uu";
    QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{"a", "b"} << "uu";
    QTest::newRow("LF only") << QByteArray("a\nb\n") << QStringList{"a", "b"} << "uu";
    QTest::newRow("CR only") << QByteArray("a\rb\r") << QStringList{"a", "b"} << "uu";
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"} << "uuuu";
    QTest::newRow("empty lines") << QByteArray("\r\n\r\na\n\n") << QStringList{"", "", "a", ""} << "uuuu";
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QStringList{"a", "", "b"} << "uuu";
    QTest::newRow("empty file") << QByteArray() << QStringList{} << "";
    QTest::newRow("one line end") << QByteArray("\r\n") << QStringList{""} << "u";
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xC3\xA9t\xC3\xA9\r\nb") << QStringList{QString::fromUtf8("été"), "b"} << "uu";
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QStringList{} << "";
    QTest::newRow("BOM, then a 1252 line") << QByteArray("\xEF\xBB\xBFZo\xEB\r\n\xC3\xA9t\xC3\xA9") << QStringList{QString::fromUtf8("Zoë"), QString::fromUtf8("été")} << "cu";
    QTest::newRow("valid UTF-8") << QByteArray("Bj\xC3\xB6rk, 1") << QStringList{"Björk, 1"} << "u";
    QTest::newRow("Windows-1252") << QByteArray("Bj\xF6rk \x80 \x93q\x94, 1") << QStringList{QString::fromUtf8("Björk € “q”, 1")} << "c";
    QTest::newRow("one 1252 line spoils no other") << QByteArray("Bj\xC3\xB6rk\r\nZo\xEB\r\nZo\xC3\xAB") << QStringList{QString::fromUtf8("Björk"), QString::fromUtf8("Zoë"), QString::fromUtf8("Zoë")} << "ucu";
    QTest::newRow("overlong form is no UTF-8") << QByteArray("\xC0\xAF") << QStringList{"À¯"} << "c";
    QTest::newRow("NUL bytes") << QByteArray("a\0b\r\nc", 6) << QStringList{QString::fromLatin1("a\0b", 3), "c"} << "uu";
    QTest::newRow("UTF-16 LE") << utf16(janacek + "\r\nb\r\n", true) << QStringList{janacek, "b"} << "uu";
    QTest::newRow("UTF-16 BE") << utf16(janacek + "\r\nb", false) << QStringList{janacek, "b"} << "uu";
    QTest::newRow("UTF-16 LF and CR alone") << utf16("a\nb\rc", true) << QStringList{"a", "b", "c"} << "uuu";
    QTest::newRow("UTF-16 ċ č Ċ Ġ ģ end no line") << utf16(QString::fromUtf8("ċčĊĠģ"), true) << QStringList{QString::fromUtf8("ċčĊĠģ")} << "u";
    QTest::newRow("UTF-16 cut in a unit") << utf16("ab", true) + 'c' << QStringList{QString::fromUtf8("ab\uFFFD")} << "u";
    QTest::newRow("UTF-16 without a mark is bytes") << utf16("a", true, false) << QStringList{QString::fromLatin1("a\0", 2)} << "u";
    // clang-format on
}

void tst_database::readLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QString, encodings);
    DbFile file(writeFile(QStringLiteral("lines.txt"), bytes));
    QVERIFY(file.isOpen());
    QStringList read;
    QString used;
    QByteArrayView line;
    Encoding encoding;
    while (file.readLine(line, encoding)) {
        read << decode(line, encoding);
        used += encoding == Encoding::Utf8 ? u'u' : u'c';
    }
    QCOMPARE(read, lines);
    QCOMPARE(used, encodings);
    QCOMPARE(file.failure(), ReadFailure::None);
}

void tst_database::readLines_longLineAcrossBlocks()
{
    const QByteArray longLine(3 * 1024 * 1024 + 17, 'x');
    DbFile file(writeFile(QStringLiteral("long.txt"), "a\r\n" + longLine + "\r\nb"));
    QByteArrayView line;
    Encoding encoding;
    QVERIFY(file.readLine(line, encoding));
    QCOMPARE(line, "a");
    QVERIFY(file.readLine(line, encoding));
    QCOMPARE(line.size(), longLine.size());
    QVERIFY(file.readLine(line, encoding));
    QCOMPARE(line, "b");
    QVERIFY(!file.readLine(line, encoding));
    // The same in UTF-16, whose units must stay whole across blocks.
    DbFile wide(writeFile(QStringLiteral("long16.txt"),
                          utf16("a\r\n" + QString::fromLatin1(longLine) + "\r\nb", true)));
    QVERIFY(wide.readLine(line, encoding));
    QCOMPARE(line, "a");
    QVERIFY(wide.readLine(line, encoding));
    QCOMPARE(line.size(), longLine.size());
    QVERIFY(wide.readLine(line, encoding));
    QCOMPARE(line, "b");
    QVERIFY(!wide.readLine(line, encoding));
}

void tst_database::readLines_crLfSplitAcrossBlocks()
{
    // The CR is the last byte of a block read and its LF the first of the
    // next, for every block size that divides the one read.
    QByteArray bytes(database::load::kReadSlice - 1, 'y');
    bytes += "\r\nz";
    DbFile file(writeFile(QStringLiteral("split.txt"), bytes));
    QByteArrayView line;
    Encoding encoding;
    QVERIFY(file.readLine(line, encoding));
    QCOMPARE(line.size(), database::load::kReadSlice - 1);
    QVERIFY(file.readLine(line, encoding));
    QCOMPARE(line, "z");
    QVERIFY(!file.readLine(line, encoding));
}

namespace {
// The next line or the end, however long the reading thread takes.
ParseAhead::Next nextLine(ParseAhead &ahead, ParseAhead::Line &line)
{
    ParseAhead::Next n;
    while ((n = ahead.next(line, std::chrono::milliseconds(50))) == ParseAhead::Next::NotYet) {
    }
    return n;
}
} // namespace

void tst_database::parseAhead_givesTheLinesAsReadHere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QByteArray many;
    for (int i = 0; i < 10000; ++i)
        many += (i % 7 == 0 ? "# " : "") + QByteArray("Name ") +
                QByteArray::number(i * 7919 % 10007) + ", 1 2 1900,3\r\n";
    // clang-format off
    QTest::newRow("kinds of lines")  << QByteArray("Bj\xC3\xB6rk, 1 1 1900,2\r\nZo\xEB, 2 2 1902,4\nno comma\r#, x\r  Eve  ,\r\n\r\n(x), 1");
    QTest::newRow("batches of many") << many;
    QTest::newRow("huge lines")      << "a, 1\r\nb, " + QByteArray(3 << 20, '7') + "\r\nc, 2\r\n" + QByteArray(3 << 20, 'x') + ", 3\r\nd, 4";
    QTest::newRow("UTF-16")          << utf16(QString::fromUtf8("Janáček, 1 1 1900,2\r\n# x, 1\r\nČapek, 2"), true);
    QTest::newRow("empty file")      << QByteArray();
    // clang-format on
}

void tst_database::parseAhead_givesTheLinesAsReadHere()
{
    QFETCH(QByteArray, bytes);
    const QString path = writeFile(QStringLiteral("ahead.txt"), bytes);
    DbFile file(path);
    LineParser parser;
    Collation collation;
    itemtext::Utf8Composer text;
    ParseAhead ahead(path);
    QCOMPARE(ahead.fileSize(), qint64(bytes.size()));
    QByteArrayView line;
    Encoding encoding;
    ParseAhead::Line got;
    int lines = 0;
    const auto next = [&] { return nextLine(ahead, got); };
    while (file.readLine(line, encoding)) {
        ++lines;
        QCOMPARE(next(), ParseAhead::Next::Line);
        const auto parts = parser.parse(line, encoding);
        QCOMPARE(got.isItem, parts.has_value());
        if (!parts)
            continue;
        QCOMPARE(got.name, parts->name);
        QCOMPARE(got.tail, parts->tail);
        const auto key = EntryOrder::keyStart(collation, text, parts->name, parts->tail);
        QVERIFY(got.key.prefix == key.prefix && got.key.prefix2 == key.prefix2);
    }
    QCOMPARE(next(), ParseAhead::Next::End);
    QCOMPARE(next(), ParseAhead::Next::End);
    QCOMPARE(ahead.failure(), file.failure());
    QVERIFY(lines > 0 || bytes.isEmpty());
}

void tst_database::parseAhead_stoppedEarly_endsAtOnce()
{
    QByteArray bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += "Name " + QByteArray::number(i) + ", 1 2 1900,3\r\n";
    const QString path = writeFile(QStringLiteral("stopped.txt"), bytes);
    const FaultyFiles files; // counts what is read
    qint64 readBefore = 0;
    for (int taken : {0, 1, 5000}) {
        {
            // Destroyed with the reading thread ahead, waiting, or not started.
            ParseAhead ahead(path);
            ParseAhead::Line line;
            for (int i = 0; i < taken; ++i)
                QCOMPARE(nextLine(ahead, line), ParseAhead::Next::Line);
        }
        // The reader went no further than a few batches ahead of the lines
        // taken, and stopped there.
        const qint64 read = files.bytesHandedOut() - readBefore;
        QVERIFY2(read < bytes.size() / 4, qPrintable(QString::number(read)));
        readBefore = files.bytesHandedOut();
    }

    // One line of 50 MB: the reader stops in the middle of it, wherever it
    // is, so that closing the window does not wait for the line's end. On a
    // slow disk first (the whole line takes about a second there), then at
    // a few moments of reading it from a local file.
    const QString giant = writeFile(QStringLiteral("giant.txt"),
                                    "Giant, 1 2 1900,3" + QByteArray(50 << 20, '7') + "\r\n");
    const auto destroyedWithin = [](std::unique_ptr<ParseAhead> &ahead) {
        QElapsedTimer clock;
        clock.start();
        ahead.reset();
        return clock.elapsed();
    };
    // Sanitizers slow every allocation and every byte copied by far more
    // than that: there the bytes read tell that the reader stopped, the
    // clock nothing.
    const qint64 limitMs = kSanitized ? std::numeric_limits<qint64>::max() : 20;
    {
        const FaultyFiles slow(std::numeric_limits<qint64>::max(), 1);
        auto ahead = std::make_unique<ParseAhead>(giant);
        QTRY_VERIFY(slow.bytesHandedOut() > (1 << 20));
        const qint64 ms = destroyedWithin(ahead);
        QVERIFY2(ms < limitMs, qPrintable(QString::number(ms)));
        QVERIFY2(slow.bytesHandedOut() < (10 << 20),
                 qPrintable(QString::number(slow.bytesHandedOut())));
    }
    for (const int afterMs : {0, 2, 5, 10, 20, 40, 80}) {
        auto ahead = std::make_unique<ParseAhead>(giant);
        QTest::qSleep(afterMs);
        const qint64 ms = destroyedWithin(ahead);
        QVERIFY2(ms < limitMs,
                 qPrintable(QStringLiteral("%1 ms after %2 ms").arg(ms).arg(afterMs)));
    }

    // A file that is not there ends at once, and says why.
    ParseAhead missing(dir.filePath(QStringLiteral("nothing-here.txt")));
    ParseAhead::Line line;
    QCOMPARE(nextLine(missing, line), ParseAhead::Next::End);
    QCOMPARE(missing.failure(), ReadFailure::NotFound);
    QCOMPARE(missing.fileSize(), qint64(0));
}

void tst_database::lookup_firstRegularFileWins_data()
{
    // Places: beside the program (prefix/bin), the user's data folder, the
    // program's own prefix (prefix/share), then two system data folders.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders"); // folders named db.txt
    QTest::addColumn<QString>("chosen");
    // clang-format off
    QTest::newRow("beside the program first") << QStringList{"bin", "user", "prefix", "sys1"} << QStringList{}       << "bin";
    QTest::newRow("then the user's own")      << QStringList{"user", "prefix", "sys1"}        << QStringList{}       << "user";
    QTest::newRow("then the installed one")   << QStringList{"prefix", "sys1", "sys2"}        << QStringList{}       << "prefix";
    QTest::newRow("then the system's")        << QStringList{"sys2"}                          << QStringList{}       << "sys2";
    QTest::newRow("a folder is passed over")  << QStringList{"sys1"}                          << QStringList{"bin"}  << "sys1";
    QTest::newRow("only a folder")            << QStringList{}                                << QStringList{"user"} << "user";
    QTest::newRow("nothing anywhere")         << QStringList{}                                << QStringList{}       << "bin";
    // clang-format on
}

void tst_database::lookup_firstRegularFileWins()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, chosen);
    QTemporaryDir root;
    const QHash<QString, QString> place = {
        {QStringLiteral("bin"), root.filePath(QStringLiteral("prefix/bin/db.txt"))},
        {QStringLiteral("user"), root.filePath(QStringLiteral("home/famescope/db.txt"))},
        {QStringLiteral("prefix"), root.filePath(QStringLiteral("prefix/share/famescope/db.txt"))},
        {QStringLiteral("sys1"), root.filePath(QStringLiteral("sys1/famescope/db.txt"))},
        {QStringLiteral("sys2"), root.filePath(QStringLiteral("sys2/famescope/db.txt"))}};
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("prefix/bin"))));
    for (const QString &name : files) {
        QVERIFY(QDir().mkpath(QFileInfo(place[name]).path()));
        QFile f(place[name]);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    for (const QString &name : folders)
        QVERIFY(QDir().mkpath(place[name]));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath(QStringLiteral("sys1")) + u':' +
                                               root.filePath(QStringLiteral("sys2"))));
    const QStringList paths = dbSearchPaths(root.filePath(QStringLiteral("prefix/bin")));
#ifdef Q_OS_WIN
    // Windows looks beside the program only, whatever lies elsewhere.
    QCOMPARE(paths, QStringList{place[QStringLiteral("bin")]});
    QCOMPARE(chooseDb(paths), place[QStringLiteral("bin")]);
    Q_UNUSED(chosen)
    return;
#endif
    QCOMPARE(paths, (QStringList{place[QStringLiteral("bin")], place[QStringLiteral("user")],
                                 place[QStringLiteral("prefix")], place[QStringLiteral("sys1")],
                                 place[QStringLiteral("sys2")]}));
    QCOMPARE(chooseDb(paths), place[chosen]);
}

void tst_database::open_failures_areNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("missing")    << "missing"    << int(ReadFailure::NotFound)   << "NOT FOUND";
    QTest::newRow("folder")     << "folder"     << int(ReadFailure::NotAFile)   << "NOT A FILE";
    QTest::newRow("unreadable") << "unreadable" << int(ReadFailure::CannotRead) << "CANNOT READ";
    // clang-format on
}

void tst_database::open_failures_areNamed()
{
    QFETCH(QString, kind);
    QFETCH(int, failure);
    QFETCH(QString, name);
    const QString path = dir.filePath(kind);
    std::unique_ptr<UnreadableFile> unreadable;
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("unreadable")) {
        unreadable = std::make_unique<UnreadableFile>(path);
        QVERIFY(unreadable->isReady());
    }
    DbFile file(path);
    QByteArrayView line;
    Encoding encoding;
    QVERIFY(!file.readLine(line, encoding));
    QCOMPARE(int(file.failure()), failure);
    QCOMPARE(failureName(file.failure()), name);
}

void tst_database::insertMonth_data()
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
    QTest::newRow("two blanks in front") << "  7 28 1900"   << "  7 28 1900";
    QTest::newRow("blank only")          << " "             << " ";
    QTest::newRow("empty")               << ""              << "";
    // clang-format on
}

void tst_database::insertMonth()
{
    QFETCH(QString, date);
    QFETCH(QString, expected);
    QCOMPARE(database::insertMonth(date), expected);
}

void tst_database::selection_data()
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

void tst_database::selection()
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

namespace {

struct Line
{
    QByteArray name;
    QByteArray tail;
};

// A list item's whole text, as the collation compares it.
QByteArray itemText(const Line &line)
{
    return line.name + QByteArray(itemtext::kBlankRun, ' ') + line.tail;
}

// A straightforward stable sort of the whole item texts with the same
// collation, one comparison at a time.
std::vector<int> referenceOrder(const std::vector<Line> &lines, const QString &locale = {})
{
    Collation collation(locale);
    std::vector<QByteArray> texts;
    for (const Line &line : lines)
        texts.push_back(itemText(line));
    std::vector<int> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collation.compareUtf8(texts[a], texts[b]) < 0; });
    return order;
}

std::vector<Line> sampleLines(int count)
{
    const char *names[] = {"Anna", "anna", "ANNA", "Ánna", "Zoë", "Zoe", "zoe", "Émile", "Emile",
                           "emil", "Émilie", "Ö", "O", "Oz", "Bob", "bob smith", "Bob Smith",
                           "Bob-Smith", "Bobby", "", " ", "Zz", "a", "Ab",
                           // Long names whose keys share more than sixteen bytes.
                           "Alexander Hamilton-Smythe", "Alexander Hamilton-Smith",
                           "alexander hamilton smith", "Alexander Hamilton Smith Jr",
                           "Alexandra Hamilton-Smith", "Alexander Hamilton-Smíth"};
    const char *tails[] = {", 1 2 1900,3", ", 1 2 1900,4", ", 12 2 1900,3", ",",
                           ", x",          ", X",          ", 1 1 1900,1"};
    QRandomGenerator rng(1234);
    std::vector<Line> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back({QByteArray(names[rng.bounded(int(std::size(names)))]),
                         QByteArray(tails[rng.bounded(int(std::size(tails)))])});
    }
    return lines;
}

} // namespace

void tst_database::order_matchesStableCollatedSort_data()
{
    QTest::addColumn<int>("commitEvery");
    QTest::addColumn<int>("movesPerCommit");
    QTest::addColumn<bool>("toOne");
    QTest::addColumn<bool>("presort");
    // clang-format off
    QTest::newRow("one commit")             << 0    << 0       << false << false;
    QTest::newRow("runs never merged")      << 389  << 0       << false << false;
    QTest::newRow("merges cut short")       << 389  << 61      << false << false;
    QTest::newRow("merges as they fall due") << 97  << 1000000 << false << false;
    QTest::newRow("merged into one run")    << 389  << 150     << true  << false;
    QTest::newRow("chunks sorted ahead")    << 5003 << 1000    << false << true;
    // clang-format on
}

void tst_database::order_matchesStableCollatedSort()
{
    QFETCH(int, commitEvery);
    QFETCH(int, movesPerCommit);
    QFETCH(bool, toOne);
    QFETCH(bool, presort);
    const std::vector<Line> lines = sampleLines(12000);
    // The first lines alone are in the order of all of them, the others left
    // out: the order is stable.
    const std::vector<int> all = referenceOrder(lines);
    ItemArena arena;
    SortedOrder order(arena);
    const auto check = [&] {
        const qsizetype count = order.size() - order.waitingCount();
        std::vector<int> expected;
        std::copy_if(all.begin(), all.end(), std::back_inserter(expected),
                     [count](int id) { return id < count; });
        // Rows as a view asks for them: down, up, and jumping about.
        for (qsizetype row = 0; row < count; ++row)
            QCOMPARE(int(order.idAt(row)), expected[std::size_t(row)]);
        for (qsizetype row = count; row-- > 0;)
            QCOMPARE(int(order.idAt(row)), expected[std::size_t(row)]);
        for (qsizetype i = 0; i < count; i += 13) {
            const qsizetype row = i * 7919 % count;
            QCOMPARE(int(order.idAt(row)), expected[std::size_t(row)]);
            QCOMPARE(order.rowOf(order.entryAt(row)), row);
        }
        const auto [first, last] = order.rowsStartingWith(u"bob");
        qsizetype bobs = 0;
        for (qsizetype i = 0; i < count; ++i)
            bobs += lines[std::size_t(i)].name.toLower().startsWith("bob") ? 1 : 0;
        QCOMPARE(last - first, bobs);
        if (bobs > 0)
            QVERIFY(arena.nameBytes(order.idAt(first)).startsWith("bob") ||
                    arena.nameBytes(order.idAt(first)).startsWith("Bob"));
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto id = arena.append(lines[i].name, lines[i].tail);
        QVERIFY(id);
        order.add(*id);
        if (presort)
            order.presort(order.size());
        if (commitEvery > 0 && i % std::size_t(commitEvery) == 0) {
            order.commit();
            order.compact(std::size_t(movesPerCommit));
            if (i % std::size_t(commitEvery * 31) == 0) {
                check();
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }
    order.commit();
    if (toOne) {
        while (order.compact(std::size_t(movesPerCommit), true)) {
        }
    }
    QCOMPARE(order.size(), qsizetype(lines.size()));
    check();
}

void tst_database::order_sameLinesInAnyFileOrder_data()
{
    QTest::addColumn<QString>("locale");
    // Thai ignores blanks and punctuation, Swedish sets å, ä and ö after z.
    QTest::newRow("th_TH") << "th_TH";
    QTest::newRow("sv_SE") << "sv_SE";
    QTest::newRow("en_US") << "en_US";
}

void tst_database::order_sameLinesInAnyFileOrder()
{
    QFETCH(QString, locale);
    // No two lines that the collation finds equal (in Thai "Anna Lena" would
    // equal "Anna-Lena"), so that one order is right.
    const char *names[] = {"Zoe",  "Zoë", "Asa",  "Åsa",       "Ärla",  "Örjan", "Oskar", "Vera",
                           "Wera", "Ann", "Anna", "Anna-Lena", "สมชาย", "เกษม",  "Ab1"};
    const char *tails[] = {", 12 1 1900,2",
                           ", 1 3 1900,2",
                           ", 12x 1900,2",
                           ", 1 1 1900,1",
                           ", 3 3 1900,1",
                           ", 5 5 1900,1",
                           ", 9 9 1900,1",
                           ",",
                           ", x"};
    std::vector<Line> lines;
    for (const char *name : names) {
        for (const char *tail : tails)
            lines.push_back({name, tail});
    }
    Collation collation(locale);
    QList<QByteArray> first;
    QRandomGenerator rng(20261208);
    for (int fileOrder = 0; fileOrder < 3; ++fileOrder) {
        std::shuffle(lines.begin(), lines.end(), rng);
        ItemArena arena;
        SortedOrder order(arena, locale);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            order.add(*arena.append(lines[i].name, lines[i].tail));
            if (i % 13 == 12) {
                order.commit();
                order.compact(17);
            }
        }
        order.commit();
        QList<QByteArray> rows;
        for (qsizetype row = 0; row < order.size(); ++row) {
            const ItemArena::Id id = order.idAt(row);
            rows << itemText(
                {arena.nameBytes(id).toByteArray(), arena.tailBytes(id).toByteArray()});
            if (row > 0)
                QVERIFY2(collation.compareUtf8(rows[row - 1], rows[row]) < 0,
                         qPrintable(QString::fromUtf8(rows[row - 1].simplified() + " / " +
                                                      rows[row].simplified())));
        }
        if (fileOrder == 0)
            first = rows;
        else
            QCOMPARE(rows, first);
    }
    // The whole text decides before accents count anywhere: the dates come
    // between the two spellings.
    const QStringList zoes = {
        QString::fromUtf8("Zo\xC3\xAB , 1 1 1900,1"), QStringLiteral("Zoe , 3 3 1900,1"),
        QStringLiteral("Zoe , 5 5 1900,1"), QString::fromUtf8("Zo\xC3\xAB , 9 9 1900,1")};
    QStringList seen;
    for (const QByteArray &row : std::as_const(first)) {
        const QString text = QString::fromUtf8(row).simplified();
        if (zoes.contains(text))
            seen << text;
    }
    QCOMPARE(seen, zoes);
}

void tst_database::collation_ignoresCaseAndSetsAccentsBeside()
{
    // Accents beside their base letters, letter case ignored.
    QVERIFY(Collation().compareUtf8("Émile", "Emilf") < 0);
    QVERIFY(Collation().compareUtf8("anna", "ANNB") < 0);
}

void tst_database::order_rowsFollowItemsAcrossCommits()
{
    const std::vector<Line> lines = sampleLines(30000);
    ItemArena arena;
    SortedOrder order(arena);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        order.add(*arena.append(lines[i].name, lines[i].tail));
        // Waiting items show after the sorted ones, in arrival order.
        QCOMPARE(int(order.idAt(order.size() - 1)), int(i));
        if (i % 1001 == 1000) {
            order.commit();
            for (qsizetype row = 0; row < order.size(); row += 97)
                QCOMPARE(order.rowOf(order.entryAt(row)), row);
        }
    }
}

void tst_database::prefixKey_startsEveryLongerTextsKey()
{
    // Every beginning of every name of the sample, cut anywhere: its first
    // level key starts the name's whole key.
    QFile sample(QStringLiteral(FAMESCOPE_SAMPLE_DB));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    QStringList names = QString::fromUtf8(sample.readAll()).split(u'\n');
    names << QStringLiteral("Ab 1") << QStringLiteral("a-b") << QStringLiteral("Zoë Æsir ß")
          << QStringLiteral("李小龍") << QStringLiteral("Ωmega 2000") << QStringLiteral("Ωωα β");
    Collation collation;
    int checked = 0;
    for (QString name : names) {
        name = name.section(u',', 0, 0).trimmed();
        // The list item's whole text, as the list orders it.
        const QString item = itemtext::compose(name, u", 1 1 1900,2");
        std::string whole;
        collation.appendSortKey(item, whole);
        // The key's start, worked out alone from the UTF-8, is the same.
        unsigned char start[16];
        const std::size_t n = collation.sortKeyStartUtf8(item.toUtf8(), start, sizeof start);
        QCOMPARE(n, std::min<std::size_t>(16, whole.size()));
        QVERIFY(std::memcmp(start, whole.data(), n) == 0);
        for (qsizetype n = 1; n <= name.size(); ++n) {
            std::string start;
            collation.appendPrimaryPrefixKey(QStringView(name).left(n), start);
            QVERIFY2(whole.compare(0, start.size(), start) == 0,
                     qPrintable(name.left(n) + QStringLiteral(" of ") + name));
            ++checked;
        }
    }
    QVERIFY(checked > 4000);

    // A long tail is keyed by its start alone: the same sixteen bytes as the
    // whole text's key, where the tail's start weighs at the first level and
    // where it does not (blanks and punctuation, ignorable in Thai).
    const QByteArray tails[] = {", " + QByteArray(3000, '7'), ", " + QByteArray(5000, ' ') + "1",
                                ", " + QByteArray(2000, ',') + "\xC3\xA9" + QByteArray(20000, '.')};
    for (const QString &locale : {QStringLiteral("en_US"), QStringLiteral("th_TH")}) {
        const Collation local(locale);
        itemtext::Utf8Composer composer;
        for (const QByteArray &name : {QByteArray("A"), QByteArray("Zo\xC3\xAB")}) {
            for (const QByteArray &tail : tails) {
                const auto key = EntryOrder::keyStart(local, composer, name, tail);
                std::string whole;
                local.appendSortKey(
                    itemtext::compose(QString::fromUtf8(name), QString::fromUtf8(tail)), whole);
                whole.resize(16, '\0');
                unsigned char start[16];
                for (int i = 0; i < 8; ++i) {
                    start[i] = static_cast<unsigned char>(key.prefix >> (56 - 8 * i));
                    start[8 + i] = static_cast<unsigned char>(key.prefix2 >> (56 - 8 * i));
                }
                QVERIFY2(std::memcmp(start, whole.data(), 16) == 0,
                         qPrintable(locale + u' ' + QString::fromUtf8(name) + u' ' +
                                    QString::number(tail.size())));
            }
        }
    }
}

void tst_database::order_sortsTheSharedTableOfNames()
{
    // The same table the Windows collation test sorts with the system's own.
    QStringList expected;
    for (const char *name : kNamesInOrder)
        expected << QString::fromUtf8(name);
    ItemArena arena;
    SortedOrder order(arena);
    for (auto it = std::rbegin(kNamesInOrder); it != std::rend(kNamesInOrder); ++it)
        order.add(*arena.append(*it, ","));
    order.commit();
    QStringList sorted;
    for (qsizetype row = 0; row < order.size(); ++row)
        sorted << arena.name(order.idAt(row));
    QCOMPARE(sorted, expected);
}

void tst_database::platformText_roundTrips()
{
    // What the Windows layer is handed and hands back, checked where it runs.
    QString text = QString::fromUtf8("Janáček 𝄞 end");
    text.insert(8, QChar(0));
    const std::u16string wide = toU16(text);
    QCOMPARE(wide.size(), std::size_t(text.size()));
    QCOMPARE(wide[4], u'č');
    QCOMPARE(fromU16(wide), text);
    QCOMPARE(fromU16(u""), QString());
    const QByteArray bytes("a\0b\xFF", 4);
    QCOMPARE(bytesOf(bytes), std::string_view("a\0b\xFF", 4));
}

void tst_database::rowsStartingWith_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("names");
    // clang-format off
    QTest::newRow("case ignored")       << "alb"  << QStringList{"Alban Berg", "ALBERT Einstein"};
    QTest::newRow("accents ignored")    << "em"   << QStringList{"Emil", "Émile", "Emily"};
    QTest::newRow("accent typed")       << "É"    << QStringList{"Emil", "Émile", "Emily", "Eve"};
    QTest::newRow("with a blank")       << "alban " << QStringList{"Alban Berg"};
    QTest::newRow("whole name")         << "eve"  << QStringList{"Eve"};
    QTest::newRow("longer than a name") << "eves" << QStringList{};
    QTest::newRow("no match")           << "q"    << QStringList{};
    QTest::newRow("before all")         << "0"    << QStringList{};
    QTest::newRow("after all")          << "zz"   << QStringList{};
    QTest::newRow("long shared start")  << "alexander hamilton-sm" << QStringList{"Alexander Hamilton-Smith", "Alexander Hamilton-Smíth", "Alexander Hamilton-Smythe"};
    // clang-format on
}

void tst_database::rowsStartingWith()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, names);
    const char *all[] = {"Zoe",
                         "Emily",
                         "Alban Berg",
                         "Eve",
                         "Émile",
                         "ALBERT Einstein",
                         "Emil",
                         "Alexander Hamilton-Smythe",
                         "Alexander Hamilton-Smith",
                         "Alexander Hamilton-Smíth",
                         "Alexander Hamilton Smith",
                         "Bob"};
    ItemArena arena;
    SortedOrder order(arena);
    for (const char *name : all)
        order.add(*arena.append(name, ", 1 1 1900,2"));
    order.commit();
    const auto [first, last] = order.rowsStartingWith(prefix);
    QStringList found;
    for (qsizetype row = first; row < last; ++row)
        found << arena.name(order.idAt(row));
    QCOMPARE(found, names);
}

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
