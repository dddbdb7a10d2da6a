#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <limits>
#include <optional>

// The text operations every number of the program rests on. All are pure.
// Arithmetic is that of signed 16-bit integers: a result that would pass 32,767
// is an overflow failure, returned as an empty optional for the caller to check.

namespace basGeneral {
// Lower-cases the text and trims spaces (only code 32) from both ends.
QString cleanText(const QString &text);
// Trims spaces (only code 32; tabs and other white space stay) from both ends.
QString trimBlanks(const QString &text);
} // namespace basGeneral

namespace engine {

inline constexpr int kInt16Max = std::numeric_limits<std::int16_t>::max();

// The English month names, January first.
const QStringList &monthNames();

// The value a single character adds to a sum: a..z count 1..9 over and over,
// upper case as lower case, the digits 1..9 their own value, anything else 0.
int letterValue(QChar c);

// Sum of the letter values of the text as a number text, or the overflow
// failure when the sum passes 32,767 or the text has 32,767 characters or more.
std::optional<QString> numberValue(const QString &text);

// The month name (any case, surrounding spaces ignored) as one digit, "0" when
// the text is no month name. October..December give "1".."3".
QString convertMonth(const QString &text);

// numberValue applied `passes` times, each pass to the result of the one before.
std::optional<QString> reduce(const QString &text, int passes);

// The personal numbers of a date of birth as typed: the day, month and year
// values, each a number text; the overflow failure for a day or year text of
// extreme length or value.
struct DateValues
{
    QString day;
    QString month;
    QString year;
};
std::optional<DateValues> dateValues(const QString &day, const QString &month, const QString &year);

// The Life Path number of a date: the values joined, reduced six times.
std::optional<QString> lifePath(const QString &day, const QString &month, const QString &year);
// The Life Path of a calendar date (month 1 to 12), as the window works it
// out when that date is picked in its drop-downs: the day's number, the
// month's English name, the year in four digits.
std::optional<QString> lifePathOfDate(int month, int day, int year);
// The Attitude number of a date: the day and month values joined, reduced
// four times.
std::optional<QString> attitude(const QString &day, const QString &month, const QString &year);

} // namespace engine
