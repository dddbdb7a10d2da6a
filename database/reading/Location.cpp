#include "Location.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace database {

QStringList dbSearchPaths(const QString &programFolder)
{
    const QString beside = QDir(programFolder).filePath(QStringLiteral("db.txt"));
#ifdef Q_OS_WIN
    return {beside};
#else
    QStringList paths{beside};
    const auto add = [&paths](const QString &dataFolder) {
        const QString path = QDir::cleanPath(dataFolder + QStringLiteral("/famescope/db.txt"));
        if (!paths.contains(path))
            paths << path;
    };
    // The user's data folder first, then the system's, as Qt lists them.
    const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty())
        add(data.first());
    add(QDir(programFolder).filePath(QStringLiteral("../share")));
    for (qsizetype i = 1; i < data.size(); ++i)
        add(data[i]);
    return paths;
#endif
}

QString chooseDb(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QFileInfo(path).isFile())
            return path;
    }
    for (const QString &path : paths) {
        if (QFileInfo::exists(path))
            return path;
    }
    return paths.value(0);
}

} // namespace database
