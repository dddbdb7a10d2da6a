#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>

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

// The same text in UTF-8, made from the name and the tail in UTF-8 again and
// again in one buffer whose run of blanks stays in place: only the name and
// the tail are copied each time.
class Utf8Composer
{
public:
    Utf8Composer();
    // Valid until the next call.
    QByteArrayView compose(QByteArrayView name, QByteArrayView tail);

private:
    std::string buffer;
    std::string longText;
};

} // namespace database::itemtext
