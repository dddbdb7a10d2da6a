#include "Match.h"

#include "database/order/ItemArena.h"
#include "database/order/SortedOrder.h"
#include "database/reading/LineParser.h"
#include "database/reading/ReadBudget.h"
#include "database/selection/Selection.h"
#include "engine/compat.h"

#include <algorithm>
#include <map>

namespace database {

namespace {

const QString kNoneSelected = QStringLiteral("None Selected");

// The percentage text the window shows; a failed computation leaves the
// start-up "0%".
QString percentOf(const QString &userLifePath, const SelectionTexts &texts)
{
    return engine::compatPercent(userLifePath, texts.lifePath.value_or(kNoneSelected),
                                 texts.attitude.value_or(kNoneSelected))
        .value_or(QStringLiteral("0%"));
}

} // namespace

MatchResult topMatches(DbFile &file, const QString &userLifePath, int count)
{
    MatchResult result;
    ItemArena items;
    items.reserve(file.size() / load::kBytesPerLineEstimate, file.size());
    std::vector<std::int16_t> percents;
    percents.reserve(std::size_t(file.size() / load::kBytesPerLineEstimate));
    LineParser parser;
    QByteArrayView line;
    Encoding encoding;
    while (file.readLine(line, encoding)) {
        const auto parts = parser.parse(line, encoding);
        if (!parts || !items.append(parts->name, parts->tail))
            continue;
        const QString percent = percentOf(userLifePath, tailTexts(QString::fromUtf8(parts->tail)));
        percents.push_back(engine::fieldNumber(percent).value_or(0));
    }
    result.items = items.size();
    if (count <= 0 || result.items == 0)
        return result;

    // The lowest percentage that can still be among the first `count`: only
    // items at or above it are sorted, so that a million names cost no more
    // than the few thousand that tie for the last places.
    std::map<std::int16_t, qint64, std::greater<>> counts;
    for (const std::int16_t p : percents)
        ++counts[p];
    std::int16_t threshold = counts.begin()->first;
    qint64 taken = 0;
    for (const auto &[percent, n] : counts) {
        threshold = percent;
        taken += n;
        if (taken >= count)
            break;
    }
    SortedOrder order(items);
    for (ItemArena::Id id = 0; id < ItemArena::Id(items.size()); ++id) {
        if (percents[id] >= threshold)
            order.add(id);
    }
    order.commit();
    std::vector<ItemArena::Id> ranked;
    for (qsizetype row = 0; row < order.size(); ++row)
        ranked.push_back(order.idAt(row));
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](ItemArena::Id a, ItemArena::Id b) { return percents[a] > percents[b]; });
    ranked.resize(std::min(ranked.size(), std::size_t(count)));

    for (const ItemArena::Id id : ranked) {
        const SelectionTexts texts = tailTexts(QString::fromUtf8(items.tailBytes(id)));
        result.top.push_back({items.name(id), texts.birthDate.value_or(kNoneSelected),
                              texts.lifePath.value_or(kNoneSelected),
                              texts.attitude.value_or(kNoneSelected),
                              percentOf(userLifePath, texts)});
    }
    return result;
}

} // namespace database
