#include "Selection.h"
#include "ItemText.h"

#include "engine/numerology.h"

namespace database {

QString insertMonth(const QString &date)
{
    const QStringList &names = engine::monthNames();
    QString text = date;
    for (int month = 1; month <= 12; ++month) {
        const QString pattern = u' ' + QString::number(month) + u' ';
        // QString::replace resumes right behind each match, so two matches
        // never share a blank.
        text.replace(pattern, u' ' + names[month - 1] + u' ');
    }
    return text;
}

SelectionTexts selectionTexts(const QString &itemText)
{
    SelectionTexts out;
    out.name = itemText.toUpper();

    // The tail is found again from inside the run of blanks.
    QString record = basGeneral::trimBlanks(itemText.mid(itemtext::kTailSearchFrom));
    record.remove(0, 1);

    // The date ends at the first comma; without one there is no date, and
    // the Life Path is read from the record's first character.
    const qsizetype dateLength = record.indexOf(u',');
    if (dateLength >= 0)
        out.birthDate = insertMonth(record.left(dateLength));
    out.lifePath = record.mid(dateLength + 1, 1);
    // The date without its last four characters: month and day without the year.
    if (dateLength - 4 >= 0)
        out.attitude = engine::reduce(record.left(dateLength - 4), 3);
    return out;
}

} // namespace database
