#include "SortedOrder.h"

#include "OrderBudget.h"

#include <algorithm>

namespace database {

void SortedOrder::commit(qsizetype upTo)
{
    const auto n = std::size_t(std::clamp<qsizetype>(upTo - sorted, 0, qsizetype(waiting.size())));
    if (n == 0)
        return;
    // The chunks sorted ahead become runs as they are; the rest is sorted here.
    std::size_t taken = 0;
    for (const std::vector<Entry> &chunk : presorted) {
        if (taken + chunk.size() > n)
            break;
        runs.append(chunk.begin(), chunk.end());
        taken += chunk.size();
        ++presortedChunks;
    }
    presorted.clear();
    const auto from = waiting.begin() + std::ptrdiff_t(taken);
    const auto end = waiting.begin() + std::ptrdiff_t(n);
    // Equal items are told apart by arrival, so any sort is stable.
    const auto less = [this](const Entry &x, const Entry &y) { return order.less(x, y); };
    std::sort(from, end, less);
    runs.append(from, end);
    sorted += qsizetype(n);
    waiting.erase(waiting.begin(), end);
}

void SortedOrder::releaseWaitingRoom()
{
    if (waiting.empty())
        std::vector<Entry>().swap(waiting);
}

void SortedOrder::presort(qsizetype upTo)
{
    const std::size_t begin = presorted.size() * load::kPresortChunk;
    const std::size_t end = begin + load::kPresortChunk;
    if (upTo - sorted < qsizetype(end) || waiting.size() < end)
        return;
    std::vector<Entry> chunk(waiting.begin() + std::ptrdiff_t(begin),
                             waiting.begin() + std::ptrdiff_t(end));
    std::sort(chunk.begin(), chunk.end(),
              [this](const Entry &x, const Entry &y) { return order.less(x, y); });
    presorted.push_back(std::move(chunk));
}

void SortedOrder::sampleFor(Id id, std::string &&sample)
{
    samples.emplace_back(id, sample.empty() ? order.sampleKey(id) : std::move(sample));
    if (samples.size() < load::kCommonStartItems)
        return;
    order.chooseCommonStarts(samples, [this](const std::function<void(Entry &)> &remake) {
        std::for_each(waiting.begin(), waiting.end(), remake);
        for (std::vector<Entry> &chunk : presorted)
            std::for_each(chunk.begin(), chunk.end(), remake);
        runs.changeEach(remake);
    });
    std::vector<EntryOrder::Sample>().swap(samples);
}

std::pair<qsizetype, qsizetype> SortedOrder::rowsStartingWith(QStringView text) const
{
    const std::string bytes = order.primaryPrefix(text);
    if (bytes.empty() || sorted == 0)
        return {0, 0};
    return {search.partitionRow(bytes, false), search.partitionRow(bytes, true)};
}

} // namespace database
