#include "host/report/progress.h"

#include <algorithm>
#include <cstdlib>

namespace {
/* Reads between two looks at the clock: a few microseconds of decoding. */
constexpr unsigned kReadsPerLook = 64;
constexpr long kDefaultDelayMs = 500;
/* Long names are shortened from the left, so the line fits a narrow
 * terminal and what differs between items (the file name) stays. */
constexpr size_t kMaxLabel = 60;

std::chrono::milliseconds Delay()
{
    /* The tests set a shorter delay; users have no need to. */
    if (const char *env = std::getenv("PLUGHOST_PROGRESS_AFTER_MS")) {
        char *end = nullptr;
        const long v = std::strtol(env, &end, 10);
        if (end != env && *end == '\0' && v >= 0)
            return std::chrono::milliseconds(v);
    }
    return std::chrono::milliseconds(kDefaultDelayMs);
}
} // namespace

ProgressLine::ProgressLine(bool enabled, std::FILE *to) : enabled_(enabled), to_(to), delay_(Delay()) {}

void ProgressLine::Begin(size_t index, size_t count, const std::string &name)
{
    End();
    if (!enabled_)
        return;
    const std::string shown = name.size() > kMaxLabel ? "..." + name.substr(name.size() - kMaxLabel + 3) : name;
    label_ = "[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " + shown;
    start_ = Clock::now();
    countdown_ = 1; /* the first read already looks */
    percent_ = -1;
}

void ProgressLine::Reading(uint64_t position, uint64_t size)
{
    if (!enabled_ || label_.empty() || --countdown_ != 0)
        return;
    countdown_ = kReadsPerLook;
    if (Clock::now() - start_ < delay_)
        return;
    const int percent = size ? static_cast<int>(std::min<uint64_t>(position, size) * 100 / size) : 0;
    if (percent == percent_)
        return;
    percent_ = percent;
    char text[16];
    std::snprintf(text, sizeof text, "  %3d%%", percent);
    const std::string line = label_ + text;
    /* Spaces cover what a longer earlier line left. */
    const std::string pad(width_ > line.size() ? width_ - line.size() : 0, ' ');
    std::fprintf(to_, "\r%s%s", line.c_str(), pad.c_str());
    std::fflush(to_);
    width_ = line.size();
}

void ProgressLine::Erase()
{
    if (width_) {
        std::fprintf(to_, "\r%s\r", std::string(width_, ' ').c_str());
        std::fflush(to_);
    }
    width_ = 0;
    percent_ = -1;
}

void ProgressLine::End()
{
    Erase();
    label_.clear();
}
