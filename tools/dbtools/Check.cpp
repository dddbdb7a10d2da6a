#include "Check.h"

#include "database/selection/Selection.h"
#include "database/text/ItemText.h"
#include "engine/numerology.h"

#include <QDate>

namespace database {

namespace {

// A line that is empty, blanks only, or starts (after blanks) with one of the
// markers is a comment or a gap: skipped on purpose.
bool isCommentOrGap(QByteArrayView line)
{
    for (const char c : line) {
        if (c != ' ')
            return isSkipMarker(c);
    }
    return true;
}

std::uint64_t hashOf(const std::string &key, QStringView date)
{
    // FNV-1a over the name's key and the date's code units.
    std::uint64_t h = 1469598103934665603ULL;
    const auto mix = [&h](unsigned char c) {
        h ^= c;
        h *= 1099511628211ULL;
    };
    for (const char c : key)
        mix(static_cast<unsigned char>(c));
    mix(0);
    for (const QChar c : date) {
        mix(static_cast<unsigned char>(c.unicode() & 0xFF));
        mix(static_cast<unsigned char>(c.unicode() >> 8));
    }
    return h;
}

// " M D YYYY": the month 1 to 12 without a leading zero, the day, the year in
// four digits.
std::optional<Date> parseDate(QStringView date)
{
    const auto number = [&date](qsizetype &at, qsizetype minDigits, qsizetype maxDigits,
                                bool zeroFirst = true) {
        int value = 0;
        const qsizetype start = at;
        while (at < date.size() && at - start < maxDigits && date[at] >= u'0' && date[at] <= u'9')
            value = value * 10 + (date[at++].unicode() - u'0');
        const qsizetype digits = at - start;
        const bool leadingZero = !zeroFirst && digits > 1 && date[start] == u'0';
        return digits >= minDigits && !leadingZero ? value : -1;
    };
    qsizetype at = 0;
    const auto blank = [&] { return at < date.size() && date[at++] == u' '; };
    Date d;
    if (!blank() || (d.month = number(at, 1, 2, false)) < 1 || d.month > 12 || !blank() ||
        (d.day = number(at, 1, 2)) < 1 || !blank() || (d.year = number(at, 4, 4)) < 0 ||
        at != date.size())
        return std::nullopt;
    return d;
}

} // namespace

qint64 DbChecker::firstLineOf(std::uint64_t hash, qint64 line)
{
    hash = hash == 0 ? 1 : hash;
    if (2 * (seenCount + 1) > seen.size()) {
        std::vector<Seen> bigger(seen.size() * 2);
        for (const Seen &s : seen) {
            if (s.hash == 0)
                continue;
            std::size_t i = s.hash & (bigger.size() - 1);
            while (bigger[i].hash != 0)
                i = (i + 1) & (bigger.size() - 1);
            bigger[i] = s;
        }
        seen.swap(bigger);
    }
    std::size_t i = hash & (seen.size() - 1);
    for (; seen[i].hash != 0; i = (i + 1) & (seen.size() - 1)) {
        if (seen[i].hash == hash)
            return seen[i].line;
    }
    seen[i] = {hash, line};
    ++seenCount;
    return 0;
}

char DbChecker::lifePathOf(const Date &d)
{
    // Life Paths by date, worked out once each: a million lines hold a few
    // tens of thousands of dates.
    const std::size_t index =
        (std::size_t(d.month - 1) * 31 + std::size_t(d.day - 1)) * 10000 + std::size_t(d.year);
    if (lifePaths.empty())
        lifePaths.assign(12 * 31 * 10000, -1);
    if (lifePaths[index] < 0) {
        const auto lp = engine::lifePathOfDate(d.month, d.day, d.year);
        lifePaths[index] = lp && lp->size() == 1 ? lp->at(0).toLatin1() : 0;
    }
    return lifePaths[index];
}

QString kindName(Problem::Kind kind)
{
    switch (kind) {
    case Problem::Kind::Marker:
        return QStringLiteral("marker");
    case Problem::Kind::NoComma:
        return QStringLiteral("no-comma");
    case Problem::Kind::DateForm:
        return QStringLiteral("date-form");
    case Problem::Kind::NoCalendarDay:
        return QStringLiteral("no-calendar-day");
    case Problem::Kind::LifePathForm:
        return QStringLiteral("life-path-form");
    case Problem::Kind::LifePathDiffers:
        return QStringLiteral("life-path-differs");
    case Problem::Kind::NameCut:
        return QStringLiteral("name-cut");
    case Problem::Kind::EmptyName:
        return QStringLiteral("empty-name");
    case Problem::Kind::Duplicate:
        return QStringLiteral("duplicate");
    case Problem::Kind::CodePageLine:
        return QStringLiteral("code-page-line");
    }
    return {};
}

QString describe(const Problem &p)
{
    switch (p.kind) {
    case Problem::Kind::Marker:
        return QStringLiteral("skipped: \"%1\" at column %2").arg(p.text).arg(p.number);
    case Problem::Kind::NoComma:
        return QStringLiteral("skipped: no comma");
    case Problem::Kind::DateForm:
        return QStringLiteral("date \"%1\" is not \" M D YYYY\"").arg(p.text);
    case Problem::Kind::NoCalendarDay:
        return QStringLiteral("date \"%1\" is no calendar day").arg(p.text);
    case Problem::Kind::LifePathForm:
        return QStringLiteral("Life Path \"%1\" is not one digit").arg(p.text);
    case Problem::Kind::LifePathDiffers:
        return QStringLiteral("Life Path %1 differs from %2, computed from the date")
            .arg(p.text, p.other);
    case Problem::Kind::NameCut:
        return QStringLiteral("name of %1 characters cut to %2")
            .arg(p.number)
            .arg(itemtext::kMaxNameUnits);
    case Problem::Kind::EmptyName:
        return QStringLiteral("empty name");
    case Problem::Kind::Duplicate:
        return QStringLiteral("same name and date as line %1").arg(p.other);
    case Problem::Kind::CodePageLine:
        return QStringLiteral("read as Windows-1252 in a file otherwise UTF-8");
    }
    return {};
}

void DbChecker::publish(LineReport &lineReport, bool counted)
{
    if (lineReport.problems.isEmpty())
        return;
    if (!counted)
        ++summary.problemLines;
    report(lineReport);
}

CheckSummary DbChecker::run(DbFile &file)
{
    QByteArrayView line;
    Encoding encoding;
    qint64 number = 0;
    while (file.readLine(line, encoding))
        checkLine(++number, line, encoding, file.form());
    summary.lines = number;

    switch (file.form()) {
    case DbFile::Form::Utf8Marked:
        summary.encoding = QStringLiteral("UTF-8 with BOM");
        break;
    case DbFile::Form::Utf16LE:
        summary.encoding = QStringLiteral("UTF-16LE");
        break;
    case DbFile::Form::Utf16BE:
        summary.encoding = QStringLiteral("UTF-16BE");
        break;
    case DbFile::Form::Plain:
        summary.encoding = otherwiseUtf8 && anyCodePage ? QStringLiteral("UTF-8 and Windows-1252")
                           : anyCodePage                ? QStringLiteral("Windows-1252")
                           : anyNonAscii                ? QStringLiteral("UTF-8")
                                                        : QStringLiteral("ASCII");
        break;
    }
    const DbFile::LineEnds &ends = file.lineEnds();
    const int kinds = (ends.crLf > 0) + (ends.cr > 0) + (ends.lf > 0);
    summary.lineEnds = kinds > 1       ? QStringLiteral("mixed")
                       : ends.crLf > 0 ? QStringLiteral("CR LF")
                       : ends.cr > 0   ? QStringLiteral("CR")
                       : ends.lf > 0   ? QStringLiteral("LF")
                                       : QStringLiteral("none");
    return summary;
}

void DbChecker::noteEncoding(QByteArrayView line, Encoding encoding, DbFile::Form form)
{
    if (form != DbFile::Form::Plain || isAscii(line))
        return;
    if (encoding == Encoding::CodePage) {
        anyCodePage = true;
        return;
    }
    anyNonAscii = true;
    // The first UTF-8 line with more than ASCII: the code-page lines held so
    // far were in a file otherwise UTF-8 after all.
    if (otherwiseUtf8)
        return;
    otherwiseUtf8 = true;
    for (const auto &[held, reported] : codePageLines) {
        LineReport late{held, false, {{Problem::Kind::CodePageLine, {}, {}, 0}}};
        publish(late, reported);
    }
    codePageLines.clear();
    codePageLines.shrink_to_fit();
}

void DbChecker::checkSkipped(LineReport &lineReport, QByteArrayView line, Encoding encoding)
{
    ++summary.skipped;
    lineReport.skipped = true;
    if (isCommentOrGap(line))
        return;
    const SkipReason why = *skipReason(line);
    if (why.marker != 0) {
        const qsizetype column = decode(line.first(why.offset), encoding).size() + 1;
        lineReport.problems.append(
            {Problem::Kind::Marker, QString(QLatin1Char(why.marker)), {}, qint64(column)});
    } else {
        lineReport.problems.append({Problem::Kind::NoComma, {}, {}, 0});
    }
}

void DbChecker::checkName(LineReport &lineReport, const ItemParts &parts, const QString &name)
{
    if (name.isEmpty())
        lineReport.problems.append({Problem::Kind::EmptyName, {}, {}, 0});
    if (parts.uncutName.size() != parts.name.size()) {
        const qsizetype fullUnits = QString::fromUtf8(parts.uncutName).size();
        lineReport.problems.append({Problem::Kind::NameCut, {}, {}, qint64(fullUnits)});
    }
}

QStringView DbChecker::checkRecord(LineReport &lineReport, const RecordFields &fields)
{
    // Here the date without a second comma is the whole record, and the
    // Life Path field runs to the next comma.
    const QStringView date = fields.hasDate() ? fields.date() : QStringView(fields.record);
    const std::optional<Date> parsed = parseDate(date);
    bool dateOk = false;
    if (!parsed) {
        lineReport.problems.append({Problem::Kind::DateForm, date.toString(), {}, 0});
    } else if (!QDate::isValid(parsed->year, parsed->month, parsed->day)) {
        lineReport.problems.append({Problem::Kind::NoCalendarDay, date.toString(), {}, 0});
    } else {
        dateOk = true;
    }

    QStringView lifePath;
    if (fields.hasDate()) {
        lifePath = fields.fromLifePath();
        if (const qsizetype third = lifePath.indexOf(u','); third >= 0)
            lifePath = lifePath.left(third);
    }
    const bool lifePathOk = lifePath.size() == 1 && lifePath[0] >= u'0' && lifePath[0] <= u'9';
    if (!lifePathOk) {
        lineReport.problems.append({Problem::Kind::LifePathForm, lifePath.toString(), {}, 0});
    } else if (dateOk) {
        const char computed = lifePathOf(*parsed);
        if (computed != 0 && computed != lifePath[0].toLatin1()) {
            lineReport.problems.append({Problem::Kind::LifePathDiffers, lifePath.toString(),
                                        QString(QLatin1Char(computed)), 0});
        }
    }
    return date;
}

void DbChecker::checkLine(qint64 number, QByteArrayView line, Encoding encoding, DbFile::Form form)
{
    LineReport lineReport;
    lineReport.line = number;
    noteEncoding(line, encoding, form);
    const auto parts = parser.parse(line, encoding);
    if (!parts) {
        checkSkipped(lineReport, line, encoding);
        publish(lineReport);
        return;
    }
    ++summary.items;
    // The name as the window keeps it: cut, or empty.
    const QString name = QString::fromUtf8(parts->name);
    checkName(lineReport, *parts, name);
    // The fields after the first comma, as the selection reads them.
    const RecordFields fields = recordFields(QString::fromUtf8(parts->tail));
    const QStringView date = checkRecord(lineReport, fields);

    // The same celebrity twice: the name as the list compares names, and the date.
    key.clear();
    collation.appendSortKey(name, key);
    if (const qint64 earlier = firstLineOf(hashOf(key, date), number); earlier != 0)
        lineReport.problems.append(
            {Problem::Kind::Duplicate, {}, QString::number(earlier), earlier});

    // A file with a UTF-8 mark says it is UTF-8 from its first byte on.
    if (encoding == Encoding::CodePage) {
        if (otherwiseUtf8 || form == DbFile::Form::Utf8Marked)
            lineReport.problems.append({Problem::Kind::CodePageLine, {}, {}, 0});
        else
            codePageLines.emplace_back(number, !lineReport.problems.isEmpty());
    }
    publish(lineReport);
}

} // namespace database
