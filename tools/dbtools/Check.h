#pragma once

#include "database/order/Collation.h"
#include "database/reading/DbFile.h"
#include "database/reading/LineParser.h"
#include "database/selection/Selection.h"

#include <QList>
#include <QString>

#include <functional>
#include <vector>

// Checks a database line by line, reading it exactly as the window does, and
// reports each line that needs attention: a skipped line that is no comment
// or gap, and a loaded line whose date or Life Path the selection would show
// wrong, whose name is cut or empty, that repeats an earlier celebrity, or
// that was read in the 8-bit code page in a file otherwise in UTF-8.

namespace database {

struct Problem
{
    enum class Kind {
        Marker,          // skipped: text = the marker, column = where
        NoComma,         // skipped
        DateForm,        // text = the date field
        NoCalendarDay,   // text = the date field
        LifePathForm,    // text = the Life Path field
        LifePathDiffers, // text = the file's digit, other = the computed one
        NameCut,         // column = the name's length before the cut
        EmptyName,
        Duplicate, // other = the earlier line's number
        CodePageLine,
    };
    Kind kind;
    QString text;
    QString other;
    qint64 number = 0;
};

// A short name of the kind, as the JSON output writes it ("no-comma").
QString kindName(Problem::Kind kind);
// One problem in words, as the text output writes it.
QString describe(const Problem &problem);

struct LineReport
{
    qint64 line = 0;
    bool skipped = false;
    QList<Problem> problems;
};

struct CheckSummary
{
    qint64 lines = 0;
    qint64 items = 0;
    qint64 skipped = 0;
    qint64 problemLines = 0;
    QString encoding; // "UTF-8", "UTF-8 with BOM", "UTF-16LE", "Windows-1252", ...
    QString lineEnds; // "CR LF", "LF", "CR", "mixed" or "none"
};

// A well-formed date of a data line.
struct Date
{
    int month = 0;
    int day = 0;
    int year = 0;
};

class DbChecker
{
public:
    using Reporter = std::function<void(const LineReport &)>;
    explicit DbChecker(Reporter reporter) : report(std::move(reporter)) {}

    // Reads the whole file, reporting as it goes. The file is open.
    CheckSummary run(DbFile &file);

private:
    void checkLine(qint64 number, QByteArrayView line, Encoding encoding, DbFile::Form form);
    // The file's encodings as its lines show them.
    void noteEncoding(QByteArrayView line, Encoding encoding, DbFile::Form form);
    // Why a skipped line is skipped, unless it is a comment or a gap.
    void checkSkipped(LineReport &lineReport, QByteArrayView line, Encoding encoding);
    void checkName(LineReport &lineReport, const ItemParts &parts, const QString &name);
    // The date and the Life Path as the selection reads them; the date.
    QStringView checkRecord(LineReport &lineReport, const RecordFields &fields);
    void publish(LineReport &lineReport, bool counted = false);
    char lifePathOf(const Date &date);

    Reporter report;
    LineParser parser;
    Collation collation;
    std::string key;
    // A hash of each celebrity's name key and date, with its first line, in
    // an open-addressed table: one probe of memory per line, no allocation.
    struct Seen
    {
        std::uint64_t hash = 0; // 0: empty
        qint64 line = 0;
    };
    std::vector<Seen> seen = std::vector<Seen>(1024);
    std::size_t seenCount = 0;
    // The first line of an earlier celebrity with this hash, or 0 after
    // recording this line as its first.
    qint64 firstLineOf(std::uint64_t hash, qint64 line);
    // Lines read in the code page before any UTF-8 line, by number and
    // whether they were reported for something else: reported for the code
    // page once a UTF-8 line shows that the file is otherwise UTF-8.
    std::vector<std::pair<qint64, bool>> codePageLines;
    std::vector<signed char> lifePaths; // by date; -1 not yet worked out
    bool otherwiseUtf8 = false;
    bool anyCodePage = false;
    bool anyNonAscii = false;
    CheckSummary summary;
};

} // namespace database
