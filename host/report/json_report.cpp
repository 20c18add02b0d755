#include "host/report/json_report.h"

#include "host/report/report.h"

namespace json_report {
namespace {
bool g_on = false;
Object g_items = Object::array();
} // namespace

Object Blank(const std::string &command, const std::string &item)
{
    Object o;
    o["item"] = item;
    o["plugin"] = nullptr;
    if (command == "probe") {
        for (const char *key : {"sample_rate", "channels", "bits", "decoded_ms", "decoded_bytes", "length_ms", "refusal"})
            o[key] = nullptr;
    } else if (command == "length") {
        o["length_ms"] = nullptr;
    } else if (command == "identify") {
        o["recognised"] = false;
        o["start"] = nullptr;
        o["size"] = nullptr;
    } else if (command == "scan") {
        for (const char *key : {"movie", "start", "size", "length_ms", "larger_than_4gib", "extracted"})
            o[key] = nullptr;
    }
    o["error"] = nullptr;
    return o;
}

void Start()
{
    g_on = true;
    report::SetLinesOff(true);
}

bool On() { return g_on; }
void Add(Object object) { g_items.push_back(std::move(object)); }
size_t Count() { return g_items.size(); }

void Print()
{
    if (!g_on)
        return;
    report::SetLinesOff(false);
    /* Invalid UTF-8 in a plug-in's text is replaced, not thrown at. */
    report::Line("%s\n", g_items.dump(2, ' ', false, Object::error_handler_t::replace).c_str());
}

} // namespace json_report
