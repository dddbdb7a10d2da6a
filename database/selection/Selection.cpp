#include "Selection.h"
#include "database/text/ItemText.h"

#include "engine/numerology.h"

namespace database {

QString insertMonth(const QString &date)
{
    // The month field is the first after all the blanks the date starts
    // with (in a data line, the one behind its first comma); it becomes the
    // month's name when a blank stands before and after it and it is one of
    // the number texts 1 to 12. Only that field is named, so a day of 1 to 12
    // stays the number it is.
    qsizetype start = 0;
    while (start < date.size() && date[start] == u' ')
        ++start;
    if (start == 0)
        return date;
    const qsizetype end = date.indexOf(u' ', start);
    if (end < 0)
        return date;
    const QStringView field = QStringView(date).mid(start, end - start);
    const QStringList &names = engine::monthNames();
    for (int month = 1; month <= 12; ++month) {
        if (field == QString::number(month))
            return date.left(start) + names[month - 1] + date.mid(end);
    }
    return date;
}

RecordFields recordFields(const QString &tail)
{
    RecordFields fields{basGeneral::trimBlanks(tail).mid(1)};
    fields.dateLength = fields.record.indexOf(u',');
    return fields;
}

namespace {

// Steps 3 to 6 of a selection, on the record.
void readRecord(const RecordFields &fields, SelectionTexts &out)
{
    if (fields.hasDate())
        out.birthDate = insertMonth(fields.date().toString());
    out.lifePath = fields.fromLifePath().left(1).toString();
    // The date without its last four characters: month and day without the year.
    if (fields.dateLength - 4 >= 0)
        out.attitude = engine::reduce(fields.date().chopped(4).toString(), 3);
}

} // namespace

SelectionTexts selectionTexts(const QString &itemText)
{
    SelectionTexts out;
    out.name = itemText.toUpper();
    // The tail is found again from inside the run of blanks.
    readRecord(recordFields(itemText.mid(itemtext::kTailSearchFrom)), out);
    return out;
}

SelectionTexts tailTexts(const QString &tail)
{
    // Read from inside the blanks, the record is the tail with the blanks at
    // both ends removed; the tail starts with its comma.
    SelectionTexts out;
    readRecord(recordFields(tail), out);
    return out;
}

} // namespace database
