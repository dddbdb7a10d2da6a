#include "ItemText.h"

namespace database::itemtext {

QString compose(QStringView name, QStringView tail)
{
    QString text;
    text.reserve(name.size() + kBlankRun + tail.size());
    text += name;
    text += QString(kBlankRun, u' ');
    text += tail;
    return text;
}

} // namespace database::itemtext
