#pragma once

#include <QString>
#include <QStringList>

// Where the program looks for its celebrity database.

namespace database {

// The places db.txt is looked for by a program that lies in `programFolder`,
// in order:
// 1. beside the program (a portable folder; on Windows the only place);
// 2. the user's own: famescope/db.txt in the user's data folder
//    ($XDG_DATA_HOME, by default ~/.local/share);
// 3. the installed sample: share/famescope/db.txt under the program's own
//    prefix (../share from the program's folder, so that a relocated install
//    finds its own), then famescope/db.txt in each folder of $XDG_DATA_DIRS.
// A folder is joined with one separator whatever it ends with, so a program
// in a drive's root finds "C:/db.txt".
QStringList dbSearchPaths(const QString &programFolder);

// The first of the paths that holds a regular file. When none does, the first
// where something exists (so that a load can tell what is there), else the
// first path.
QString chooseDb(const QStringList &paths);

} // namespace database
