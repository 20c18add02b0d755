/* GetLength and Identify: both judge a resource by its container and name and
 * describe it by its size. */
#include "blb_length.h"

#include "blb_entry.h"
#include "blb_name.h"

#include "common/plugin_module.h"

int32_t BlbPlayLengthMs(uint32_t size, uint8_t shift)
{
    const uint32_t factor = shift != BLB_SHIFT_RAW ? 2u : 1u;
    /* 8000 / 352800 (22050 Hz x 16 bits) is 20 / 882 ms per stored byte. */
    if (size <= 0x7FFFFFFFu / factor)
        return MulDiv(8000, static_cast<int>(factor * size), 352800);
    /* Past what MulDiv's int argument holds: the same rounding done in 32-bit
     * pieces (size = q * 882 + r), where the result still fits easily. */
    const uint32_t q = size / 882u;
    const uint32_t r = size % 882u;
    return static_cast<int32_t>(q * 20u * factor + (2u * r * 20u * factor + 882u) / (2u * 882u));
}

int32_t PLUGIN_CALL GetLength(ResourceItem *item)
{
    if (!item)
        return -1;
    StreamHandle *h = Host().Open(item);
    if (!h)
        return -1;
    BlbSoundName name;
    if (!ParseBlbSoundName(h, item->dataString, &name)) {
        Host().Close(h);
        return -1;
    }
    const uint32_t size = Host().GetSize(h);
    Host().Close(h);
    return BlbPlayLengthMs(size, name.shift);
}

ResourceInfo *PLUGIN_CALL Identify(StreamHandle *h, uint32_t, const char *resourceName)
{
    if (!h || !IsBlbSoundResource(h, resourceName, nullptr))
        return nullptr;
    return NewResourceInfo(0, Host().GetSize(h));
}
