#include "extent.h"

#include "common/plugin_api.h"

#include <algorithm>

Extent ItemExtent(uint64_t fileSize, uint64_t base, uint64_t size)
{
    Extent e;
    e.base = std::min(base, fileSize);
    e.size = static_cast<uint32_t>(std::min({size, fileSize - e.base, kMaxItemBytes}));
    return e;
}

bool SeekOriginDefined(uint32_t origin) { return origin == HOST_SEEK_SET || origin == HOST_SEEK_CUR; }

uint32_t SeekTarget(uint32_t position, int32_t offset, uint32_t origin)
{
    if (!SeekOriginDefined(origin))
        return position;
    const int64_t target = (origin == HOST_SEEK_SET ? 0 : static_cast<int64_t>(position)) + offset;
    return static_cast<uint32_t>(std::clamp<int64_t>(target, 0, 0xFFFFFFFFLL));
}

uint32_t Deliverable(uint32_t position, uint32_t size, uint32_t count)
{
    return position < size ? std::min(count, size - position) : 0;
}
