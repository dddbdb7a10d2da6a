#include "CelebrityLoader.h"

#include "CelebrityModel.h"
#include "database/DbFile.h"
#include "database/LineParser.h"

bool CelebrityLoader::load(const QString &path, const ProgressPoint &atProgressPoint)
{
    finished = false;
    database::DbFile file(path);
    // Lines of the sample average 36 bytes; room for more than that costs
    // address space only until it is used.
    model.reserve(file.size() / 24, file.size());
    database::LineParser parser;

    QByteArrayView line;
    database::Encoding encoding;
    while (file.readLine(line, encoding)) {
        if (const auto parts = parser.parse(line, encoding))
            model.append(parts->name, parts->tail);
        if (isProgressCount(model.itemCount())) {
            model.flush();
            if (!atProgressPoint(statusText()))
                return false;
        }
    }
    model.flush();
    failed = file.failure();
    finished = true;
    return true;
}

QString CelebrityLoader::statusText() const
{
    const QString state = !finished                               ? QStringLiteral("LOADING")
                          : failed == database::ReadFailure::None ? QStringLiteral("COMPLETE")
                                                                  : database::failureName(failed);
    return QString::number(model.itemCount()) + QStringLiteral(" Names Loaded. (") + state + u')';
}

bool CelebrityLoader::isProgressCount(qint64 count)
{
    for (; count >= 100; count /= 10) {
        if (count % 100 == 0)
            return true;
    }
    return false;
}
