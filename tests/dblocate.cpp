// Prints where a program in the given folder finds db.txt, as the window
// looks for it: the first regular file among the places, or the first place
// when there is none. The package check runs it on an unpacked package.
//   dblocate <folder of the program>
#include "database/reading/Location.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dblocate <folder of the program>\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    std::printf("%s\n", qPrintable(database::chooseDb(database::dbSearchPaths(folder))));
    return 0;
}
