/* How the items a run hands to plug-ins are described in their records:
 * the name and data string (by default the item's file name), the
 * container reader's short name and the cached play length. */
#ifndef HOST_SERVICES_ITEM_NAMING_H
#define HOST_SERVICES_ITEM_NAMING_H

#include "host/system/path.h"

#include <cstdint>
#include <string>

struct ItemNaming {
    bool nameGiven = false;
    std::string name;
    bool dataGiven = false;
    std::string data;
    std::string container = "BLB";
    int32_t cachedLength = -1;

    std::string NameOf(const std::string &item) const { return nameGiven ? name : BaseName(item); }
    std::string DataStringOf(const std::string &item) const { return dataGiven ? data : BaseName(item); }
};

#endif
