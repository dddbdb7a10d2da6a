#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// Reads db.txt line by line in blocks, so that a file of any size costs one
// block of memory plus its longest line.
//
// Line ends: CR LF, CR alone and LF alone each end a line; a line end at the
// very end of the file makes no further line.
// Encoding: a file that starts with a UTF-8 byte-order mark, or is valid UTF-8
// throughout, is UTF-8 (the mark dropped); any other file is in the 8-bit code
// page (Windows-1252, or the system's ANSI code page on Windows).

namespace database {

enum class Encoding { Utf8, CodePage };

// Decodes bytes of a file in the given encoding.
QString decode(QByteArrayView bytes, Encoding encoding);

// Whether the bytes are valid UTF-8 (no overlong forms, surrogates or values
// past U+10FFFF).
bool isValidUtf8(QByteArrayView bytes);

class DbFile
{
public:
    // Opens a regular file. Anything else (a directory, a device, a pipe that
    // would block) counts as a file that cannot be opened.
    explicit DbFile(const QString &path);

    bool isOpen() const { return file.isOpen(); }
    Encoding encoding() const { return enc; }
    // Number of lines the file held when it was opened, for reserving memory.
    qint64 lineCountHint() const { return lineHint; }
    qint64 size() const { return fileSize; }

    // The next line without its line end, valid until the next call. False at
    // the end of the file and on a read error, which ends the reading as the
    // end of the file would.
    bool readLine(QByteArrayView &line);

private:
    bool fill();
    void scanEncodingAndLines();

    QFile file;
    Encoding enc = Encoding::CodePage;
    qint64 lineHint = 0;
    qint64 fileSize = 0;

    QByteArray buffer; // the block being read, and the start of a long line
    qsizetype pos = 0; // next unread byte in buffer
    qsizetype end = 0; // bytes in buffer
    bool eof = false;
    bool skipLeadingLf = false; // the last line ended in CR: an LF right after belongs to it
};

} // namespace database
