// famescope-db: the celebrity database from the command line, on the same
// code as the window.
//   famescope-db check [--json] FILE
//   famescope-db build TSV [OUT]
//   famescope-db match (--date YYYY-MM-DD | --day D --month M --year Y)
//                      [--top N] [--json] [--db FILE]
#include "database/reading/DbFile.h"
#include "database/reading/LineParser.h"
#include "database/reading/Location.h"
#include "dbtools/Check.h"
#include "dbtools/Match.h"
#include "engine/numerology.h"
#include "version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#ifdef Q_OS_WIN
#include "platform/win32.h"
#endif

namespace {

constexpr int kAttention = 1;
constexpr int kFailure = 2;

const char kUsage[] =
    "Usage: famescope-db check [--json] FILE\n"
    "       famescope-db build TSV [OUT]\n"
    "       famescope-db match (--date YYYY-MM-DD | --day D --month M --year Y)\n"
    "                          [--top N] [--json] [--db FILE]\n"
    "\n"
    "check  reads a database as the window does and reports each line that needs\n"
    "       attention, then a summary. Exit status 0: nothing to report; 1: lines\n"
    "       need attention; 2: the file cannot be read.\n"
    "build  writes a database from a table of birth dates (name, month, day, year,\n"
    "       source, separated by tabs, after a header line) to OUT or standard output.\n"
    "match  lists the celebrities most compatible with a date of birth, each with\n"
    "       the percentage the window shows when it is the first celebrity selected\n"
    "       after start-up. Where the window cannot read a celebrity's Attitude (no\n"
    "       second comma, or a date shorter than four characters) it keeps the one\n"
    "       selected before; match counts none. --day, --month and --year take the\n"
    "       texts the window's drop-downs take. --db defaults to the database the\n"
    "       window loads.\n"
    "\n"
    "Options:\n"
    "  --json       JSON Lines: one object per reported line or celebrity, then a summary\n"
    "  -h, --help   this text\n"
    "  -v, --version\n";

void write(const QByteArray &bytes, FILE *to = stdout)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), to);
}

void writeLine(const QString &text, FILE *to = stdout)
{
    write(text.toUtf8() + '\n', to);
}

// One object of JSON Lines, written straight into its bytes: a million
// reported lines cost no document objects. Fields come out in the order they
// are given, which is alphabetical throughout.
class JsonObject
{
public:
    JsonObject &field(const char *key, qint64 value)
    {
        name(key);
        bytes += QByteArray::number(value);
        return *this;
    }
    JsonObject &field(const char *key, const QString &value)
    {
        name(key);
        appendString(value);
        return *this;
    }
    JsonObject &field(const char *key, const JsonObject &value)
    {
        name(key);
        bytes += value.bytes + '}';
        return *this;
    }
    JsonObject &field(const char *key, const QList<JsonObject> &values)
    {
        name(key);
        bytes += '[';
        for (qsizetype i = 0; i < values.size(); ++i)
            bytes += (i > 0 ? "," : "") + values[i].bytes + '}';
        bytes += ']';
        return *this;
    }
    // The object as one line.
    void writeLine() const { write(bytes + "}\n"); }

private:
    void name(const char *key)
    {
        bytes += bytes.size() > 1 ? ",\"" : "\"";
        bytes += key;
        bytes += "\":";
    }
    void appendString(const QString &text)
    {
        bytes += '"';
        for (const char c : text.toUtf8()) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                bytes += '\\';
                bytes += c;
            } else if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                bytes += "\\u00";
                bytes += hex[u >> 4];
                bytes += hex[u & 0xF];
            } else {
                bytes += c;
            }
        }
        bytes += '"';
    }

    QByteArray bytes = "{";
};

int usageError(const QString &message)
{
    writeLine(QStringLiteral("famescope-db: ") + message +
                  QStringLiteral(" (try 'famescope-db --help')"),
              stderr);
    return kFailure;
}

int cannotRead(const QString &path, database::ReadFailure failure)
{
    writeLine(QStringLiteral("famescope-db: %1: %2")
                  .arg(QDir::toNativeSeparators(path), database::failureName(failure)),
              stderr);
    return kFailure;
}

JsonObject problemJson(const database::Problem &p)
{
    using Kind = database::Problem::Kind;
    const QString kind = database::kindName(p.kind);
    switch (p.kind) {
    case Kind::Marker:
        return JsonObject().field("column", p.number).field("kind", kind).field("marker", p.text);
    case Kind::DateForm:
    case Kind::NoCalendarDay:
        return JsonObject().field("date", p.text).field("kind", kind);
    case Kind::LifePathForm:
        return JsonObject().field("kind", kind).field("lifePath", p.text);
    case Kind::LifePathDiffers:
        return JsonObject()
            .field("computed", p.other)
            .field("kind", kind)
            .field("lifePath", p.text);
    case Kind::NameCut:
        return JsonObject().field("kind", kind).field("length", p.number);
    case Kind::Duplicate:
        return JsonObject().field("kind", kind).field("sameAsLine", p.number);
    case Kind::NoComma:
    case Kind::EmptyName:
    case Kind::CodePageLine:
        break;
    }
    return JsonObject().field("kind", kind);
}

int check(const QStringList &args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"));
    parser.addOption(json);
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (parser.positionalArguments().size() != 1)
        return usageError(QStringLiteral("check takes one FILE"));
    const QString path = parser.positionalArguments().constFirst();
    const bool asJson = parser.isSet(json);

    database::DbFile file(path);
    if (file.failure() != database::ReadFailure::None)
        return cannotRead(path, file.failure());
    database::DbChecker checker([&](const database::LineReport &r) {
        if (asJson) {
            QList<JsonObject> problems;
            for (const database::Problem &p : r.problems)
                problems << problemJson(p);
            JsonObject()
                .field("line", r.line)
                .field("outcome", r.skipped ? QStringLiteral("skipped") : QStringLiteral("loaded"))
                .field("problems", problems)
                .writeLine();
        } else {
            QStringList said;
            for (const database::Problem &p : r.problems)
                said << database::describe(p);
            writeLine(
                QStringLiteral("line %1: %2").arg(r.line).arg(said.join(QStringLiteral("; "))));
        }
    });
    const database::CheckSummary s = checker.run(file);
    if (file.failure() != database::ReadFailure::None)
        return cannotRead(path, file.failure());
    if (asJson) {
        JsonObject()
            .field("summary", JsonObject()
                                  .field("encoding", s.encoding)
                                  .field("items", s.items)
                                  .field("lineEnds", s.lineEnds)
                                  .field("lines", s.lines)
                                  .field("problemLines", s.problemLines)
                                  .field("skipped", s.skipped))
            .writeLine();
    } else {
        writeLine(QStringLiteral("%1 lines: %2 names the window shows, %3 skipped, %4 with "
                                 "problems; %5, %6 line ends")
                      .arg(s.lines)
                      .arg(s.items)
                      .arg(s.skipped)
                      .arg(s.problemLines)
                      .arg(s.encoding, s.lineEnds));
    }
    return s.problemLines > 0 ? kAttention : 0;
}

// A row of the birth table (name, month, day, year, tab-separated) as a data
// line; empty for a row with nothing to write (no name left, no Life Path);
// nothing for a row that is no birth date.
std::optional<QByteArray> dataLineOfRow(const QString &row)
{
    const QStringList f = row.split(u'\t');
    bool okMonth = false, okDay = false, okYear = false;
    const int month = f.value(1).toInt(&okMonth);
    const int day = f.value(2).toInt(&okDay);
    const int year = f.value(3).toInt(&okYear);
    if (f.size() < 4 || !okMonth || !okDay || !okYear || month < 1 || month > 12 || day < 1 ||
        day > 31 || year < 0 || year > 9999)
        return std::nullopt;
    const QString name = database::storableName(f[0]);
    if (name.isEmpty())
        return QByteArray();
    return database::dataLine(name, month, day, year).value_or(QByteArray());
}

int build(const QStringList &args)
{
    QCommandLineParser parser;
    if (!parser.parse(args))
        return usageError(parser.errorText());
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty() || files.size() > 2)
        return usageError(QStringLiteral("build takes TSV and an optional OUT"));
    QFile in(files[0]);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        writeLine(
            QStringLiteral("famescope-db: cannot read %1").arg(QDir::toNativeSeparators(files[0])),
            stderr);
        return kFailure;
    }
    QByteArray out;
    out += "# Famescope sample database: birth dates of public figures from the BSD calendar "
           "data files (calendar.birthday, calendar.music, calendar.history; BSD licence). "
           "Each line: name, month day year, Life Path.\r\n";
    QTextStream lines(&in);
    lines.setEncoding(QStringConverter::Utf8);
    lines.readLine(); // header
    int written = 0;
    for (int lineNo = 2; !lines.atEnd(); ++lineNo) {
        const QString line = lines.readLine();
        const std::optional<QByteArray> dbLine = dataLineOfRow(line);
        if (!dbLine) {
            writeLine(QStringLiteral("famescope-db: line %1 skipped: %2").arg(lineNo).arg(line),
                      stderr);
            continue;
        }
        if (dbLine->isEmpty())
            continue;
        out += *dbLine;
        ++written;
    }
    if (files.size() == 2) {
        QFile dest(files[1]);
        if (!dest.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            dest.write(out) != out.size()) {
            writeLine(QStringLiteral("famescope-db: cannot write %1").arg(files[1]), stderr);
            return kFailure;
        }
    } else {
        write(out);
    }
    writeLine(QStringLiteral("famescope-db: %1 celebrities written").arg(written), stderr);
    return 0;
}

// The date a match is for, as the drop-downs would hold it, and its numbers.
struct MatchUser
{
    QString day;
    QString month;
    QString year;
    QString lifePath;
    QString attitude;
};

struct MatchOptions
{
    QCommandLineOption date{QStringLiteral("date"), {}, QStringLiteral("YYYY-MM-DD")};
    QCommandLineOption day{QStringLiteral("day"), {}, QStringLiteral("D")};
    QCommandLineOption month{QStringLiteral("month"), {}, QStringLiteral("M")};
    QCommandLineOption year{QStringLiteral("year"), {}, QStringLiteral("Y")};
    QCommandLineOption top{QStringLiteral("top"), {}, QStringLiteral("N"), QStringLiteral("10")};
    QCommandLineOption json{QStringLiteral("json")};
    QCommandLineOption db{QStringLiteral("db"), {}, QStringLiteral("FILE")};
};

// The user's date from the options; the usage error's text when they give none.
std::optional<MatchUser> userOfOptions(const QCommandLineParser &parser, const MatchOptions &o,
                                       QString &error)
{
    MatchUser user;
    const bool byParts = parser.isSet(o.day) || parser.isSet(o.month) || parser.isSet(o.year);
    if (parser.isSet(o.date) == byParts) {
        error = QStringLiteral("give either --date or --day, --month and --year");
        return std::nullopt;
    }
    if (parser.isSet(o.date)) {
        const QDate d = QDate::fromString(parser.value(o.date), Qt::ISODate);
        if (!d.isValid() || parser.value(o.date).size() != 10) {
            error = QStringLiteral("--date takes a date as YYYY-MM-DD");
            return std::nullopt;
        }
        // As the drop-downs write them: the day's number, the month's name,
        // the year's four digits.
        user.day = QString::number(d.day());
        user.month = engine::monthNames()[d.month() - 1];
        user.year = parser.value(o.date).left(4);
    } else {
        if (!parser.isSet(o.day) || !parser.isSet(o.month) || !parser.isSet(o.year)) {
            error = QStringLiteral("--day, --month and --year go together");
            return std::nullopt;
        }
        user.day = parser.value(o.day);
        user.month = parser.value(o.month);
        user.year = parser.value(o.year);
    }
    return user;
}

void writeMatchesJson(const QString &path, const MatchUser &user,
                      const database::MatchResult &result)
{
    JsonObject()
        .field("database", path)
        .field("items", result.items)
        .field("user", JsonObject()
                           .field("attitude", user.attitude)
                           .field("day", user.day)
                           .field("lifePath", user.lifePath)
                           .field("month", user.month)
                           .field("year", user.year))
        .writeLine();
    qint64 rank = 0;
    for (const database::MatchEntry &e : result.top) {
        JsonObject()
            .field("attitude", e.attitude)
            .field("birthDate", e.birthDate)
            .field("lifePath", e.lifePath)
            .field("name", e.name)
            .field("percent", e.percent)
            .field("rank", ++rank)
            .writeLine();
    }
}

void writeMatchesText(const QString &path, const MatchUser &user,
                      const database::MatchResult &result)
{
    writeLine(QStringLiteral("You (%1 %2 %3): Life Path %4, Attitude %5")
                  .arg(user.day, user.month, user.year, user.lifePath, user.attitude));
    writeLine(QStringLiteral("Most compatible of %1 celebrities in %2:")
                  .arg(result.items)
                  .arg(QDir::toNativeSeparators(path)));
    int rank = 0;
    for (const database::MatchEntry &e : result.top) {
        writeLine(QStringLiteral("%1. %2 %3 (born%4; Life Path %5, Attitude %6)")
                      .arg(++rank, 3)
                      .arg(e.percent, 4)
                      .arg(e.name, e.birthDate, e.lifePath, e.attitude));
    }
}

int match(const QStringList &args)
{
    QCommandLineParser parser;
    const MatchOptions o;
    parser.addOptions({o.date, o.day, o.month, o.year, o.top, o.json, o.db});
    if (!parser.parse(args))
        return usageError(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("match takes no FILE; name it with --db"));
    QString error;
    std::optional<MatchUser> user = userOfOptions(parser, o, error);
    if (!user)
        return usageError(error);
    bool okTop = false;
    const int count = parser.value(o.top).toInt(&okTop);
    if (!okTop || count < 0)
        return usageError(QStringLiteral("--top takes a whole number"));

    const auto lifePath = engine::lifePath(user->day, user->month, user->year);
    const auto attitude = engine::attitude(user->day, user->month, user->year);
    if (!lifePath || !attitude) {
        writeLine(QStringLiteral("famescope-db: the numbers of that date overflow, as the "
                                 "window's do; it keeps the last date it could compute"),
                  stderr);
        return kFailure;
    }
    user->lifePath = *lifePath;
    user->attitude = *attitude;
    const QString path =
        parser.isSet(o.db)
            ? parser.value(o.db)
            : database::chooseDb(database::dbSearchPaths(QCoreApplication::applicationDirPath()));
    database::DbFile file(path);
    if (file.failure() != database::ReadFailure::None)
        return cannotRead(path, file.failure());
    const database::MatchResult result = database::topMatches(file, *lifePath, count);
    if (file.failure() != database::ReadFailure::None)
        return cannotRead(path, file.failure());
    if (parser.isSet(o.json))
        writeMatchesJson(path, *user, result);
    else
        writeMatchesText(path, *user, result);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_WIN
    platform::writeUtf8Output();
#endif
    QCoreApplication::setApplicationName(QStringLiteral("famescope-db"));
    QCoreApplication::setApplicationVersion(QStringLiteral(FAMESCOPE_VERSION));
    QStringList args = app.arguments();
    const QString first = args.value(1);
    if (first == QLatin1String("-h") || first == QLatin1String("--help") ||
        first == QLatin1String("help")) {
        write(kUsage);
        return 0;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        writeLine(QStringLiteral("famescope-db %1").arg(QStringLiteral(FAMESCOPE_VERSION)));
        return 0;
    }
    if (first.isEmpty())
        return usageError(QStringLiteral("no command given"));
    args.removeAt(1); // the parser takes the program's name, then the options
    if (first == QLatin1String("check"))
        return check(args);
    if (first == QLatin1String("build"))
        return build(args);
    if (first == QLatin1String("match"))
        return match(args);
    return usageError(QStringLiteral("unknown command '%1'").arg(first));
}
