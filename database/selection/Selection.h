#pragma once

#include <QString>

#include <algorithm>
#include <optional>

// What the window shows for a selected list item, read back from the item's
// text alone. A field whose step fails has no value and keeps what it showed.

namespace database {

// The date with its month field (the first after the blanks it starts with)
// replaced by the month's English name when a blank stands before and after
// it and it is exactly one of the number texts 1 to 12; any other date
// unchanged.
QString insertMonth(const QString &date);

// A record as the selection reads it, from an item's tail or from its text
// from inside the run of blanks on: with the blanks at both ends dropped and
// without its first character (the tail's comma), that text is the record.
// The date runs to the record's first comma and the Life Path starts right
// after it; a record without a comma has no date, and its Life Path starts
// with the record.
struct RecordFields
{
    QString record;
    qsizetype dateLength = -1; // -1: no date

    bool hasDate() const { return dateLength >= 0; }
    QStringView date() const
    {
        return QStringView(record).left(std::max<qsizetype>(dateLength, 0));
    }
    QStringView fromLifePath() const { return QStringView(record).mid(dateLength + 1); }
};
RecordFields recordFields(const QString &tail);

// What a selected item shows, each text missing where its step fails (and
// whatever shows it keeps what it showed).
struct SelectionTexts
{
    std::optional<QString> name;      // the item's whole text in capitals
    std::optional<QString> birthDate; // the date, its month named
    std::optional<QString> lifePath;  // the Life Path character of the line
    std::optional<QString> attitude;  // the Attitude number, from month and day
};

// The four display texts for an item (the empty text when nothing is selected).
SelectionTexts selectionTexts(const QString &itemText);

// The date, Life Path and Attitude texts of an item whose name fits its list
// item, read from the item's tail alone (no name, no blanks): the same texts
// selectionTexts gives for such an item, without building it.
SelectionTexts tailTexts(const QString &tail);

} // namespace database
