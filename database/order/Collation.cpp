#include "Collation.h"

#include <QLocale>

#include <algorithm>
#include <atomic>
#include <cstring>

#ifdef Q_OS_WIN
#include "database/text/PlatformText.h"
#include "platform/win32.h"
#else
#include <QChar>

#include <map>
#include <memory>
#include <mutex>

#include <unicode/ucol.h>
#include <unicode/uiter.h>
#include <unicode/uvernum.h>
#endif

namespace database {

namespace {

// Each on a cache line of its own: the reading thread works out keys while
// the window's thread compares.
struct alignas(64) Counter
{
    std::atomic<std::uint64_t> value{0};
    void add() { value.fetch_add(1, std::memory_order_relaxed); }
};
Counter keysWorkedOut;
Counter textsCompared;

} // namespace

Collation::Work Collation::work()
{
    return {keysWorkedOut.value.load(std::memory_order_relaxed),
            textsCompared.value.load(std::memory_order_relaxed)};
}

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
    keysWorkedOut.add();
    out += platform::sortKey(toU16(text), toU16(locale));
}

std::size_t Collation::sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out,
                                        std::size_t size) const
{
    keysWorkedOut.add();
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
    textsCompared.add();
    return platform::compare(toU16(QString::fromUtf8(a)), toU16(QString::fromUtf8(b)),
                             toU16(locale));
}

#else

namespace {

UCollator *ucol(void *p)
{
    return static_cast<UCollator *>(p);
}

// The marks of a word sort: ignored at every level of ICU's key, they make a
// last level of their own, where each counts by its place and its kind (the
// Windows weights, apostrophes before hyphens before dashes).
struct Mark
{
    char32_t code;
    unsigned char weight;
};
constexpr Mark kMarks[] = {
    {U'\'', 0x80},     {U'\uFF07', 0x80}, {U'-', 0x82},      {U'\uFE63', 0x82}, {U'\uFF0D', 0x82},
    {U'\u2212', 0x83}, {U'\u2010', 0x84}, {U'\u2011', 0x85}, {U'\u2012', 0x88}, {U'\u2013', 0x89},
    {U'\u2014', 0x90}, {U'\uFE58', 0x90}, {U'\u2015', 0x92}};

unsigned char markWeight(char32_t c)
{
    for (const Mark &m : kMarks) {
        if (m.code == c)
            return m.weight;
    }
    return 0;
}

// How many places a character takes before a mark, as Windows counts them:
// one a sort weight, so none for an accent and a soft hyphen, two for the
// letters it weighs as two (æ as "ae") and the characters it weighs twice.
int places(char32_t c)
{
    switch (c) {
    case U'\u00AD':
        return 0;
    case U'\uFB03': // ﬃ
    case U'\uFB04': // ﬄ
        return 3;
    case U'ß':
    case U'æ':
    case U'Æ':
    case U'œ':
    case U'Œ':
    case U'ĳ':
    case U'Ĳ':
    case U'þ':
    case U'Þ':
    case U'\u01C4': // Ǆ ǅ ǆ
    case U'\u01C5':
    case U'\u01C6':
    case U'\u01C7': // Ǉ ǈ ǉ
    case U'\u01C8':
    case U'\u01C9':
    case U'\u01CA': // Ǌ ǋ ǌ
    case U'\u01CB':
    case U'\u01CC':
    case U'\uFB00': // ﬀ ﬁ ﬂ ﬅ ﬆ
    case U'\uFB01':
    case U'\uFB02':
    case U'\uFB05':
    case U'\uFB06':
        return 2;
    default:
        break;
    }
    if (c > 0xFFFF || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xF900 && c <= 0xFAFF))
        return 2;
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ? 0 : 1;
}

// The marks' level of a text, from its characters one after the other:
// for each mark, its place counted from the end of the text's first 65,535
// places (so that of two marks the later one sorts first, as Windows has
// it), then its weight; each place in three bytes of 1 to 255, so that the
// level holds no zero byte.
class MarksLevel
{
public:
    void add(char32_t c)
    {
        if (const unsigned char weight = markWeight(c)) {
            const unsigned v = 0xFFFFu - std::min(place, 0xFFFFu);
            level.push_back(char(1 + v / (255 * 255)));
            level.push_back(char(1 + v / 255 % 255));
            level.push_back(char(1 + v % 255));
            level.push_back(char(weight));
        } else {
            place += unsigned(places(c));
        }
    }
    // With its separator in front, as it follows the key's other levels;
    // empty for a text without marks.
    std::string bytes() const { return level.empty() ? std::string() : '\x01' + level; }

private:
    unsigned place = 0;
    std::string level;
};

std::string marksLevel(QStringView text)
{
    MarksLevel marks;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        marks.add(c);
    }
    return marks.bytes();
}

std::string marksLevel(QByteArrayView utf8)
{
    MarksLevel marks;
    const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
    const auto *end = p + utf8.size();
    while (p < end) {
        // Only a mark matters, and only as many places as come before it:
        // ASCII, the common case, takes one place unless it is a mark.
        const unsigned char b = *p;
        if (b < 0x80) {
            marks.add(b);
            ++p;
            continue;
        }
        const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? b : b & (0xFF >> (length + 1));
        int i = 1;
        for (; i < length && p + i < end && (p[i] & 0xC0) == 0x80; ++i)
            c = (c << 6) | (p[i] & 0x3F);
        marks.add(c);
        p += i;
    }
    return marks.bytes();
}

// The rules ICU is given after the locale's own.
std::u16string orderRules()
{
    std::u16string rules;
    // ASCII punctuation and symbols after the blank in the order Windows
    // gives them (ICU's own differs), each escaped as the rules want.
    rules += u"&\\ ";
    for (const char c : std::string_view("!\"#$%&()*,./:;?@[\\]^_`{|}~+<=>")) {
        rules += u"<\\";
        rules += char16_t(c);
    }
    // The marks ignored at every level.
    rules += u"&[last tertiary ignorable]";
    for (const Mark &m : kMarks) {
        rules += u"=\\";
        rules += char16_t(m.code);
    }
    // Accents in the order Windows weighs them.
    rules += u"&\u0301<<\u0300<<\u0307<<\u0302<<\u0308<<\u030C<<\u0306<<\u0304<<\u0303<<\u030A"
             u"<<\u0328<<\u0327<<\u030B<<\u0309<<\u030F<<\u0311<<\u031B<<\u0323<<\u0324<<\u0325"
             u"<<\u0326<<\u032D<<\u032E<<\u0330<<\u0331";
    return rules;
}

// A locale's collator, made from its rules and ours once for the process;
// each Collation works on a copy of its own (ICU's collators are not to be
// shared between threads).
struct CloseCollator
{
    void operator()(UCollator *c) const { ucol_close(c); }
};

UCollator *madeFor(const std::string &name)
{
    // Closed when the program ends (each copy holds on to the rules' tables
    // it shares).
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<UCollator, CloseCollator>> made;
    const std::lock_guard<std::mutex> lock(mutex);
    if (const auto it = made.find(name); it != made.end())
        return it->second.get();
    UErrorCode status = U_ZERO_ERROR;
    UCollator *base = ucol_open(name.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        base = ucol_open("", &status);
    }
    std::u16string rules;
    if (base) {
        int32_t length = 0;
        const UChar *own = ucol_getRules(base, &length);
        rules.assign(reinterpret_cast<const char16_t *>(own), std::size_t(length));
        ucol_close(base);
    }
    rules += orderRules();
    status = U_ZERO_ERROR;
    UParseError error;
    // Secondary strength: accents count, letter case does not.
    UCollator *c =
        ucol_openRules(reinterpret_cast<const UChar *>(rules.data()), int32_t(rules.size()),
                       UCOL_DEFAULT, UCOL_SECONDARY, &error, &status);
    if (U_FAILURE(status) || !c) {
        made[name] = nullptr;
        return nullptr;
    }
    made[name].reset(c);
    // Blanks and punctuation count in every locale (Thai's own rules ignore
    // them), and no script goes before another (Thai's put Thai before Latin).
    ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    ucol_setReorderCodes(c, nullptr, 0, &status);
    return c;
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
    if (UCollator *made = madeFor(name.toStdString())) {
        UErrorCode status = U_ZERO_ERROR;
#if U_ICU_VERSION_MAJOR_NUM >= 71
        collator = ucol_clone(made, &status);
#else
        collator = ucol_safeClone(made, nullptr, nullptr, &status);
#endif
        if (U_FAILURE(status))
            collator = nullptr;
    }
    return collator;
}

Collation::~Collation()
{
    if (collator)
        ucol_close(ucol(collator));
}

void Collation::appendSortKey(QStringView text, std::string &out) const
{
    keysWorkedOut.add();
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
            out += marksLevel(text);
            return;
        }
        room = std::size_t(n);
    }
}

std::size_t Collation::sortKeyStartUtf8(QByteArrayView utf8, unsigned char *out,
                                        std::size_t size) const
{
    keysWorkedOut.add();
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
    if (U_FAILURE(status) || n < 0)
        return 0;
    std::size_t written = std::size_t(n);
    if (written < size) {
        // ICU's part has ended: the marks' level follows.
        const std::string marks = marksLevel(utf8);
        const std::size_t more = std::min(size - written, marks.size());
        std::memcpy(out + written, marks.data(), more);
        written += more;
    }
    return written;
}

int Collation::compareUtf8(QByteArrayView a, QByteArrayView b) const
{
    textsCompared.add();
    if (!open())
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(ucol(collator), a.data(), int32_t(a.size()),
                                                b.data(), int32_t(b.size()), &status);
    if (U_FAILURE(status))
        return a.compare(b);
    if (r != UCOL_EQUAL)
        return r == UCOL_LESS ? -1 : 1;
    // Equal but for the marks, which decide last.
    return marksLevel(a).compare(marksLevel(b));
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
