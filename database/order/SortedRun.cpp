#include "SortedRun.h"

namespace database {

SortedRun::Chunk SpareChunks::take()
{
    if (chunks.empty())
        return SortedRun::Chunk(new OrderEntry[SortedRun::kChunk]);
    SortedRun::Chunk chunk = std::move(chunks.back());
    chunks.pop_back();
    return chunk;
}

void SpareChunks::give(SortedRun::Chunk &chunk)
{
    if (chunks.size() < kMax)
        chunks.push_back(std::move(chunk));
    chunk.reset();
}

void SortedRun::push_back(const OrderEntry &e, SpareChunks &spares)
{
    const std::size_t at = skipped + count;
    if (at % kChunk == 0)
        chunks.push_back(spares.take());
    chunks[at / kChunk][at % kChunk] = e;
    ++count;
}

void SortedRun::pop_front(SpareChunks &spares)
{
    ++skipped;
    --count;
    if (skipped % kChunk == 0)
        spares.give(chunks[skipped / kChunk - 1]);
}

} // namespace database
