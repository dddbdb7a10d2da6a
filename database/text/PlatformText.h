#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

// Qt's texts as the platform layer takes them (standard strings of 16-bit
// code units and plain byte views), and back. Written for every platform, so
// that they are compiled and tested where the Windows layer is not.

namespace database {

inline std::u16string toU16(QStringView text)
{
    return {reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size())};
}

inline QString fromU16(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

inline std::string_view bytesOf(QByteArrayView bytes)
{
    return {bytes.data(), std::size_t(bytes.size())};
}

} // namespace database
