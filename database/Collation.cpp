#include "Collation.h"

#include <QLocale>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#include "PlatformText.h"
#include "platform/win32.h"
#else
#include <unicode/ucol.h>
#include <unicode/uiter.h>
#endif

namespace database {

#ifdef Q_OS_WIN

// Windows: the system's own linguistic comparison, the one its list boxes use.
// Its locale names are written "th-TH".
Collation::Collation(const QString &name) : locale(QString(name).replace(u'_', u'-')) {}
Collation::~Collation() = default;

void *Collation::open() const
{
    return nullptr;
}

void Collation::appendSortKey(QStringView text, std::string &out) const
{
    out += platform::sortKey(toU16(text), toU16(locale));
}

std::size_t Collation::sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out,
                                        std::size_t size) const
{
    // The system works out whole keys only. A text's first part has a key
    // that starts as the whole text's does, once its first level runs a few
    // characters past the bytes asked for (the last characters of a part may
    // weigh otherwise with what follows them): a long text such as a list
    // item is keyed by its start alone.
    const QString text = QString::fromUtf8(utf8);
    std::string key;
    for (qsizetype part = 32;; part *= 4) {
        const bool whole = part >= text.size();
        key = platform::sortKey(toU16(QStringView(text).left(whole ? text.size() : part)),
                                toU16(locale));
        const std::size_t firstLevel = key.find('\x01');
        if (whole || (firstLevel != std::string::npos && firstLevel >= size + 8))
            break;
    }
    const std::size_t n = std::min(size, key.size());
    std::memcpy(out, key.data(), n);
    return n;
}

int Collation::compareUtf8(QByteArrayView a, QByteArrayView b) const
{
    return platform::compare(toU16(QString::fromUtf8(a)), toU16(QString::fromUtf8(b)),
                             toU16(locale));
}

#else

namespace {
UCollator *ucol(void *p)
{
    return static_cast<UCollator *>(p);
}
} // namespace

Collation::Collation(const QString &name) : locale(name) {}

void *Collation::open() const
{
    if (opened)
        return collator;
    opened = true;
    // The C locale has no alphabet of its own; American English stands in.
    QString name = locale.isEmpty() ? QLocale::system().name() : locale;
    if (name == QLatin1String("C") || name.isEmpty())
        name = QStringLiteral("en_US");
    UErrorCode status = U_ZERO_ERROR;
    UCollator *c = ucol_open(name.toLatin1().constData(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        c = ucol_open("", &status);
    }
    if (c) {
        // Secondary strength: accents count, letter case does not.
        ucol_setStrength(c, UCOL_SECONDARY);
    }
    collator = c;
    return collator;
}

Collation::~Collation()
{
    if (collator)
        ucol_close(ucol(collator));
}

void Collation::appendSortKey(QStringView text, std::string &out) const
{
    if (!open())
        return;
    const auto *src = reinterpret_cast<const UChar *>(text.utf16());
    const std::size_t at = out.size();
    // Most names fit a first guess; ICU tells the size when they do not.
    std::size_t room = std::size_t(text.size()) * 3 + 16;
    for (;;) {
        out.resize(at + room);
        const int32_t n =
            ucol_getSortKey(ucol(collator), src, int32_t(text.size()),
                            reinterpret_cast<uint8_t *>(out.data() + at), int32_t(room));
        if (n <= 0) {
            out.resize(at);
            return;
        }
        if (std::size_t(n) <= room) {
            out.resize(at + n - 1); // without the terminating zero
            return;
        }
        room = std::size_t(n);
    }
}

std::size_t Collation::sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out,
                                        std::size_t size) const
{
    if (!open())
        return 0;
    // ICU works out a key part by part, straight from the UTF-8: the first
    // part is the start of the whole key.
    UCharIterator iter;
    uiter_setUTF8(&iter, utf8.data(), int32_t(utf8.size()));
    uint32_t state[2] = {0, 0};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n =
        ucol_nextSortKeyPart(ucol(collator), &iter, state, out, int32_t(size), &status);
    return U_FAILURE(status) || n < 0 ? 0 : std::size_t(n);
}

int Collation::compareUtf8(QByteArrayView a, QByteArrayView b) const
{
    if (!open())
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(ucol(collator), a.data(), int32_t(a.size()),
                                                b.data(), int32_t(b.size()), &status);
    if (U_FAILURE(status))
        return a.compare(b);
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

#endif

void Collation::appendPrimaryPrefixKey(QStringView text, std::string &out) const
{
    // The first level ends at the level separator, 01. Neither ICU nor
    // Windows closes it with anything a longer text lacks at that place.
    const std::size_t at = out.size();
    appendSortKey(text, out);
    const std::size_t separator = out.find('\x01', at);
    if (separator != std::string::npos)
        out.resize(separator);
}

} // namespace database
