#include "Location.h"

#include <QDir>

namespace database {

QString dbPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("db.txt"));
}

} // namespace database
