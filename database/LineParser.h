#pragma once

#include "DbFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// Turns one line of db.txt into the two pieces of its list item, in UTF-8:
// the name (blanks at both ends dropped) and the tail (from the first comma to
// the end of the line, unchanged).

namespace database {

// A name longer than this is cut, so that the tail can still be found again
// behind the run of 500 blanks that follows it in the list item.
inline constexpr qsizetype kMaxNameUnits = 499;
inline constexpr qsizetype kBlankRun = 500;

struct ItemParts
{
    QByteArrayView name;
    QByteArrayView tail;
};

class LineParser
{
public:
    explicit LineParser(Encoding encoding) : encoding(encoding) {}

    // The parts of a data line, valid until the next call; nothing for a line
    // that holds "#", "&" or "(" or has no comma.
    std::optional<ItemParts> parse(QByteArrayView line);

private:
    Encoding encoding;
    QByteArray nameBuffer;
    QByteArray tailBuffer;
};

// Whether progress is shown after a line: the count's decimal text holds two
// zeros side by side (100, 1000 to 1009, 10000 to 10099 ...).
bool isProgressCount(qint64 count);

} // namespace database
