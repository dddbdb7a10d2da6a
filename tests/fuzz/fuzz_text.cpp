// numberValue, convertMonth and cleanText on arbitrary texts, against
// straightforward reference loops that follow the rules word for word.
#include "check.h"
#include "engine/numerology.h"

#include <QString>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

// The one-character text, lower-cased, compared with "a".."z" and "1".."9".
int referenceValueOf(QChar c)
{
    const QString lower = QString(c).toLower();
    static const char *const letters[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i",
                                          "j", "k", "l", "m", "n", "o", "p", "q", "r",
                                          "s", "t", "u", "v", "w", "x", "y", "z"};
    for (int i = 0; i < 26; ++i) {
        if (lower == QLatin1String(letters[i]))
            return i % 9 + 1;
    }
    for (int d = 1; d <= 9; ++d) {
        if (lower == QString::number(d))
            return d;
    }
    return 0;
}

int referenceValue(QChar c)
{
    static std::array<signed char, 65536> known = [] {
        std::array<signed char, 65536> a;
        a.fill(-1);
        return a;
    }();
    signed char &v = known[c.unicode()];
    if (v < 0)
        v = static_cast<signed char>(referenceValueOf(c));
    return v;
}

QString referenceClean(const QString &text)
{
    QString s = text.toLower();
    while (s.startsWith(u' '))
        s.remove(0, 1);
    while (s.endsWith(u' '))
        s.chop(1);
    return s;
}

void run(const QString &text)
{
    // numberValue: a number text, or the failure exactly when the reference overflows.
    int sum = 0;
    bool overflow = text.size() >= 32767;
    for (qsizetype i = 0; i < text.size() && !overflow; ++i) {
        sum += referenceValue(text.at(i));
        overflow = sum > 32767;
    }
    const auto value = engine::numberValue(text);
    check(value.has_value() == !overflow);
    if (value)
        check(*value == QString::number(sum));

    const QString clean = basGeneral::cleanText(text);
    check(clean == referenceClean(text));

    const QString month = engine::convertMonth(text);
    const char *const names[] = {"january",   "february", "march",    "april",
                                 "may",       "june",     "july",     "august",
                                 "september", "october",  "november", "december"};
    QString expected = QStringLiteral("0");
    for (int i = 0; i < 12; ++i) {
        if (clean == QLatin1String(names[i])) {
            expected = QString::number(i % 9 + 1);
            break;
        }
    }
    check(month == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // As UTF-8 (letters, digits and blanks are easy to reach) and as raw
    // UTF-16 (lone surrogates and every other unit).
    run(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    run(QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)));
    return 0;
}
