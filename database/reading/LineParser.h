#pragma once

#include "DbFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A line of db.txt, read and written. Reading turns one line into the two
// pieces of its list item, in UTF-8: the name (blanks at both ends dropped)
// and the tail (from the first comma to the end of the line, unchanged). A
// name too long for its list item is cut to the item's limit.

namespace database {

// A line holding any of these is skipped: a comment, or a line kept out.
inline constexpr char kSkipMarkers[] = {'#', '&', '('};
constexpr bool isSkipMarker(char c)
{
    for (const char marker : kSkipMarkers) {
        if (c == marker)
            return true;
    }
    return false;
}

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

// The name as a data line can hold it and the reader gives it back: without
// commas (the first ends the name) or skip markers (a line holding one is
// skipped), without the ")" that would be left of a bracket, blanks
// simplified. Empty when nothing is left.
QString storableName(const QString &name);

// A data line, "name, M D YYYY,L" and CR LF, for a storable name and a
// calendar date (month 1 to 12); L is the date's Life Path, as the window
// works it out. Nothing when the date has no Life Path.
std::optional<QByteArray> dataLine(const QString &name, int month, int day, int year);

} // namespace database
