#include "CelebrityLoader.h"

#include "CelebrityModel.h"
#include "database/DbFile.h"
#include "database/LineParser.h"

bool CelebrityLoader::load(const QString &path, const ProgressPoint &atProgressPoint)
{
    complete = false;
    database::DbFile file(path);
    model.reserve(file.lineCountHint(), file.size());
    database::LineParser parser(file.encoding());

    QByteArrayView line;
    while (file.readLine(line)) {
        if (const auto parts = parser.parse(line))
            model.append(parts->name, parts->tail);
        if (isProgressCount(model.itemCount())) {
            model.flush();
            if (!atProgressPoint(statusText()))
                return false;
        }
    }
    model.flush();
    complete = true;
    return true;
}

QString CelebrityLoader::statusText() const
{
    return QString::number(model.itemCount()) + (complete
                                                     ? QStringLiteral(" Names Loaded. (COMPLETE)")
                                                     : QStringLiteral(" Names Loaded. (LOADING)"));
}

bool CelebrityLoader::isProgressCount(qint64 count)
{
    for (; count >= 100; count /= 10) {
        if (count % 100 == 0)
            return true;
    }
    return false;
}
