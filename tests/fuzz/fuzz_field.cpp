// Reading a display field as a number, against a reference that parses the
// same prefix with the C library and rounds with the current rounding mode.
#include "check.h"
#include "engine/compat.h"

#include <QString>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto value = engine::fieldNumber(text);

    // The number at the start: blanks, sign, digits, an optional fraction.
    std::string number;
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        number += char(text.at(i++).unicode());
    int digits = 0;
    int significant = 0;
    const auto take = [&] {
        const char c = char(text.at(i++).unicode());
        number += c;
        ++digits;
        if (c != '0' || significant > 0)
            ++significant;
    };
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9')
        take();
    if (i < text.size() && text.at(i) == u'.') {
        number += '.';
        ++i;
        while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9')
            take();
    }
    if (digits == 0) {
        check(value.has_value() && *value == 0);
        return 0;
    }
    // Past 18 significant digits a long double no longer tells a tie from
    // its neighbours; there only the range is checked.
    if (significant > 18) {
        check(!value.has_value() || (*value >= -32768 && *value <= 32767));
        return 0;
    }
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyintl(std::strtold(number.c_str(), nullptr));
    const bool fits = rounded >= -32768.0L && rounded <= 32767.0L;
    check(value.has_value() == fits);
    if (fits)
        check(*value == static_cast<std::int16_t>(rounded));
    return 0;
}
