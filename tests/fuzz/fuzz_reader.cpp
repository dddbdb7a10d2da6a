// The whole file reader on arbitrary bytes, against Qt's UTF-8 decoder for
// the encoding and a plain split for the lines.
#include "check.h"
#include "database/DbFile.h"

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

    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArray body = bom ? bytes.mid(3) : bytes;
    // Valid UTF-8 is what survives Qt's decoder and encoder unchanged: any
    // broken sequence comes back as a replacement character.
    const bool validUtf8 = QString::fromUtf8(body).toUtf8() == body;
    check((file.encoding() == Encoding::Utf8) == (bom || validUtf8));

    QList<QByteArray> expected;
    QByteArray current;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r' || c == '\n') {
            expected << current;
            current.clear();
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        expected << current;

    QList<QByteArray> read;
    QByteArrayView line;
    while (file.readLine(line))
        read << line.toByteArray();
    check(read == expected);
    check(file.lineCountHint() == expected.size());
    return 0;
}
