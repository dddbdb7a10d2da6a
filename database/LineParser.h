#pragma once

#include "DbFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Turns one line of db.txt into the two pieces of its list item, in UTF-8:
// the name (blanks at both ends dropped) and the tail (from the first comma to
// the end of the line, unchanged). A name too long for its list item is cut
// to the item's limit.

namespace database {

struct ItemParts
{
    QByteArrayView name;
    QByteArrayView tail;
    // The name as the line has it, before any cut.
    QByteArrayView uncutName;
};

// Why a line is skipped: the first "#", "&" or "(" in it and its byte
// offset, or, with no marker, the missing comma (marker 0).
struct SkipReason
{
    char marker = 0;
    qsizetype offset = -1;
};
// Nothing for a data line.
std::optional<SkipReason> skipReason(QByteArrayView line);

class LineParser
{
public:
    // The parts of a data line in the given encoding, valid until the next
    // call; nothing for a line that holds "#", "&" or "(" or has no comma.
    std::optional<ItemParts> parse(QByteArrayView line, Encoding encoding);

private:
    QByteArray nameBuffer;
    QByteArray tailBuffer;
};

} // namespace database
