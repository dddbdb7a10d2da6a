#pragma once

#include <QString>

#include <optional>

// The text operations every number of the program rests on. All are pure.
// Arithmetic is that of signed 16-bit integers: a result that would pass 32,767
// is an overflow failure, returned as an empty optional for the caller to check.

namespace basGeneral {
// Lower-cases the text and trims spaces (only code 32) from both ends.
QString cleanText(const QString &text);
} // namespace basGeneral

namespace engine {

inline constexpr int kInt16Max = 32767;

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

} // namespace engine
