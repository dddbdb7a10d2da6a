#include "DbFile.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace database {

namespace {

constexpr qsizetype kBlock = 64 * 1024;

// Windows-1252 in its 0x80..0x9F range; the five bytes it leaves undefined map
// to the control characters of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCodePage(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    QStringDecoder decoder(QStringDecoder::System);
    return decoder.decode(bytes);
#else
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = (u >= 0x80 && u < 0xA0) ? cp1252High[u - 0x80] : char16_t(u);
    }
    return text;
#endif
}

bool isUtf8Bom(QByteArrayView bytes)
{
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
           static_cast<unsigned char>(bytes[1]) == 0xBB &&
           static_cast<unsigned char>(bytes[2]) == 0xBF;
}

// Incremental UTF-8 check that carries an unfinished sequence across blocks.
class Utf8Checker
{
public:
    bool feed(QByteArrayView bytes)
    {
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
        const auto *end = p + bytes.size();
        while (p < end) {
            if (need == 0) {
                // Plain ASCII runs are the common case: skip them eight at a time.
                while (end - p >= 8) {
                    std::uint64_t word;
                    std::memcpy(&word, p, 8);
                    if (word & 0x8080808080808080ULL)
                        break;
                    p += 8;
                }
                if (p == end)
                    break;
                const unsigned char c = *p++;
                if (c < 0x80)
                    continue;
                if (c >= 0xC2 && c <= 0xDF) {
                    need = 1;
                    low = 0x80, high = 0xBF;
                } else if (c >= 0xE0 && c <= 0xEF) {
                    need = 2;
                    low = c == 0xE0 ? 0xA0 : 0x80;
                    high = c == 0xED ? 0x9F : 0xBF;
                } else if (c >= 0xF0 && c <= 0xF4) {
                    need = 3;
                    low = c == 0xF0 ? 0x90 : 0x80;
                    high = c == 0xF4 ? 0x8F : 0xBF;
                } else {
                    return valid = false;
                }
            } else {
                const unsigned char c = *p++;
                if (c < low || c > high)
                    return valid = false;
                low = 0x80, high = 0xBF;
                --need;
            }
        }
        return valid;
    }
    bool finish() const { return valid && need == 0; }

private:
    int need = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    bool valid = true;
};

qsizetype countLineEnds(QByteArrayView bytes, bool &lastWasCr)
{
    qsizetype count = 0;
    for (const char c : bytes) {
        if (c == '\r' || (c == '\n' && !lastWasCr))
            ++count;
        lastWasCr = c == '\r';
    }
    return count;
}

} // namespace

QString decode(QByteArrayView bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : decodeCodePage(bytes);
}

bool isValidUtf8(QByteArrayView bytes)
{
    Utf8Checker checker;
    checker.feed(bytes);
    return checker.finish();
}

DbFile::DbFile(const QString &path) : file(path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return;
    fileSize = info.size();
    scanEncodingAndLines();
}

void DbFile::scanEncodingAndLines()
{
    // One pass ahead of the reading decides the encoding, which depends on the
    // whole file, and counts the lines. A file that changes afterwards is read
    // as it then is; nothing relies on the count being right.
    QByteArray block(kBlock, Qt::Uninitialized);
    Utf8Checker checker;
    bool lastWasCr = false;
    bool first = true;
    bool bom = false;
    qint64 lines = 0;
    char last = '\n';
    for (;;) {
        const qint64 n = file.read(block.data(), block.size());
        if (n <= 0)
            break;
        QByteArrayView view(block.constData(), n);
        if (first) {
            bom = isUtf8Bom(view);
            first = false;
        }
        checker.feed(view);
        lines += countLineEnds(view, lastWasCr);
        last = view.back();
    }
    // A last line without a line end still counts; the mark alone makes none.
    if (last != '\n' && last != '\r' && fileSize > (bom ? 3 : 0))
        ++lines;
    lineHint = lines;
    enc = (bom || checker.finish()) ? Encoding::Utf8 : Encoding::CodePage;
    file.seek(0);
    if (bom) {
        char mark[3];
        file.read(mark, 3);
    }
}

bool DbFile::fill()
{
    // Keeps the unread rest (the start of a line) and appends the next block.
    if (pos > 0) {
        std::memmove(buffer.data(), buffer.constData() + pos, end - pos);
        end -= pos;
        pos = 0;
    }
    if (buffer.size() < end + kBlock)
        buffer.resize(std::max<qsizetype>(end + kBlock, buffer.size() * 2));
    const qint64 n = file.read(buffer.data() + end, kBlock);
    if (n <= 0) {
        eof = true;
        return false;
    }
    end += n;
    return true;
}

bool DbFile::readLine(QByteArrayView &line)
{
    if (!file.isOpen())
        return false;
    qsizetype scanFrom = pos;
    for (;;) {
        if (skipLeadingLf && pos < end) {
            if (buffer.at(pos) == '\n')
                ++pos;
            skipLeadingLf = false;
            scanFrom = pos;
        }
        const char *start = buffer.constData() + scanFrom;
        const char *stop = buffer.constData() + end;
        const char *p = start;
        while (p < stop && *p != '\r' && *p != '\n')
            ++p;
        if (p < stop) {
            line = QByteArrayView(buffer.constData() + pos, p - (buffer.constData() + pos));
            skipLeadingLf = *p == '\r';
            pos = (p - buffer.constData()) + 1;
            return true;
        }
        if (eof) {
            if (pos == end)
                return false;
            line = QByteArrayView(buffer.constData() + pos, end - pos);
            pos = end;
            return true;
        }
        const qsizetype scanned = end - pos;
        if (!fill() && pos == end)
            return false;
        scanFrom = pos + scanned;
    }
}

} // namespace database
