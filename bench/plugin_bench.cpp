/* plugin_bench: in-process timing of a plug-in as the player drives it, for
 * the systems Google Benchmark does not reach (the real DLLs under Wine)
 * and for the walk.  One line of "key=value" figures per measurement.
 *
 *   plugin_bench read PLUGIN FILE [--data STRING] [--expect RAW]
 *                [--buffers N,N,...] [--seconds S]
 *       Open, Read until 0, Close, over and over, for each buffer size;
 *       the median run's throughput in samples per second (each channel's
 *       sample counts).  --expect checks the output byte for byte first.
 *   plugin_bench walk PLUGIN FILE [--ini FILE] [--window] [--runs N]
 *       GetLength on the movie: host-service calls and bytes read per
 *       audio-data opcode, and the median time per opcode.  --window gives
 *       the plug-in a player window with the common controls registered,
 *       so the walk shows its progress window (Windows only).
 *
 * Exit status: 0 measured, 1 the plug-in failed or delivered wrong bytes,
 * 2 bad arguments or unreadable files. */
#include "bench_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <commctrl.h>
#endif

namespace {

struct Args {
    std::string command, plugin, file, data, expect, ini;
    std::vector<uint32_t> buffers{4608, 65536, 1048576};
    double seconds = 2.0;
    int runs = 5;
    bool window = false;
};

int Usage(const char *why)
{
    std::fprintf(stderr, "plugin_bench: %s\n"
                         "usage: plugin_bench read PLUGIN FILE [--data S] [--expect RAW] [--buffers N,..] [--seconds S]\n"
                         "       plugin_bench walk PLUGIN FILE [--ini FILE] [--window] [--runs N]\n",
                 why);
    return 2;
}

bool ParseArgs(int argc, char **argv, Args &a)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--data" && more) {
            a.data = argv[++i];
        } else if (arg == "--expect" && more) {
            a.expect = argv[++i];
        } else if (arg == "--ini" && more) {
            a.ini = argv[++i];
        } else if (arg == "--seconds" && more) {
            a.seconds = std::atof(argv[++i]);
        } else if (arg == "--runs" && more) {
            a.runs = std::atoi(argv[++i]);
        } else if (arg == "--window") {
            a.window = true;
        } else if (arg == "--buffers" && more) {
            a.buffers.clear();
            for (const char *p = argv[++i]; *p;) {
                char *end = nullptr;
                const unsigned long n = std::strtoul(p, &end, 10);
                if (end == p || n == 0 || n > (64ul << 20))
                    return false;
                a.buffers.push_back(static_cast<uint32_t>(n));
                p = *end == ',' ? end + 1 : end;
                if (*end && *end != ',')
                    return false;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 3 || a.buffers.empty() || a.runs < 1 || !(a.seconds >= 0))
        return false;
    a.command = positional[0];
    a.plugin = positional[1];
    a.file = positional[2];
    return a.command == "read" || a.command == "walk";
}

std::string BaseName(const std::string &path)
{
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Read(const Args &a, bench::Plugin &plugin, bench::MemoryHost &host)
{
    std::vector<uint8_t> expect;
    if (!a.expect.empty() && !bench::ReadWholeFile(a.expect, expect))
        return Usage(("cannot read " + a.expect).c_str());
    int status = 0;
    for (const uint32_t size : a.buffers) {
        std::vector<uint8_t> buffer(size);
        /* The first run warms the caches and, with --expect, checks. */
        const bench::PlayResult first = bench::PlayOnce(plugin, host, buffer, a.expect.empty() ? nullptr : &expect);
        if (!first.opened || first.bytes == 0 || first.mismatch) {
            std::printf("read buffer=%lu FAILED: %s\n", (unsigned long)size,
                        !first.opened ? "Open refused the item" : first.bytes == 0 ? "no sound" : "wrong bytes");
            status = 1;
            continue;
        }
        std::vector<double> times;
        const double start = bench::Now();
        do {
            const double t0 = bench::Now();
            const bench::PlayResult r = bench::PlayOnce(plugin, host, buffer);
            times.push_back(bench::Now() - t0);
            if (r.bytes != first.bytes) {
                std::printf("read buffer=%lu FAILED: a run delivered %llu bytes, the first %llu\n",
                            (unsigned long)size, (unsigned long long)r.bytes, (unsigned long long)first.bytes);
                return 1;
            }
        } while (times.size() < 3 || bench::Now() - start < a.seconds);
        const double t = Median(times);
        std::printf("read buffer=%lu runs=%lu samples=%llu bytes=%llu reads=%llu seconds=%.6f msamples_per_s=%.1f "
                    "mbytes_per_s=%.1f\n",
                    (unsigned long)size, (unsigned long)times.size(), (unsigned long long)first.samples(),
                    (unsigned long long)first.bytes, (unsigned long long)first.reads, t,
                    first.samples() / t / 1e6, first.bytes / t / 1e6);
        std::fflush(stdout);
    }
    return status;
}

/* The player's main window, with the progress-bar class registered as a
 * player that initialised the common controls has it. */
HWND PlayerWindow(bool wanted)
{
#ifdef _WIN32
    if (!wanted)
        return nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PluginBenchPlayer";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "plugin_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640,
                             480, nullptr, nullptr, wc.hInstance, nullptr);
    return w;
#else
    (void)wanted;
    return nullptr;
#endif
}

int Walk(const Args &a, bench::Plugin &plugin, bench::MemoryHost &host, bool windowShown)
{
    if (!plugin->GetLength) {
        std::printf("walk FAILED: the plug-in does not offer GetLength\n");
        return 1;
    }
    const uint64_t opcodes = bench::CountAudioOpcodes(host.item().bytes);
    if (opcodes == 0) {
        std::printf("walk FAILED: the movie has no audio-data opcodes\n");
        return 1;
    }
    std::vector<double> times;
    int32_t length = 0;
    bench::ServiceCounts counts;
    for (int run = 0; run < a.runs; ++run) {
        host.counts = bench::ServiceCounts();
        const double t0 = bench::Now();
        length = plugin->GetLength(&host.item().record);
        times.push_back(bench::Now() - t0);
        counts = host.counts;
    }
    if (length < 0) {
        std::printf("walk FAILED: GetLength gave %ld (is walking allowed in the INI file?)\n", (long)length);
        return 1;
    }
    const double per = 1.0 / static_cast<double>(opcodes);
    const double t = Median(times);
    std::printf("walk window=%s length_ms=%ld opcodes=%llu runs=%d seconds=%.6f us_per_opcode=%.3f "
                "calls_per_opcode=%.2f reads_per_opcode=%.2f seeks_per_opcode=%.2f tells_per_opcode=%.2f "
                "eofs_per_opcode=%.2f sizes_per_opcode=%.2f bytes_per_opcode=%.2f\n",
                windowShown ? "shown" : "none", (long)length, (unsigned long long)opcodes, a.runs, t,
                t * 1e6 * per, counts.calls() * per, counts.read * per, counts.seek * per, counts.tell * per,
                counts.isEof * per, counts.getSize * per, counts.bytesRead * per);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Args a;
    if (!ParseArgs(argc, argv, a))
        return Usage("bad arguments");
    std::vector<uint8_t> bytes;
    if (!bench::ReadWholeFile(a.file, bytes))
        return Usage(("cannot read " + a.file).c_str());
    bench::MemoryHost host;
    host.SetItem(std::move(bytes), a.data.empty() ? BaseName(a.file) : a.data);
    const HWND window = PlayerWindow(a.command == "walk" && a.window);
    bench::Plugin plugin;
    std::string error;
    if (!plugin.Load(a.plugin, host, a.ini, window, error)) {
        std::fprintf(stderr, "plugin_bench: cannot load %s: %s\n", a.plugin.c_str(), error.c_str());
        return 2;
    }
    return a.command == "read" ? Read(a, plugin, host) : Walk(a, plugin, host, window != nullptr);
}
