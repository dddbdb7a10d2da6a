#pragma once

#include "database/reading/DbFile.h"

#include <QString>

#include <vector>

// The celebrities of a database most compatible with a user's Life Path
// number, each with the percentage the window shows on selecting it right
// after start-up (a field the selection cannot read keeps its start-up text,
// "None Selected", which reads as 0).

namespace database {

struct MatchEntry
{
    QString name;
    QString birthDate; // as the selection shows it, month named
    QString lifePath;
    QString attitude;
    QString percent; // "94%"
};

struct MatchResult
{
    qint64 items = 0;
    std::vector<MatchEntry> top;
};

// The `count` items with the highest percentage, ties in the list's own
// order. Reads the file exactly as the window loads it.
MatchResult topMatches(DbFile &file, const QString &userLifePath, int count);

} // namespace database
