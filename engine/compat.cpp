#include "compat.h"

#include <limits>

namespace engine {

namespace {

using Table = std::int16_t[9][9];

constexpr Table lifePathTable = {
    {50, 20, 90, 20, 90, 20, 90, 20, 90}, {50, 90, 50, 90, 20, 90, 90, 90, 20},
    {90, 50, 90, 20, 90, 90, 20, 20, 90}, {20, 90, 20, 90, 20, 90, 90, 50, 20},
    {90, 20, 90, 20, 90, 20, 90, 50, 90}, {20, 90, 90, 90, 20, 50, 20, 20, 90},
    {50, 90, 20, 90, 90, 20, 90, 20, 20}, {50, 90, 20, 90, 50, 90, 20, 20, 20},
    {90, 50, 90, 20, 90, 90, 20, 20, 90},
};

// The Life Path pattern scaled down to 10, 5 and 2, but for row 7, column 6.
constexpr Table attitudeTable = {
    {5, 2, 10, 2, 10, 2, 10, 2, 10},  {5, 10, 5, 10, 2, 10, 10, 10, 2},
    {10, 5, 10, 2, 10, 10, 2, 2, 10}, {2, 10, 2, 10, 2, 10, 10, 5, 2},
    {10, 2, 10, 2, 10, 2, 10, 5, 10}, {2, 10, 10, 10, 2, 5, 2, 2, 10},
    {5, 10, 2, 10, 10, 4, 10, 2, 2},  {5, 10, 2, 10, 5, 10, 2, 2, 2},
    {10, 5, 10, 2, 10, 10, 2, 2, 10},
};

std::int16_t lookup(const Table &table, std::int16_t first, std::int16_t second)
{
    if (first < 1 || first > 9 || second < 1 || second > 9)
        return 0;
    return table[first - 1][second - 1];
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<std::int16_t> fieldNumber(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }

    // The whole part is accumulated only while it can still be in range, so
    // that any number of digits reads without overflowing the accumulator.
    constexpr long limit = 100000;
    long whole = 0;
    bool tooLarge = false;
    bool anyDigit = false;
    for (; i < n && isDigit(text.at(i)); ++i) {
        anyDigit = true;
        whole = whole * 10 + (text.at(i).unicode() - u'0');
        if (whole >= limit) {
            tooLarge = true;
            whole = limit;
        }
    }

    // Rounding half to even needs the first fraction digit and whether any
    // later digit is non-zero; nothing else of the fraction matters.
    int firstFraction = 0;
    bool restNonZero = false;
    if (i < n && text.at(i) == u'.') {
        ++i;
        if (i < n && isDigit(text.at(i))) {
            anyDigit = true;
            firstFraction = text.at(i).unicode() - u'0';
            for (++i; i < n && isDigit(text.at(i)); ++i)
                restNonZero = restNonZero || text.at(i) != u'0';
        }
    }
    if (!anyDigit)
        return std::int16_t{0};
    if (tooLarge)
        return std::nullopt;

    const bool roundUp =
        firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    const long magnitude = whole + (roundUp ? 1 : 0);
    const long value = negative ? -magnitude : magnitude;
    using Limits = std::numeric_limits<std::int16_t>;
    if (value < Limits::min() || value > Limits::max())
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::int16_t isCompatLifePath(std::int16_t first, std::int16_t second)
{
    return lookup(lifePathTable, first, second);
}

std::int16_t isCompatAttitude(std::int16_t first, std::int16_t second)
{
    return lookup(attitudeTable, first, second);
}

std::optional<QString> compatPercent(const QString &userLifePath, const QString &celebLifePath,
                                     const QString &celebAttitude)
{
    const auto user = fieldNumber(userLifePath);
    const auto celebLp = fieldNumber(celebLifePath);
    const auto celebAtt = fieldNumber(celebAttitude);
    if (!user || !celebLp || !celebAtt)
        return std::nullopt;
    // The user stands on opposite sides of the two tables: row for the Life
    // Path score, column for the Attitude score.
    const int sum = isCompatAttitude(*celebAtt, *user) + isCompatLifePath(*user, *celebLp);
    return QString::number(sum) + u'%';
}

} // namespace engine
