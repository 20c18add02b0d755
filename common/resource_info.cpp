#include "plugin_module.h"

ResourceInfo *NewResourceInfo(uint32_t startOffset, uint32_t size)
{
    /* GMEM_ZEROINIT already makes both character fields empty strings and
     * every byte the host may inspect zero. */
    ResourceInfo *info = static_cast<ResourceInfo *>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, RESOURCE_INFO_SIZE));
    if (!info)
        return nullptr;
    info->text1[0] = '\0';
    info->text2[0] = '\0';
    info->startOffset = startOffset;
    info->size = size;
    return info;
}
