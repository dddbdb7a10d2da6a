#include "DbFile.h"
#include "ReadBudget.h"
#include "database/text/PlatformText.h"

#ifdef Q_OS_WIN
#include "platform/win32.h"
#endif

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cstring>

namespace database {

namespace {

// A read at a time; a stop is looked at between two.
constexpr qsizetype kBlock = load::kReadSlice;

#ifndef Q_OS_WIN
// Windows-1252 in its 0x80..0x9F range; the five bytes it leaves undefined map
// to the control characters of the same value, as Windows itself does.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
#endif

QString decodeCodePage(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    return fromU16(platform::decodeCodePage(platform::ansiCodePage(), bytesOf(bytes)));
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

} // namespace

QString decode(QByteArrayView bytes, Encoding encoding)
{
    return encoding == Encoding::Utf8 ? QString::fromUtf8(bytes) : decodeCodePage(bytes);
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isValidUtf8(QByteArrayView bytes)
{
    Utf8Checker checker;
    checker.feed(bytes);
    return checker.finish();
}

Encoding lineEncoding(QByteArrayView line)
{
    return isValidUtf8(line) ? Encoding::Utf8 : Encoding::CodePage;
}

QString failureName(ReadFailure failure)
{
    switch (failure) {
    case ReadFailure::None:
        break;
    case ReadFailure::NotFound:
        return QStringLiteral("NOT FOUND");
    case ReadFailure::NotAFile:
        return QStringLiteral("NOT A FILE");
    case ReadFailure::CannotRead:
        return QStringLiteral("CANNOT READ");
    }
    return {};
}

namespace {

DeviceOpener &testOpener()
{
    static DeviceOpener opener;
    return opener;
}

} // namespace

void setDeviceOpener(DeviceOpener opener)
{
    testOpener() = std::move(opener);
}

DbFile::DbFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        failed = ReadFailure::NotFound;
        return;
    }
    // A folder, a device or a pipe that would block is no database.
    if (!info.isFile()) {
        failed = ReadFailure::NotAFile;
        return;
    }
    if (testOpener()) {
        device = testOpener()(path);
    } else {
        auto file = std::make_unique<QFile>(path);
        if (file->open(QIODevice::ReadOnly))
            device = std::move(file);
    }
    if (!device || !device->isOpen()) {
        device.reset();
        failed = ReadFailure::CannotRead;
        return;
    }
    fileSize = info.size();
    readMark();
}

void DbFile::readMark()
{
    while (end < 3 && !eof)
        fill();
    const auto byte = [this](qsizetype i) {
        return i < end ? static_cast<unsigned char>(buffer.at(i)) : -1;
    };
    if (byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        kind = Form::Utf8Marked;
        pos = 3;
    } else if (byte(0) == 0xFF && byte(1) == 0xFE) {
        kind = Form::Utf16LE;
        pos = 2;
    } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
        kind = Form::Utf16BE;
        pos = 2;
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
    if (stop && stop->load(std::memory_order_relaxed)) {
        stopped = true;
        eof = true;
        return false;
    }
    if (buffer.size() < end + kBlock) {
        qsizetype room = std::max<qsizetype>(end + kBlock, buffer.size() * 2);
        // A line of megabytes gets room for the rest of the file at once:
        // growing by doubling would copy it again and again, each copy into
        // memory never touched before, which is slow, and no stop can cut a
        // copy short. The pages are taken only as the reads fill them.
        if (room > load::kLongLine)
            room = std::max<qsizetype>(room, end + (fileSize - bytesRead) + kBlock);
        buffer.resize(room);
    }
    const qint64 n = device->read(buffer.data() + end, kBlock);
    if (n <= 0) {
        // A file that has shrunk simply ends; a failed read is kept.
        if (n < 0)
            failed = ReadFailure::CannotRead;
        eof = true;
        return false;
    }
    end += n;
    bytesRead += n;
    return true;
}

bool DbFile::readRawLine(QByteArrayView &line)
{
    // UTF-16 is split on whole 16-bit code units: the bytes 0D or 0A inside a
    // character (č is 0D 01 in little-endian) end no line.
    const bool wide = kind == Form::Utf16LE || kind == Form::Utf16BE;
    const qsizetype unit = wide ? 2 : 1;
    const qsizetype low = kind == Form::Utf16BE ? 1 : 0; // where a unit's low byte lies
    const auto isLineEnd = [&](const char *p, char which) {
        return wide ? p[low] == which && p[1 - low] == 0 : *p == which;
    };
    qsizetype scanFrom = pos;
    for (;;) {
        if (skipLeadingLf && end - pos >= unit) {
            if (isLineEnd(buffer.constData() + pos, '\n')) {
                pos += unit;
                --ends.cr;
                ++ends.crLf;
            }
            skipLeadingLf = false;
            scanFrom = pos;
        }
        const char *p = buffer.constData() + scanFrom;
        const char *stop = buffer.constData() + end - (unit - 1);
        if (wide) {
            while (p < stop && !isLineEnd(p, '\r') && !isLineEnd(p, '\n'))
                p += 2;
        } else {
            while (p < stop && *p != '\r' && *p != '\n')
                ++p;
        }
        if (p < stop) {
            line = QByteArrayView(buffer.constData() + pos, p - (buffer.constData() + pos));
            skipLeadingLf = isLineEnd(p, '\r');
            ++(skipLeadingLf ? ends.cr : ends.lf);
            pos = (p - buffer.constData()) + unit;
            return true;
        }
        if (eof) {
            // A line that a failed read cut short, or a stop, was never read.
            if (pos == end || failed != ReadFailure::None || stopped)
                return false;
            // The last line, and in UTF-16 an odd byte at its end.
            line = QByteArrayView(buffer.constData() + pos, end - pos);
            pos = end;
            return true;
        }
        const qsizetype scanned = (end - pos) / unit * unit;
        if (!fill() && pos == end)
            return false;
        scanFrom = pos + scanned;
    }
}

bool DbFile::readLine(QByteArrayView &line, Encoding &encoding)
{
    if (!device || !readRawLine(line))
        return false;
    switch (kind) {
    case Form::Plain:
    case Form::Utf8Marked:
        encoding = lineEncoding(line);
        break;
    case Form::Utf16LE:
    case Form::Utf16BE: {
        QString text((line.size() + 1) / 2, Qt::Uninitialized);
        auto *out = reinterpret_cast<char16_t *>(text.data());
        const auto *in = reinterpret_cast<const unsigned char *>(line.data());
        const qsizetype units = line.size() / 2;
        const bool le = kind == Form::Utf16LE;
        for (qsizetype i = 0; i < units; ++i) {
            const unsigned lo = in[2 * i + (le ? 0 : 1)];
            const unsigned hi = in[2 * i + (le ? 1 : 0)];
            out[i] = char16_t(lo | (hi << 8));
        }
        // A file cut in the middle of a code unit.
        if (line.size() % 2 != 0)
            out[units] = u'\uFFFD';
        converted = text.toUtf8();
        line = converted;
        encoding = Encoding::Utf8;
        break;
    }
    }
    return true;
}

} // namespace database
