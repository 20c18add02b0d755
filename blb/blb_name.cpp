#include "blb_name.h"

namespace {

/* The digit's value, or 16 for anything that is not a hex digit. */
uint32_t HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<uint32_t>(c - 'a' + 10);
    return 16;
}

/* The plug-in links no C library, so these two string searches are ours. */
const char *FindLast(const char *text, char c)
{
    const char *found = nullptr;
    for (; *text; ++text)
        if (*text == c)
            found = text;
    return found;
}

const char *FindFirst(const char *text, char c)
{
    for (; *text; ++text)
        if (*text == c)
            return text;
    return nullptr;
}

bool ContainerIsBlb(const StreamHandle *h)
{
    /* The host sets the whole chain in every handle; a broken one is simply
     * not a BLB container rather than a crash. */
    if (!h->container || !h->container->plugin || !h->container->plugin->shortName)
        return false;
    return lstrcmpA(h->container->plugin->shortName, "BLB") == 0;
}

} // namespace

uint8_t ParseHexByte(const char *text)
{
    /* Only the low 8 bits are kept, so unsigned wrap-around of long runs is
     * harmless: the last two digits decide the result. */
    uint32_t value = 0;
    uint32_t digit = HexDigit(*text);
    if (digit > 15)
        return 0xFF;
    for (; digit <= 15; digit = HexDigit(*++text))
        value = value * 16 + digit;
    return static_cast<uint8_t>(value);
}

bool IsBlbSoundResource(const StreamHandle *h, const char *text, uint8_t *type)
{
    if (!h || !text || !ContainerIsBlb(h))
        return false;
    const char *dot = FindLast(text, '.');
    if (!dot)
        return false;
    const uint8_t t = ParseHexByte(dot + 1);
    if (t != 7 && t != 8)
        return false;
    if (type)
        *type = t;
    return true;
}

uint8_t ParseBlbShift(const char *dataString)
{
    const char *dash = FindFirst(dataString, '-');
    return dash ? ParseHexByte(dash + 1) : static_cast<uint8_t>(BLB_SHIFT_RAW);
}

bool ParseBlbSoundName(const StreamHandle *h, const char *dataString, BlbSoundName *name)
{
    uint8_t type = 0;
    if (!IsBlbSoundResource(h, dataString, &type))
        return false;
    name->type = type;
    name->shift = ParseBlbShift(dataString);
    return true;
}
