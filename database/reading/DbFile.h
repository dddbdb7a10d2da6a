#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

// Reads db.txt line by line in blocks, so that a file of any size costs one
// block of memory plus its longest line, and the first line is ready without a
// pass over the whole file.
//
// Line ends: CR LF, CR alone and LF alone each end a line; a line end at the
// very end of the file makes no further line.
// Encoding, decided by the file's first bytes and then line by line:
// - a UTF-16 byte-order mark (little- or big-endian, as Notepad's "Unicode"
//   writes) makes the file UTF-16: it is split into lines on 16-bit code units
//   and each line handed on in UTF-8;
// - otherwise, with a UTF-8 byte-order mark or without a mark, a line that is
//   valid UTF-8 is UTF-8 and any other line is in the 8-bit code page
//   (Windows-1252, or the system's ANSI code page on Windows), so that one
//   stray byte spoils no other line and every byte of it stays visible.
// The byte-order mark is no part of the first line.

namespace database {

enum class Encoding { Utf8, CodePage };

// Why a file could not be read to its end. The window and the tools name
// these the same way.
enum class ReadFailure {
    None,
    NotFound,   // nothing exists at the path
    NotAFile,   // something exists there, but no regular file (a folder, a device)
    CannotRead, // opening it, or a read, failed
};

// The failure's name in capitals, as the status line shows it: "NOT FOUND",
// "NOT A FILE" or "CANNOT READ"; empty for None.
QString failureName(ReadFailure failure);

// Decodes bytes of a file in the given encoding.
QString decode(QByteArrayView bytes, Encoding encoding);

// Whether the bytes are all ASCII (below 0x80).
bool isAscii(QByteArrayView bytes);

// Whether the bytes are valid UTF-8 (no overlong forms, surrogates or values
// past U+10FFFF).
bool isValidUtf8(QByteArrayView bytes);

// The encoding of a line of a file in UTF-8 or in the code page, with or
// without a UTF-8 byte-order mark: UTF-8 when the line is valid UTF-8.
Encoding lineEncoding(QByteArrayView line);

// Opens the regular file at a path for reading, as DbFile does; null when it
// cannot be opened.
using DeviceOpener = std::function<std::unique_ptr<QIODevice>(const QString &path)>;
// Puts another opener in place of the plain file for every DbFile made from
// now on (an empty one restores the plain file): the seam through which tests
// see a read fail halfway, or count what was read. Set it before a load.
void setDeviceOpener(DeviceOpener opener);

class DbFile
{
public:
    // The kind of text the file holds, as its first bytes tell.
    enum class Form { Plain, Utf8Marked, Utf16LE, Utf16BE };

    // Opens a regular file.
    explicit DbFile(const QString &path);

    bool isOpen() const { return device != nullptr; }
    ReadFailure failure() const { return failed; }
    Form form() const { return kind; }
    // The file's size when it was opened.
    qint64 size() const { return fileSize; }

    // The line ends read so far, by kind.
    struct LineEnds
    {
        qint64 crLf = 0;
        qint64 cr = 0;
        qint64 lf = 0;
    };
    const LineEnds &lineEnds() const { return ends; }

    // The next line without its line end, valid until the next call, and its
    // encoding. False at the end of the file and on a read error, which ends
    // the reading as the end of the file would and is kept in failure().
    bool readLine(QByteArrayView &line, Encoding &encoding);

    // Makes readLine() end, as at the end of the file and without the line
    // it was reading, once the flag is set: looked at before every block
    // read, inside long lines too. For a reading thread that is told to stop.
    void stopWhen(const std::atomic<bool> &flag) { stop = &flag; }

private:
    bool fill();
    bool readRawLine(QByteArrayView &line);
    void readMark();

    std::unique_ptr<QIODevice> device;
    ReadFailure failed = ReadFailure::None;
    Form kind = Form::Plain;
    qint64 fileSize = 0;
    qint64 bytesRead = 0;

    QByteArray buffer; // the block being read, and the start of a long line
    qsizetype pos = 0; // next unread byte in buffer
    qsizetype end = 0; // bytes in buffer
    bool eof = false;
    const std::atomic<bool> *stop = nullptr;
    bool stopped = false;
    bool skipLeadingLf = false; // the last line ended in CR: an LF right after belongs to it
    LineEnds ends;
    QByteArray converted; // a UTF-16 line in UTF-8
};

} // namespace database
