#include "Selection.h"

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

    // The tail starts inside the run of blanks at the 500th character.
    QString record = basGeneral::trimBlanks(itemText.mid(499));
    record.remove(0, 1);

    // c is the 1-based position of the first comma, 0 when there is none.
    const qsizetype c = record.indexOf(u',') + 1;
    if (c - 1 >= 0)
        out.birthDate = insertMonth(record.left(c - 1));
    out.lifePath = record.mid(c, 1);
    // The date without its last four characters: month and day without the year.
    if (c - 5 >= 0)
        out.attitude = engine::reduce(record.left(c - 5), 3);
    return out;
}

} // namespace database
