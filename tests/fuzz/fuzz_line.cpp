// One db.txt line to its list item, and the item to the four display texts.
#include "check.h"
#include "database/order/ItemArena.h"
#include "database/reading/DbFile.h"
#include "database/reading/LineParser.h"
#include "database/selection/Selection.h"
#include "database/text/ItemText.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace database;
using itemtext::kBlankRun;
using itemtext::kMaxNameUnits;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks a line of a file in the code page, or one of a
    // file in UTF-8 (with or without its byte-order mark), where the reader
    // decides the line's encoding; the rest is the line.
    QByteArray line(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const Encoding encoding = (data[0] & 1) ? lineEncoding(line) : Encoding::CodePage;

    LineParser parser;
    const auto parts = parser.parse(line, encoding);
    const bool skipped =
        line.contains('#') || line.contains('&') || line.contains('(') || !line.contains(',');
    check(parts.has_value() == !skipped);
    if (!parts)
        return 0;
    check(isValidUtf8(parts->name) && isValidUtf8(parts->tail));
    const QString name = QString::fromUtf8(parts->name);
    const QString tail = QString::fromUtf8(parts->tail);
    check(name.size() <= kMaxNameUnits);
    // A cut name may end in a blank; any other lost its blanks at both ends.
    check(!name.startsWith(u' ') && (name.size() >= kMaxNameUnits - 1 || !name.endsWith(u' ')));
    check(tail.startsWith(u','));
    check(tail == decode(line.mid(line.indexOf(',')), encoding));

    ItemArena arena;
    const auto id = arena.append(parts->name, parts->tail);
    check(id.has_value());
    const QString item = arena.itemText(*id);
    check(item == name + QString(kBlankRun, u' ') + tail);

    // The tail reads back from behind the blanks whatever it holds.
    const SelectionTexts texts = selectionTexts(item);
    check(texts.name && *texts.name == item.toUpper());
    QString record = tail;
    while (record.endsWith(u' '))
        record.chop(1);
    record.remove(0, 1);
    const qsizetype c = record.indexOf(u',') + 1;
    check(texts.lifePath && *texts.lifePath == record.mid(c, 1));
    check(texts.birthDate.has_value() == (c >= 1));
    if (texts.birthDate)
        check(*texts.birthDate == insertMonth(record.left(c - 1)));
    if (c < 5)
        check(!texts.attitude.has_value());
    // Three passes bring any sum below 32,768 to at most two digits (29999,
    // 38, 11); dates of the file's own form give one.
    if (texts.attitude)
        check(!texts.attitude->isEmpty() && texts.attitude->size() <= 2);
    return 0;
}
