// The whole file reader on arbitrary bytes, against Qt's UTF-8 and UTF-16
// decoders for each line's text and a plain split for the lines.
#include "check.h"
#include "database/reading/DbFile.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace database;

namespace {

QString path()
{
    static const QString p =
        QDir::temp().filePath(QStringLiteral("fuzz_reader_%1.txt").arg(::getpid()));
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(path());
        check(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(f.write(bytes) == bytes.size());
    }
    DbFile file(path());
    check(file.isOpen());

    const bool bom8 = bytes.startsWith("\xEF\xBB\xBF");
    const bool le = bytes.startsWith("\xFF\xFE");
    const bool be = bytes.startsWith("\xFE\xFF");
    QList<QString> expected;
    if (le || be) {
        // Qt's decoder for the text, split on whole code units.
        QByteArray body = bytes.mid(2);
        const bool odd = body.size() % 2 != 0;
        body.chop(odd ? 1 : 0);
        QString text = QString(reinterpret_cast<const QChar *>(body.constData()), body.size() / 2);
        if (be) {
            for (QChar &c : text)
                c = QChar(char16_t((c.unicode() >> 8) | (c.unicode() << 8)));
        }
        if (odd)
            text += QChar(0xFFFD);
        QString current;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\r' || c == u'\n') {
                expected << current;
                current.clear();
                if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                    ++i;
            } else {
                current += c;
            }
        }
        if (!current.isEmpty())
            expected << current;
        // What goes through UTF-8 and back, as the list keeps it.
        for (QString &e : expected)
            e = QString::fromUtf8(e.toUtf8());
    } else {
        const QByteArray body = bom8 ? bytes.mid(3) : bytes;
        QByteArray current;
        const auto addLine = [&] {
            // Valid UTF-8 is what survives Qt's decoder and encoder unchanged:
            // any broken sequence comes back as a replacement character.
            // (A letter in front keeps Qt from taking a leading EF BB BF for a
            // byte-order mark and dropping it.)
            const QByteArray probe = 'a' + current;
            const bool valid = QString::fromUtf8(probe).toUtf8() == probe;
            // With a UTF-8 mark or without one, a line that is not UTF-8 is
            // read in the code page.
            expected << decode(current, valid ? Encoding::Utf8 : Encoding::CodePage);
            current.clear();
        };
        for (qsizetype i = 0; i < body.size(); ++i) {
            const char c = body[i];
            if (c == '\r' || c == '\n') {
                addLine();
                if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
                    ++i;
            } else {
                current += c;
            }
        }
        if (!current.isEmpty())
            addLine();
    }

    QList<QString> read;
    QByteArrayView line;
    Encoding encoding;
    while (file.readLine(line, encoding))
        read << decode(line, encoding);
    check(read == expected);
    check(file.failure() == ReadFailure::None);
    return 0;
}
