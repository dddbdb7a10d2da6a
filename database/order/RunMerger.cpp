#include "RunMerger.h"

namespace database {

namespace {
// How far ahead of the merge's heads what is kept of their rests, and then
// the slots it points into, are asked for.
constexpr std::size_t kFar = 16;
constexpr std::size_t kNear = 6;
} // namespace

std::size_t RunMerger::maxRuns(std::size_t items)
{
    static_assert(load::kRunRatio >= 2, "the bound below assumes runs at least double");
    std::size_t runs = 1;
    for (; items > 1; items >>= 1)
        ++runs;
    return runs;
}

bool RunMerger::startMerge(bool toOne)
{
    // The newest pair out of proportion first: small merges are cheap, and
    // their result may call for the next.
    for (std::size_t newer = runs.size(); newer-- > 1;) {
        if (toOne || runs[newer - 1].size() <= load::kRunRatio * runs[newer].size()) {
            mergeAt = newer - 1;
            runs.insert(runs.begin() + std::ptrdiff_t(mergeAt), SortedRun());
            ++changes;
            return true;
        }
    }
    Q_ASSERT(runs.size() <= maxRuns(items));
    return false;
}

std::size_t RunMerger::merge(std::size_t moves)
{
    SortedRun &out = runs[mergeAt];
    SortedRun &a = runs[mergeAt + 1];
    SortedRun &b = runs[mergeAt + 2];
    const auto move = [&](SortedRun &from) {
        Q_ASSERT(out.empty() || order.less(out.back(), from.front()));
        out.push_back(from.front(), spares);
        from.pop_front(spares);
        --moves;
    };
    // The older run's item first among equals: the order is by arrival.
    if (order.tiesAreMany()) {
        // Many key starts tie, and the rests decide: the next heads' rests
        // are asked for ahead, so that they arrive while these two compare.
        while (moves > 0 && !a.empty() && !b.empty()) {
            for (SortedRun *run : {&a, &b}) {
                if (run->size() > kFar)
                    order.prefetch((*run)[kFar], true);
                if (run->size() > kNear)
                    order.prefetch((*run)[kNear], false);
            }
            move(order.less(b.front(), a.front()) ? b : a);
        }
    }
    while (moves > 0 && !a.empty() && !b.empty())
        move(order.less(b.front(), a.front()) ? b : a);
    while (moves > 0 && !a.empty())
        move(a);
    while (moves > 0 && !b.empty())
        move(b);
    if (a.empty() && b.empty()) {
        runs.erase(runs.begin() + std::ptrdiff_t(mergeAt) + 1,
                   runs.begin() + std::ptrdiff_t(mergeAt) + 3);
        mergeAt = kNoMerge;
        ++merges;
    }
    return moves;
}

bool RunMerger::compact(std::size_t moves, bool toOne)
{
    for (;;) {
        if (mergeAt == kNoMerge && !startMerge(toOne))
            return false;
        if (moves == 0)
            return true;
        ++changes;
        moves = merge(moves);
    }
}

} // namespace database
