#include "ItemText.h"

#include <cstring>

namespace database::itemtext {

QString compose(QStringView name, QStringView tail)
{
    QString text;
    text.reserve(name.size() + kBlankRun + tail.size());
    text += name;
    text += QString(kBlankRun, u' ');
    text += tail;
    return text;
}

namespace {
// Room for the longest name a line can give (499 UTF-16 units of up to three
// UTF-8 bytes each) in front of the blanks.
constexpr std::size_t kNameRoom = std::size_t(kMaxNameUnits) * 3;
} // namespace

Utf8Composer::Utf8Composer() : buffer(kNameRoom + std::size_t(kBlankRun), ' ') {}

QByteArrayView Utf8Composer::compose(QByteArrayView name, QByteArrayView tail)
{
    const auto nameBytes = std::size_t(name.size());
    const auto tailBytes = std::size_t(tail.size());
    if (nameBytes > kNameRoom) {
        // A name longer than any line gives: made in full.
        longText.assign(name.data(), nameBytes);
        longText.append(std::size_t(kBlankRun), ' ');
        longText.append(tail.data(), tailBytes);
        return {longText.data(), qsizetype(longText.size())};
    }
    const std::size_t start = kNameRoom - nameBytes;
    const std::size_t tailAt = kNameRoom + std::size_t(kBlankRun);
    if (buffer.size() < tailAt + tailBytes)
        buffer.resize(tailAt + tailBytes);
    // An empty view may point nowhere, which memcpy may not be given.
    if (nameBytes > 0)
        std::memcpy(buffer.data() + start, name.data(), nameBytes);
    if (tailBytes > 0)
        std::memcpy(buffer.data() + tailAt, tail.data(), tailBytes);
    return {buffer.data() + start, qsizetype(nameBytes + std::size_t(kBlankRun) + tailBytes)};
}

} // namespace database::itemtext
