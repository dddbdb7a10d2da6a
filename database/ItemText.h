#pragma once

#include <QString>
#include <QStringView>

// The text of one item of the celebrity list: the name, a run of exactly 500
// blanks, then the data line's tail from its first comma on. A selected
// item's date and numbers are read back from its 500th character, which lies
// in the run of blanks as long as the name holds at most 499 characters; a
// longer name is cut to that length when the line is read.

namespace database::itemtext {

inline constexpr qsizetype kMaxNameUnits = 499;
inline constexpr qsizetype kBlankRun = 500;
// Where the tail is read back from: the 500th character, 0-based.
inline constexpr qsizetype kTailSearchFrom = kMaxNameUnits;

QString compose(QStringView name, QStringView tail);

} // namespace database::itemtext
