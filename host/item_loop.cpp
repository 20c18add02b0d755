/* The loop every command over ITEM... goes through. */
#include "commands.h"
#include "input_file.h"
#include "run_stop.h"

std::string Run::Prefix(const std::string &item) const
{
    return o.items.size() > 1 ? DisplayPath(item) + ": " : std::string();
}

int EachItem(Run &run, const std::function<int(const std::string &item)> &one)
{
    const size_t n = run.o.items.size();
    int last = kExitOk;
    for (size_t i = 0; i < n && StopRequested() == StopReason::None; ++i) {
        const std::string &item = run.o.items[i];
        FileHost &host = run.plugin.host();
        const size_t faults = host.faultCount();
        int r = CheckInput(item, ItemUse::Whole);
        if (r == kExitOk) {
            run.progress.Begin(i, n, DisplayPath(item));
            r = one(item);
            run.progress.End();
        }
        run.plugin.AfterItem();
        if (StopRequested() != StopReason::None)
            break; /* this item was cut short: it counts as neither done nor failed */
        if (r == kExitOk && host.faultCount() != faults)
            r = kExitRefused;
        ++run.done;
        run.lastDone = item;
        if (r != kExitOk) {
            ++run.failed;
            last = r;
        }
    }
    return n == 1 ? last : run.failed ? static_cast<int>(kExitRefused) : static_cast<int>(kExitOk);
}
