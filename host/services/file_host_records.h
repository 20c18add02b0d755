/* What FileHost keeps for each container, item and stream: shared by the
 * host's bookkeeping (file_host.cpp) and the service functions the
 * plug-ins call (file_services.cpp). */
#ifndef HOST_SERVICES_FILE_HOST_RECORDS_H
#define HOST_SERVICES_FILE_HOST_RECORDS_H

#include "host/services/file_host.h"
#include "host/services/read_ahead.h"

/* A container reader's view of a file (or of an item's extent of one). */
struct FileHost::Container {
    ContainerFile visible;
    ContainerPlugin plugin;
    std::string shortName;
    std::FILE *file = nullptr;
    uint64_t fileSize = 0;
    uint64_t base = 0;
    uint32_t size = 0;
    uint32_t position = 0;
    ReadAhead ahead;
    ~Container()
    {
        if (file)
            std::fclose(file);
    }
};

struct FileHost::Item {
    ResourceItem record;
    ResourceItem original;
    Container *container = nullptr;
    std::string path;
    uint64_t base = 0;
    uint32_t size = 0;
};

/* A stream: the plug-in-visible handle, then what the host keeps for it. */
struct FileHost::Stream {
    StreamHandle visible;
    StreamHandle expected; /* what the plug-in must leave alone */
    Item *item = nullptr;
    std::FILE *file = nullptr;
    uint32_t position = 0;
    ReadAhead ahead;
    ~Stream()
    {
        if (file)
            std::fclose(file);
    }
};

/* The services are plain functions without context: they serve the host
 * bound last (until it unbinds itself). */
void BindFileServices(FileHost *host);
void UnbindFileServices(FileHost *host);
/* The services' table, and the container reader's functions for a new
 * container. */
const HostFileServices *FileServicesTable();
void FillContainerReader(ContainerPlugin &reader);

#endif
