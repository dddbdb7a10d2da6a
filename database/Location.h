#pragma once

#include <QString>

// Where the program looks for its celebrity database.

namespace database {

// The path of db.txt for a program that lies in `programFolder`: the file
// beside the program. The folder is joined with one separator whatever it
// ends with, so a program in a drive's root finds "C:/db.txt".
QString dbPath(const QString &programFolder);

} // namespace database
