#include "bench_host.h"

#include "player/attach.h"
#include "player/extent.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <climits>
#include <cstdlib>
#endif

namespace bench {
namespace {

MemoryHost *g_host = nullptr; /* the services are plain functions */

StreamHandle *PLUGIN_CALL SvcOpen(ResourceItem *)
{
    ++g_host->counts.open;
    return g_host->OpenStream();
}

void PLUGIN_CALL SvcClose(StreamHandle *)
{
    ++g_host->counts.close;
    g_host->CloseStream();
}

uint32_t PLUGIN_CALL SvcGetSize(StreamHandle *)
{
    ++g_host->counts.getSize;
    return static_cast<uint32_t>(g_host->item().bytes.size());
}

uint32_t PLUGIN_CALL SvcTell(StreamHandle *)
{
    ++g_host->counts.tell;
    return g_host->item().position;
}

uint32_t PLUGIN_CALL SvcIsEof(StreamHandle *)
{
    ++g_host->counts.isEof;
    const MemoryItem &item = g_host->item();
    return item.position >= item.bytes.size() ? 1u : 0u;
}

void PLUGIN_CALL SvcSeek(StreamHandle *, int32_t offset, uint32_t origin)
{
    ++g_host->counts.seek;
    MemoryItem &item = g_host->item();
    item.position = SeekTarget(item.position, offset, origin);
}

void PLUGIN_CALL SvcRead(StreamHandle *, void *buffer, uint32_t count, uint32_t *got)
{
    ++g_host->counts.read;
    MemoryItem &item = g_host->item();
    const uint32_t n = Deliverable(item.position, static_cast<uint32_t>(item.bytes.size()), count);
    if (n) {
        std::memcpy(buffer, item.bytes.data() + item.position, n);
        if (g_host->copyLog)
            g_host->copyLog->push_back({item.position, buffer, n});
    }
    item.position += n;
    g_host->counts.bytesRead += n;
    *got = n;
}

const HostFileServices kServices = {SvcOpen, SvcClose, SvcGetSize, SvcTell, SvcIsEof, SvcSeek, SvcRead};

const char kContainerName[] = "BLB";

} // namespace

MemoryHost::MemoryHost() { g_host = this; }
MemoryHost::~MemoryHost()
{
    if (g_host == this)
        g_host = nullptr;
}

const HostFileServices *MemoryHost::services() const { return &kServices; }

void MemoryHost::SetItem(std::vector<uint8_t> bytes, const std::string &dataString)
{
    item_.bytes = std::move(bytes);
    std::memset(&item_.containerPlugin, 0, sizeof item_.containerPlugin);
    item_.containerPlugin.shortName = kContainerName;
    item_.container.plugin = &item_.containerPlugin;
    std::memset(&item_.record, 0, sizeof item_.record);
    item_.record.cachedLength = -1;
    std::snprintf(item_.record.name, sizeof item_.record.name, "%s", dataString.c_str());
    std::snprintf(item_.record.dataString, sizeof item_.record.dataString, "%s", dataString.c_str());
    item_.position = 0;
    item_.open = false;
}

StreamHandle *MemoryHost::OpenStream()
{
    if (item_.open)
        return nullptr; /* one stream at a time is all the benchmark needs */
    std::memset(&item_.handle, 0, sizeof item_.handle);
    item_.handle.container = &item_.container;
    item_.handle.item = &item_.record;
    item_.position = 0;
    item_.open = true;
    return &item_.handle;
}

void MemoryHost::CloseStream() { item_.open = false; }

Plugin::~Plugin()
{
    if (descriptor_ && descriptor_->Shutdown)
        descriptor_->Shutdown();
}

bool Plugin::Load(const std::string &path, MemoryHost &host, const std::string &iniFile, HWND window,
                  std::string &error)
{
    module_ = MakePluginLoader();
    if (!module_->Load(path, error))
        return false;
    auto get = reinterpret_cast<GetAudioFilePluginFn>(module_->Symbol(PLUGIN_EXPORT_NAME));
    if (!iniFile.empty()) {
#ifdef _WIN32
        char full[MAX_PATH];
        const DWORD n = GetFullPathNameA(iniFile.c_str(), sizeof full, full, nullptr);
        ini_ = n && n < sizeof full ? std::string(full, n) : iniFile;
#else
        char full[PATH_MAX];
        ini_ = realpath(iniFile.c_str(), full) ? full : iniFile;
#endif
    }
    if (!get || !(descriptor_ = get())) {
        error = "no descriptor export";
        return false;
    }
    HostFields fields;
    fields.instance = module_->Instance();
    fields.mainWindow = window;
    fields.iniFileName = ini_.empty() ? nullptr : ini_.c_str();
    fields.services = host.services();
    error = AttachPlugin(*descriptor_, fields);
    return error.empty();
}

bool ReadWholeFile(const std::string &path, std::vector<uint8_t> &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return size == 0 || bool(in.read(reinterpret_cast<char *>(bytes.data()), size));
}

uint64_t CountAudioOpcodes(const std::vector<uint8_t> &m)
{
    auto u16 = [&](size_t at) { return static_cast<uint32_t>(m[at] | (m[at + 1] << 8)); };
    uint64_t count = 0;
    size_t chunk = 26;
    while (chunk + 4 <= m.size()) {
        const size_t end = chunk + 4 + u16(chunk);
        const uint32_t type = m[chunk + 2];
        for (size_t op = chunk + 4; op + 4 <= end && op + 4 <= m.size(); op += 4 + u16(op))
            if ((type == 1 || type == 3) && m[op + 2] == 8)
                ++count;
        chunk = end;
    }
    return count;
}

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

PlayResult PlayOnce(Plugin &plugin, MemoryHost &host, std::vector<uint8_t> &buffer,
                    const std::vector<uint8_t> *check)
{
    PlayResult r;
    StreamHandle *h = host.OpenStream();
    uint32_t rate = 0;
    if (h && plugin->Open(h, &rate, &r.channels, &r.bitsPerSample)) {
        r.opened = true;
        int32_t marker = 0;
        const uint32_t size = static_cast<uint32_t>(buffer.size());
        for (;;) {
            const uint32_t n = plugin->Read(h, buffer.data(), size, &marker);
            if (n == 0 || n > size)
                break;
            if (check && (r.bytes + n > check->size() ||
                          std::memcmp(buffer.data(), check->data() + r.bytes, n) != 0))
                r.mismatch = true;
            r.bytes += n;
            ++r.reads;
        }
        plugin->Close(h);
    }
    if (check && r.bytes != check->size())
        r.mismatch = true;
    host.CloseStream();
    return r;
}

} // namespace bench
