/* What the progress line is told of the plug-in's reading. */
#ifndef HOST_REPORT_READ_OBSERVER_H
#define HOST_REPORT_READ_OBSERVER_H

#include <cstdint>

/* Told of every read a plug-in makes through the stream and container
 * services: where the reading stands in its extent, for a progress line. */
class ReadObserver {
public:
    virtual ~ReadObserver() = default;
    virtual void Reading(uint64_t position, uint64_t size) = 0;
};

#endif
