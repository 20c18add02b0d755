/* The decoding kernels on one scratch block, and Read through the in-memory
 * host with the player's buffer sizes, natively (Google Benchmark).
 *
 *   kernel_bench [--dpcm MOVIE] [--pcm MOVIE] [--adpcm SOUND] [benchmark flags]
 *
 * Items are samples: one per channel value, so a stereo frame counts two.
 * Each file given adds BM_Read/<kind>/<buffer bytes>; --pcm also adds the
 * memory-copy baseline its pass-through is measured against. */
#include "bench_host.h"

#include "blb_adpcm.h"
#include "mve_dpcm.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBatch = 64000; /* the plug-ins' scratch block */
const uint32_t kBuffers[] = {4608, 65536, 1048576};

std::vector<uint8_t> NoiseBytes(size_t n)
{
    std::mt19937 random(12345);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = static_cast<uint8_t>(random());
    return v;
}

void BM_MveDpcmMono(benchmark::State &state)
{
    const std::vector<uint8_t> in = NoiseBytes(kBatch);
    std::vector<uint8_t> out(2 * kBatch);
    int16_t predictor = 0;
    for (auto _ : state) {
        DecodeMveDpcmMono(in.data(), kBatch, &predictor, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBatch);
}
BENCHMARK(BM_MveDpcmMono);

void BM_MveDpcmStereo(benchmark::State &state)
{
    const std::vector<uint8_t> in = NoiseBytes(kBatch);
    std::vector<uint8_t> out(2 * kBatch);
    int16_t predictor[2] = {0, 0};
    for (auto _ : state) {
        DecodeMveDpcmStereo(in.data(), kBatch, predictor, 0, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBatch);
}
BENCHMARK(BM_MveDpcmStereo);

void BM_DwAdpcm(benchmark::State &state)
{
    const std::vector<uint8_t> in = NoiseBytes(kBatch);
    std::vector<uint8_t> out(2 * kBatch);
    int16_t accumulator = 0;
    const uint32_t shift = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        DecodeDwAdpcm(in.data(), kBatch, &accumulator, shift, out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBatch);
}
BENCHMARK(BM_DwAdpcm)->Arg(0)->Arg(4);

/* One input for the Read benchmarks: the plug-in that plays it and the item. */
struct ReadInput {
    std::string kind, plugin, path;
};

std::string PluginBeside(const char *argv0, const char *name)
{
    std::string self = argv0;
    const size_t cut = self.rfind('/');
    return (cut == std::string::npos ? std::string("./") : self.substr(0, cut + 1)) + name + ".so";
}

/* Whole plays of the item, Open to Close, as the player does them. */
void ReadBenchmark(benchmark::State &state, const ReadInput *input)
{
    bench::MemoryHost host;
    std::vector<uint8_t> bytes;
    if (!bench::ReadWholeFile(input->path, bytes)) {
        state.SkipWithError(("cannot read " + input->path).c_str());
        return;
    }
    /* Served under its file name, as the player names an item. */
    const size_t slash = input->path.rfind('/');
    host.SetItem(std::move(bytes), slash == std::string::npos ? input->path : input->path.substr(slash + 1));
    bench::Plugin plugin;
    std::string error;
    if (!plugin.Load(input->plugin, host, "", nullptr, error)) {
        state.SkipWithError(("cannot load " + input->plugin + ": " + error).c_str());
        return;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)));
    uint64_t samples = 0, bytesOut = 0, reads = 0;
    for (auto _ : state) {
        const bench::PlayResult r = bench::PlayOnce(plugin, host, buffer);
        if (!r.opened || r.bytes == 0) {
            state.SkipWithError("the plug-in delivered nothing");
            return;
        }
        samples += r.samples();
        bytesOut += r.bytes;
        reads = r.reads;
    }
    state.SetItemsProcessed(static_cast<int64_t>(samples));
    state.SetBytesProcessed(static_cast<int64_t>(bytesOut));
    state.counters["reads_per_play"] = static_cast<double>(reads);
}

/* What the PCM pass-through is measured against: the host's own copies of
 * one play (the same pieces, from the same places into the same buffer),
 * replayed without the plug-in. */
void MemcpyBaseline(benchmark::State &state, const ReadInput *input)
{
    bench::MemoryHost host;
    std::vector<uint8_t> bytes;
    if (!bench::ReadWholeFile(input->path, bytes)) {
        state.SkipWithError(("cannot read " + input->path).c_str());
        return;
    }
    host.SetItem(std::move(bytes), "movie");
    bench::Plugin plugin;
    std::string error;
    if (!plugin.Load(input->plugin, host, "", nullptr, error)) {
        state.SkipWithError(("cannot load " + input->plugin + ": " + error).c_str());
        return;
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)));
    std::vector<bench::MemoryHost::Copy> copies;
    host.copyLog = &copies;
    const bench::PlayResult r = bench::PlayOnce(plugin, host, buffer);
    host.copyLog = nullptr;
    const uint8_t *source = host.item().bytes.data();
    for (auto _ : state) {
        for (const bench::MemoryHost::Copy &c : copies) {
            std::memcpy(c.to, source + c.from, c.count);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(r.samples()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(r.bytes));
}

} // namespace

int main(int argc, char **argv)
{
    static std::vector<ReadInput> inputs; /* outlive the registered benchmarks */
    inputs.reserve(3);
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--dpcm" || arg == "--pcm" || arg == "--adpcm") && i + 1 < argc) {
            const char *plugin = arg == "--adpcm" ? "tasbrin" : "velmora";
            inputs.push_back({arg.substr(2), PluginBeside(argv[0], plugin), argv[++i]});
        } else {
            rest.push_back(argv[i]);
        }
    }
    for (const ReadInput &input : inputs) {
        for (const uint32_t size : kBuffers) {
            benchmark::RegisterBenchmark(("BM_Read/" + input.kind + "/" + std::to_string(size)).c_str(),
                                         ReadBenchmark, &input)
                ->Arg(size)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            if (input.kind == "pcm")
                benchmark::RegisterBenchmark(("BM_MemcpyBaseline/" + std::to_string(size)).c_str(), MemcpyBaseline,
                                             &input)
                    ->Arg(size)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
        }
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data()))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
