#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// Compatibility scoring between the user's Life Path number and a celebrity's
// Life Path and Attitude numbers, read back from the texts the window shows.

namespace engine {

// The number at the start of a display text, as the window reads its fields:
// leading spaces skipped, an optional sign, digits with an optional fraction,
// rounded half to even. No leading number reads as 0. A value outside the
// signed 16-bit range is the overflow failure.
std::optional<std::int16_t> fieldNumber(const QString &text);

// Score tables; the row is the first number, the column the second. Any number
// outside 1..9 scores 0.
std::int16_t isCompatLifePath(std::int16_t first, std::int16_t second);
std::int16_t isCompatAttitude(std::int16_t first, std::int16_t second);

// The percentage text ("94%") for the user's Life Path text and a celebrity's
// Life Path and Attitude texts, or the overflow failure of reading a field.
std::optional<QString> compatPercent(const QString &userLifePath, const QString &celebLifePath,
                                     const QString &celebAttitude);

} // namespace engine
