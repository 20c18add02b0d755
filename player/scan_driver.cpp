#include "scan_driver.h"

#include "extent.h"
#include "plugin_texts.h"

#include <algorithm>

void ScanImage(AudioFilePlugin &d, const ScanSetup &setup, const std::function<bool(const ScanMatch &)> &found)
{
    const std::vector<Signature> signatures = Signatures(d);
    if (!d.ScanFile || signatures.empty())
        return;
    uint64_t from = 0;
    int64_t at;
    while ((at = FindSignature(setup.readAt, signatures, from)) >= 0 && !(setup.stopped && setup.stopped())) {
        ScanMatch m;
        m.base = static_cast<uint64_t>(at);
        m.window = ItemExtent(setup.fileSize, m.base, kMaxItemBytes).size;
        setup.setWindow(m.base, m.window);
        m.info = d.ScanFile(setup.statusWindow, setup.container, 0, 0, &m.end);
        m.tooLarge = m.info && m.end >= m.window && m.base + m.window < setup.fileSize;
        if (!found(m))
            return;
        from = m.base + (m.info ? std::max<uint64_t>(std::min(m.end, m.window), 1) : 1);
    }
}
