#pragma once

#include <QString>

#include <optional>

// What the window shows for a selected list item, read back from the item's
// text alone. A field whose step fails has no value and keeps what it showed.

namespace database {

// The date with its month field (from the second character to the next
// blank) replaced by the month's English name when it is exactly one of the
// number texts 1 to 12; any other date unchanged.
QString insertMonth(const QString &date);

struct SelectionTexts
{
    std::optional<QString> name;      // Label9
    std::optional<QString> birthDate; // Label13
    std::optional<QString> lifePath;  // Label14
    std::optional<QString> attitude;  // Label15
};

// The four display texts for an item (the empty text when nothing is selected).
SelectionTexts selectionTexts(const QString &itemText);

// The date, Life Path and Attitude texts of an item whose name fits its list
// item, read from the item's tail alone (no name, no blanks): the same texts
// selectionTexts gives for such an item, without building it.
SelectionTexts tailTexts(const QString &tail);

} // namespace database
