#include "numerology.h"

#include <array>

namespace basGeneral {

QString cleanText(const QString &text)
{
    const QString lower = text.toLower();
    qsizetype first = 0;
    qsizetype last = lower.size();
    while (first < last && lower.at(first) == u' ')
        ++first;
    while (last > first && lower.at(last - 1) == u' ')
        --last;
    return lower.mid(first, last - first);
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

QString convertMonth(const QString &text)
{
    static const std::array<QString, 12> names = {
        QStringLiteral("january"), QStringLiteral("february"), QStringLiteral("march"),
        QStringLiteral("april"),   QStringLiteral("may"),      QStringLiteral("june"),
        QStringLiteral("july"),    QStringLiteral("august"),   QStringLiteral("september"),
        QStringLiteral("october"), QStringLiteral("november"), QStringLiteral("december")};
    const QString clean = basGeneral::cleanText(text);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (clean == names[i])
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

} // namespace engine
