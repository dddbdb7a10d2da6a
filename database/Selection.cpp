#include "Selection.h"

#include "engine/numerology.h"

#include <array>

namespace database {

namespace {

// Blanks only: tabs and other white space stay.
QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString insertMonth(const QString &date)
{
    static const std::array<QString, 12> names = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    QString text = date;
    for (int month = 1; month <= 12; ++month) {
        const QString pattern = u' ' + QString::number(month) + u' ';
        // QString::replace resumes right behind each match, so two matches
        // never share a blank.
        text.replace(pattern, u' ' + names[std::size_t(month - 1)] + u' ');
    }
    return text;
}

SelectionTexts selectionTexts(const QString &itemText)
{
    SelectionTexts out;
    out.name = itemText.toUpper();

    // The tail starts inside the run of blanks at the 500th character.
    QString record = trimBlanks(itemText.mid(499));
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
