/* The one progress line a long piece of work shows on a terminal:
 * "[k/n] ITEM  p%", rewritten in place and erased when the item is done.
 * It appears only after the item has taken half a second, never when
 * standard error is not a terminal (a log or a pipe gets no carriage
 * returns), and costs a counter decrement per read otherwise. */
#ifndef HOST_PROGRESS_H
#define HOST_PROGRESS_H

#include "host/report/read_observer.h"

#include <chrono>
#include <cstdio>
#include <string>

class ProgressLine : public ReadObserver {
public:
    /* enabled: the caller's decision (a terminal, no --quiet). */
    ProgressLine(bool enabled, std::FILE *to);
    ~ProgressLine() override { End(); }

    void Begin(size_t index, size_t count, const std::string &name);
    void Reading(uint64_t position, uint64_t size) override;
    /* Erases the line if it was shown; it comes back with the next read
     * (before other text is written to the terminal). */
    void Erase();
    /* Erases the line and stops showing it until the next Begin. */
    void End();

    bool enabled() const { return enabled_; }

private:
    using Clock = std::chrono::steady_clock;
    bool enabled_;
    std::FILE *to_;
    std::chrono::milliseconds delay_;
    std::string label_;
    Clock::time_point start_;
    unsigned countdown_ = 0;
    int percent_ = -1;
    size_t width_ = 0; /* of what is on the terminal now */
};

#endif
