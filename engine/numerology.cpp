#include "numerology.h"

#include <array>

namespace basGeneral {

QString cleanText(const QString &text)
{
    return trimBlanks(text.toLower());
}

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace basGeneral

namespace engine {

namespace {

constexpr std::array<char, 128> asciiValues = [] {
    std::array<char, 128> values{};
    for (int c = 'a'; c <= 'z'; ++c) {
        values[c] = static_cast<char>((c - 'a') % 9 + 1);
        values[c - 'a' + 'A'] = values[c];
    }
    for (int c = '1'; c <= '9'; ++c)
        values[c] = static_cast<char>(c - '0');
    return values;
}();

} // namespace

int letterValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 128)
        return asciiValues[u];
    // A few characters outside ASCII lower-case to a plain letter (the Kelvin
    // sign becomes k); whatever lower-cases to more than one character is no letter.
    const QString lower = QString(c).toLower();
    if (lower.size() != 1 || lower.at(0).unicode() >= 128)
        return 0;
    const char16_t l = lower.at(0).unicode();
    return (l >= u'a' && l <= u'z') ? asciiValues[l] : 0;
}

std::optional<QString> numberValue(const QString &text)
{
    // The position counter is 16 bits wide and has to step past the last
    // character, so 32,767 characters are already one too many.
    if (text.size() >= kInt16Max)
        return std::nullopt;
    int sum = 0;
    for (const QChar c : text) {
        sum += letterValue(c);
        if (sum > kInt16Max)
            return std::nullopt;
    }
    return QString::number(sum);
}

const QStringList &monthNames()
{
    static const QStringList names = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    return names;
}

QString convertMonth(const QString &text)
{
    static const QStringList lowerNames = [] {
        QStringList lower;
        for (const QString &name : monthNames())
            lower << name.toLower();
        return lower;
    }();
    const QString clean = basGeneral::cleanText(text);
    for (qsizetype i = 0; i < lowerNames.size(); ++i) {
        if (clean == lowerNames[i])
            return QString::number(i % 9 + 1);
    }
    return QStringLiteral("0");
}

std::optional<QString> reduce(const QString &text, int passes)
{
    std::optional<QString> value = text;
    for (int i = 0; i < passes && value; ++i)
        value = numberValue(*value);
    return value;
}

std::optional<DateValues> dateValues(const QString &day, const QString &month, const QString &year)
{
    auto d = numberValue(day);
    auto m = numberValue(convertMonth(month));
    auto y = numberValue(year);
    if (!d || !m || !y)
        return std::nullopt;
    return DateValues{std::move(*d), std::move(*m), std::move(*y)};
}

std::optional<QString> lifePath(const QString &day, const QString &month, const QString &year)
{
    const auto values = dateValues(day, month, year);
    if (!values)
        return std::nullopt;
    return reduce(values->day + values->month + values->year, 6);
}

std::optional<QString> lifePathOfDate(int month, int day, int year)
{
    return lifePath(QString::number(day), monthNames()[month - 1],
                    QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')));
}

std::optional<QString> attitude(const QString &day, const QString &month, const QString &year)
{
    const auto values = dateValues(day, month, year);
    if (!values)
        return std::nullopt;
    return reduce(values->day + values->month, 4);
}

} // namespace engine
