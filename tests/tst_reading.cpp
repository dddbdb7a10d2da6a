#include "FaultyFile.h"
#include "UnreadableFile.h"
#include "database/order/Collation.h"
#include "database/order/OrderBudget.h"
#include "database/reading/DbFile.h"
#include "database/reading/LineParser.h"
#include "database/reading/Location.h"
#include "database/reading/ParseAhead.h"
#include "database/reading/ReadBudget.h"
#include "database/selection/Selection.h"
#include "database/text/ItemText.h"
#include "database/text/PlatformText.h"
#include "engine/numerology.h"

#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using namespace database;

// Finding and reading db.txt: line ends and encodings, a line into the
// pieces of its list item and back, and the reading thread that does both a
// little ahead of the load.
class tst_reading : public QObject
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
    void parseAhead_stoppedEarly_endsBeforeTheEnd();
    void lookup_firstRegularFileWins_data();
    void lookup_firstRegularFileWins();
    void open_failures_areNamed_data();
    void open_failures_areNamed();
    void platformText_roundTrips();

private:
    QTemporaryDir dir;
    QString writeFile(const QString &name, const QByteArray &bytes);
};

QString tst_reading::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

void tst_reading::parse_dataLine_data()
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

void tst_reading::parse_dataLine()
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

void tst_reading::dataLine_roundTrips_data()
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

void tst_reading::dataLine_roundTrips()
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

void tst_reading::parse_skipped_data()
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

void tst_reading::parse_skipped()
{
    QFETCH(QByteArray, line);
    LineParser parser;
    QVERIFY(!parser.parse(line, Encoding::Utf8).has_value());
}

void tst_reading::parse_longName_isCutTo499Units_data()
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

void tst_reading::parse_longName_isCutTo499Units()
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

void tst_reading::readLines_data()
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

void tst_reading::readLines()
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

void tst_reading::readLines_longLineAcrossBlocks()
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

void tst_reading::readLines_crLfSplitAcrossBlocks()
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

void tst_reading::parseAhead_givesTheLinesAsReadHere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Keyed past a common start, the first 24 bytes of the first line's key:
    // never (0), from the start (1), from when it is asked for (2); or past
    // the starts the reader chooses from the first items' sampled keys (3).
    QTest::addColumn<int>("pastCommon");
    QByteArray many;
    for (int i = 0; i < 10000; ++i)
        many += (i % 7 == 0 ? "# " : "") + QByteArray("Name ") +
                QByteArray::number(i * 7919 % 10007) + ", 1 2 1900,3\r\n";
    // clang-format off
    QTest::newRow("kinds of lines")  << QByteArray("Bj\xC3\xB6rk, 1 1 1900,2\r\nZo\xEB, 2 2 1902,4\nno comma\r#, x\r  Eve  ,\r\n\r\n(x), 1") << 0;
    QTest::newRow("batches of many") << many << 0;
    QTest::newRow("huge lines")      << "a, 1\r\nb, " + QByteArray(3 << 20, '7') + "\r\nc, 2\r\n" + QByteArray(3 << 20, 'x') + ", 3\r\nd, 4" << 0;
    QTest::newRow("UTF-16")          << utf16(QString::fromUtf8("Janáček, 1 1 1900,2\r\n# x, 1\r\nČapek, 2"), true) << 0;
    QTest::newRow("empty file")      << QByteArray() << 0;
    const QByteArray alike = "Sir Alexander Hamilton of the Clan Gray, 1\r\n" + many.replace("Name ", "Sir Alexander Hamilton of the Clan Gray ") + "Sir Alex, 2\r\nSir Alexander Hamilton of the Clan Grey, 3";
    QTest::newRow("common start")    << alike << 1;
    QTest::newRow("common start later") << alike << 2;
    QTest::newRow("starts chosen")   << alike << 3;
    // clang-format on
}

void tst_reading::parseAhead_givesTheLinesAsReadHere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, pastCommon);
    const QString path = writeFile(QStringLiteral("ahead.txt"), bytes);
    DbFile file(path);
    LineParser parser;
    Collation collation;
    itemtext::Utf8Composer text;
    CommonStarts starts;
    if (pastCommon == 1 || pastCommon == 2) {
        std::string common;
        collation.appendSortKey(
            itemtext::compose(QString::fromUtf8(bytes.left(bytes.indexOf(','))), u""), common);
        common.resize(24);
        starts = CommonStarts::of({common});
    }
    ParseAhead ahead(path, {}, pastCommon == 1 ? starts : CommonStarts(), pastCommon == 3);
    std::vector<std::string> samples;
    if (pastCommon == 2)
        ahead.useCommonStarts(starts);
    QCOMPARE(ahead.fileSize(), qint64(bytes.size()));
    QByteArrayView line;
    Encoding encoding;
    ParseAhead::Line got;
    int lines = 0;
    int items = 0;
    int pastOnes = 0;
    bool keyedWith = false;
    int keyedWithout = 0;
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
        // The first items come with their sampled keys; the reader keys the
        // items after them past the starts chosen from those.
        const bool sampled = pastCommon == 3 && items < int(load::kCommonStartItems);
        QCOMPARE(got.sample != nullptr, sampled);
        if (sampled) {
            samples.push_back(EntryOrder::sampleKey(collation, text, parts->name, parts->tail));
            QVERIFY(*got.sample == samples.back());
            if (samples.size() == load::kCommonStartItems)
                starts = CommonStarts::chooseFromSamples(samples);
        }
        // Keyed with the start once, keyed with it from then on.
        if (got.key.starts != 0)
            keyedWith = true;
        else if (keyedWith)
            QFAIL("a line keyed without the start after one keyed with it");
        else
            ++keyedWithout;
        if (pastCommon == 0 || pastCommon == 1)
            QCOMPARE(got.key.starts != 0, pastCommon == 1);
        if (pastCommon == 3)
            QCOMPARE(got.key.starts != 0, !sampled);
        const auto key = EntryOrder::keyStart(collation, text, parts->name, parts->tail,
                                              got.key.starts ? starts : CommonStarts());
        QVERIFY(got.key.bytes0to7 == key.bytes0to7 && got.key.bytes8to15 == key.bytes8to15);
        QCOMPARE(got.key.starts, key.starts);
        // Slot 1: the keys that begin with the one start and go on.
        pastOnes += (key.bytes0to7 >> 48) == 1 ? 1 : 0;
        ++items;
    }
    QCOMPARE(next(), ParseAhead::Next::End);
    QCOMPARE(next(), ParseAhead::Next::End);
    QCOMPARE(ahead.failure(), file.failure());
    // Every item but "Sir Alex" goes on past the common start; asked for
    // later, every item of the batches the reader takes after that.
    if (pastCommon == 2) {
        // The reader may have filled every batch before it was asked; the
        // ones it takes after that are keyed with the start.
        int filledBefore = 0;
        for (int b = 0; b < load::kBatches; ++b)
            filledBefore += int(std::min(load::kFirstBatchLines << b, load::kBatchLines));
        QVERIFY(pastOnes >= items - 1 - filledBefore);
        QVERIFY(keyedWithout <= filledBefore);
    } else if (pastCommon != 3)
        QCOMPARE(pastOnes, pastCommon ? items - 1 : 0);
    QVERIFY(lines > 0 || bytes.isEmpty());
}

void tst_reading::parseAhead_stoppedEarly_endsBeforeTheEnd()
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
    // is, so that closing the window does not wait for the line's end. Read
    // from a slow disk, the line takes more than a second and a half, so
    // that each moment below falls inside it on any machine: a reader that
    // looked at the stop only between lines would read the whole of it.
    // (How soon it stops is bench_load --long-line's to measure.)
    const qint64 giantSize = 50 << 20;
    const QString giant = writeFile(QStringLiteral("giant.txt"),
                                    "Giant, 1 2 1900,3" + QByteArray(giantSize, '7') + "\r\n");
    constexpr int kMsPerBlock = 2; // a block is DbFile's read of 64 KiB
    for (const int afterMs : {-1, 0, 2, 5, 20, 80}) {
        const FaultyFiles slow(std::numeric_limits<qint64>::max(), kMsPerBlock);
        auto ahead = std::make_unique<ParseAhead>(giant);
        if (afterMs < 0)
            QTRY_VERIFY(slow.bytesHandedOut() > (1 << 20)); // well inside the line
        else
            QTest::qSleep(afterMs);
        ahead.reset();
        QVERIFY2(slow.bytesHandedOut() < giantSize / 2,
                 qPrintable(QStringLiteral("%1 bytes read, stopped %2 ms after the start")
                                .arg(slow.bytesHandedOut())
                                .arg(afterMs)));
    }

    // A file that is not there ends at once, and says why.
    ParseAhead missing(dir.filePath(QStringLiteral("nothing-here.txt")));
    ParseAhead::Line line;
    QCOMPARE(nextLine(missing, line), ParseAhead::Next::End);
    QCOMPARE(missing.failure(), ReadFailure::NotFound);
    QCOMPARE(missing.fileSize(), qint64(0));
}

void tst_reading::lookup_firstRegularFileWins_data()
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

void tst_reading::lookup_firstRegularFileWins()
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

void tst_reading::open_failures_areNamed_data()
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

void tst_reading::open_failures_areNamed()
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

void tst_reading::platformText_roundTrips()
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

QTEST_GUILESS_MAIN(tst_reading)
#include "tst_reading.moc"
