#include "item_record.h"

#include <cstring>

bool ItemNameFits(const std::string &name) { return name.size() < RESOURCE_NAME_CAPACITY; }
bool ItemDataFits(const std::string &dataString) { return dataString.size() < RESOURCE_DATA_CAPACITY; }

bool MakeItemRecord(ResourceItem &record, const std::string &name, const std::string &dataString,
                    int32_t cachedLength)
{
    if (!ItemNameFits(name) || !ItemDataFits(dataString))
        return false;
    std::memset(&record, 0, sizeof record);
    record.cachedLength = cachedLength;
    std::memcpy(record.name, name.c_str(), name.size() + 1);
    std::memcpy(record.dataString, dataString.c_str(), dataString.size() + 1);
    return true;
}
