/* The loop every command over ITEM... goes through. */
#include "host/run/commands.h"
#include "host/services/input_file.h"
#include "host/report/json_report.h"
#include "host/report/report.h"
#include "host/run/plugin_choice.h"
#include "host/system/run_stop.h"

std::string Run::Prefix(const std::string &item) const
{
    return o.items.size() > 1 ? DisplayPath(item) + ": " : std::string();
}

bool Run::Offers(const std::function<const void *(const AudioFilePlugin &)> &slot, const char *command)
{
    for (PluginSession *p : plugins)
        if (!p->Offers(slot(p->d()), command))
            return false;
    return true;
}

int EachItem(Run &run, const std::function<int(const std::string &item)> &one)
{
    const size_t n = run.o.items.size();
    int last = kExitOk;
    for (size_t i = 0; i < n && StopRequested() == StopReason::None; ++i) {
        const std::string &item = run.o.items[i];
        FileHost &host = run.plugins[0]->host(); /* the sessions share one */
        const size_t faults = host.faultCount();
        const size_t records = json_report::Count();
        report::ClearLastError(); /* nothing said about this item yet */
        if (run.plugins.size() > 1)
            run.current = nullptr;
        int r = CheckInput(item, ItemUse::Whole);
        if (r == kExitOk) {
            run.current = run.plugins.size() == 1 ? run.plugins[0] : ChoosePlugin(run.plugins, item);
            if (!run.current) {
                ++run.refused;
                r = kExitRefused;
            }
        }
        if (r == kExitOk) {
            run.progress.Begin(i, n, DisplayPath(item));
            r = one(item);
            run.progress.End();
        }
        (run.current ? run.current : run.plugins[0])->AfterItem();
        if (StopRequested() != StopReason::None)
            break; /* this item was cut short: it counts as neither done nor failed */
        if (r == kExitOk && host.faultCount() != faults)
            r = kExitRefused;
        ++run.done;
        run.lastDone = item;
        if (json_report::On() && json_report::Count() == records) {
            json_report::Object o = json_report::Blank(run.o.commandName, item);
            if (run.current && r != kExitOk)
                o["plugin"] = run.current->Name();
            if (!report::LastError().empty())
                o["error"] = report::LastError();
            json_report::Add(o);
        }
        if (r == kExitSkipped) {
            ++run.skipped;
            r = kExitOk;
        }
        if (r != kExitOk) {
            ++run.failed;
            last = r;
        }
    }
    return n == 1 ? last : run.failed ? static_cast<int>(kExitRefused) : static_cast<int>(kExitOk);
}
