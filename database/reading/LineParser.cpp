#include "LineParser.h"
#include "database/text/ItemText.h"
#include "engine/numerology.h"

#include <cstring>

namespace database {

namespace {

// Byte length of the longest prefix of valid UTF-8 that holds at most
// `units` UTF-16 code units, never splitting a character.
qsizetype utf8PrefixForUnits(QByteArrayView utf8, qsizetype units)
{
    qsizetype i = 0;
    qsizetype used = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const qsizetype len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        const qsizetype cost = len == 4 ? 2 : 1;
        if (used + cost > units || i + len > utf8.size())
            break;
        used += cost;
        i += len;
    }
    return i;
}

} // namespace

std::optional<SkipReason> skipReason(QByteArrayView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (isSkipMarker(line[i]))
            return SkipReason{line[i], i};
    }
    if (!line.contains(','))
        return SkipReason{};
    return std::nullopt;
}

std::optional<ItemParts> LineParser::parse(QByteArrayView line, Encoding encoding)
{
    const char *data = line.data();
    const auto size = static_cast<std::size_t>(line.size());
    if (size == 0)
        return std::nullopt;
    for (const char marker : kSkipMarkers) {
        if (std::memchr(data, marker, size))
            return std::nullopt;
    }
    const auto *comma = static_cast<const char *>(std::memchr(data, ',', size));
    if (!comma)
        return std::nullopt;

    qsizetype first = 0;
    qsizetype last = comma - data;
    while (first < last && data[first] == ' ')
        ++first;
    while (last > first && data[last - 1] == ' ')
        --last;
    ItemParts parts{line.sliced(first, last - first), line.sliced(comma - data), {}};

    if (encoding == Encoding::CodePage && !isAscii(line)) {
        nameBuffer = decode(parts.name, encoding).toUtf8();
        tailBuffer = decode(parts.tail, encoding).toUtf8();
        parts.name = nameBuffer;
        parts.tail = tailBuffer;
    }
    parts.uncutName = parts.name;
    // A UTF-8 name has at least as many bytes as UTF-16 units.
    if (parts.name.size() > itemtext::kMaxNameUnits)
        parts.name.truncate(utf8PrefixForUnits(parts.name, itemtext::kMaxNameUnits));
    return parts;
}

QString storableName(const QString &name)
{
    QString kept = name;
    kept.remove(u',');
    for (const char marker : kSkipMarkers)
        kept.remove(QLatin1Char(marker));
    kept.remove(u')');
    return kept.simplified();
}

std::optional<QByteArray> dataLine(const QString &name, int month, int day, int year)
{
    const auto lifePath = engine::lifePathOfDate(month, day, year);
    if (!lifePath)
        return std::nullopt;
    // One pass over the pattern: a "%2" in a name stays as it is.
    return QStringLiteral("%1, %2 %3 %4,%5\r\n")
        .arg(name, QString::number(month), QString::number(day),
             QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')), *lifePath)
        .toUtf8();
}

} // namespace database
