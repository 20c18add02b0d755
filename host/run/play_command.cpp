/* play and probe: an item opened, read to its end and closed, the sound
 * going to a WAV file, standard output, or (probe) nowhere. */
#include "host/run/commands.h"
#include "host/report/json_report.h"
#include "host/output/output_file.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"
#include "host/output/wav_writer.h"

#include "player/plugin_texts.h"
#include "player/read_guard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

/* Where play's decoded sound goes: a WAV writer, or nowhere for probe. */
class SoundSink {
public:
    virtual ~SoundSink() = default;
    /* Open succeeded with this format; false when the output cannot be
     * begun (the sink has said why). */
    virtual bool Begin(uint32_t rate, uint16_t channels, uint16_t bits) = 0;
    virtual bool Write(const uint8_t *data, uint32_t bytes) = 0;
};

/* What one Open-Read-Close pass did. */
struct Decoded {
    bool refused = false; /* Open said no */
    std::string refusal;  /* in the plug-in's words */
    uint32_t code = 0;    /* the last-error code Open set */
    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    uint64_t bytes = 0;
    uint32_t reads = 0;
    int32_t marker = 0;
};

namespace {

constexpr auto Say = report::Line;
constexpr size_t kOutputBlock = 1 << 20; /* play collects this much before writing */

/* A SoundSink made of two functions. */
class FunctionSink : public SoundSink {
public:
    using BeginFn = std::function<bool(uint32_t, uint16_t, uint16_t)>;
    using WriteFn = std::function<bool(const uint8_t *, uint32_t)>;
    FunctionSink(BeginFn begin, WriteFn write) : begin_(std::move(begin)), write_(std::move(write)) {}
    bool Begin(uint32_t rate, uint16_t channels, uint16_t bits) override { return begin_(rate, channels, bits); }
    bool Write(const uint8_t *data, uint32_t bytes) override { return write_(data, bytes); }

private:
    BeginFn begin_;
    WriteFn write_;
};

/* The decoded duration in ms, rounded to the nearest; "" when the format
 * has no bytes per second. */
std::string DurationMs(const Decoded &d)
{
    const uint64_t byteRate = static_cast<uint64_t>(d.rate) * WavBlockAlign(d.channels, d.bits);
    if (!byteRate)
        return std::string();
    return std::to_string((d.bytes * 1000ull + byteRate / 2) / byteRate);
}

} // namespace

static int Decode(Run &run, const std::string &path, SoundSink &sink, Decoded &d)
{
    PluginSession &p = run.plugin();
    AudioFilePlugin &plugin = p.d();
    const uint32_t bufferSize = run.o.bufferSize;
    StreamHandle *h = p.OpenItemStream(path);
    if (!h)
        return kExitNoFile;

    SetLastError(0);
    if (!plugin.Open(h, &d.rate, &d.channels, &d.bits)) {
        const DWORD code = GetLastError();
        /* The plug-in's own words for the code, as the player shows them:
         * natively too, where the stand-in reads the module's string table. */
        std::string text = RefusalText(plugin, code);
        if (text.empty())
            text = "(no text " + std::to_string(PLUGIN_STRING_ID(code)) + " in the plug-in's string table)";
        Say("%s refused %s: %s (error 0x%08lX)\n", p.Name().c_str(), DisplayPath(path).c_str(), text.c_str(),
            (unsigned long)code);
        d.refused = true;
        d.refusal = text;
        d.code = code;
        ++run.refused;
        if (h->decoderState)
            p.host().Fault("Open failed but left a decoder state in the handle");
        p.host().CloseStream(h);
        return kExitRefused;
    }
    if (!sink.Begin(d.rate, d.channels, d.bits)) {
        plugin.Close(h);
        p.host().CloseStream(h);
        return kExitNoFile;
    }

    int result = kExitOk;
    /* The reads land one after another in a large block that goes to the
     * sink when it is full: the plug-in is still given buffers of exactly
     * bufferSize bytes, each followed by guard bytes, and the sound reaches
     * the file without another copy in a few large writes. */
    const size_t span = static_cast<size_t>(bufferSize) + kReadGuardBytes;
    std::vector<uint8_t> block(std::max<size_t>(kOutputBlock, 2 * span));
    size_t filled = 0;
    for (;;) {
        if (StopRequested() != StopReason::None) {
            result = kExitInterrupted;
            break;
        }
        if (block.size() - filled < span) {
            if (!sink.Write(block.data(), static_cast<uint32_t>(filled))) {
                result = kExitNoFile;
                filled = 0;
                break;
            }
            filled = 0;
        }
        uint8_t *buffer = block.data() + filled;
        ArmReadGuard(buffer, bufferSize);
        const uint32_t n = plugin.Read(h, buffer, bufferSize, &d.marker);
        ++d.reads;
        const ReadVerdict verdict = CheckRead(buffer, bufferSize, n);
        if (verdict.kind == ReadVerdict::TooMany)
            report::Error("Read returned %lu bytes for a buffer of %lu", (unsigned long)n, (unsigned long)bufferSize);
        else if (verdict.kind == ReadVerdict::Overrun)
            report::Error("Read wrote past the %lu bytes it was given (byte %lu)", (unsigned long)bufferSize,
                          (unsigned long)verdict.at);
        if (verdict.kind != ReadVerdict::Ok) {
            result = kExitRefused;
            break;
        }
        if (n == 0)
            break;
        filled += n;
        d.bytes += n;
    }
    if (filled && result == kExitOk && !sink.Write(block.data(), static_cast<uint32_t>(filled)))
        result = kExitNoFile;
    if (run.o.verbose)
        Say("reads: %lu, marker: %ld\n", (unsigned long)d.reads, (long)d.marker);

    if (!plugin.Close(h)) {
        report::Error("%s's Close failed", p.Name().c_str());
        if (result == kExitOk)
            result = kExitRefused;
    }
    p.host().CloseStream(h);
    return result;
}

namespace {

int PlayOne(Run &run, const std::string &path, const OutputTarget &target)
{
    const std::string &output = target.path;
    const bool batch = run.outputs.Batch();
    const size_t faults = run.plugin().host().faultCount();
    OutputFile out;
    WavFileWriter wav;
    bool begun = false;
    FunctionSink sink(
        [&](uint32_t rate, uint16_t channels, uint16_t bits) {
            if (!batch)
                Say("format: %lu Hz, %u channel(s), %u-bit\n", (unsigned long)rate, (unsigned)channels,
                    (unsigned)bits);
            if (!out.Open(output, target.replace))
                return false;
            /* The header's sizes are put right at the end where the file
             * can be rewound and is not appended to (>>). */
            const bool canRewind = StatusOf(out.file()).kind == FileKind::Regular && !AppendsOnly(out.file());
            errno = 0;
            if (!wav.Begin(out.file(), run.outputs.Raw(), rate, channels, bits, canRewind)) {
                out.Failed(errno);
                return false;
            }
            begun = true;
            return true;
        },
        [&](const uint8_t *data, uint32_t bytes) {
            errno = 0;
            if (wav.Write(data, bytes))
                return true;
            if (wav.full())
                out.Failed(0, "the sound is longer than a WAV file holds (4 GiB)");
            else
                out.Failed(errno);
            return false;
        });
    Decoded d;
    int result = Decode(run, path, sink, d);
    if (!begun)
        return result;
    if (result == kExitOk && run.plugin().host().faultCount() != faults)
        result = kExitRefused;
    if (result == kExitOk) {
        errno = 0;
        if (!wav.Finish()) {
            out.Failed(errno);
            result = kExitNoFile;
        } else if (!out.Commit()) {
            result = kExitNoFile;
        }
    }
    if (result != kExitOk) {
        /* Nothing half-written stays behind. */
        out.Abandon();
        return result;
    }

    const std::string ms = DurationMs(d);
    if (batch) {
        Say("%s: %lu Hz, %u channel(s), %u-bit, %llu bytes, %s ms -> %s\n", DisplayPath(path).c_str(),
            (unsigned long)d.rate, (unsigned)d.channels, (unsigned)d.bits, (unsigned long long)d.bytes,
            ms.empty() ? "unknown" : ms.c_str(), DisplayPath(output).c_str());
        return result;
    }
    Say("bytes: %llu\n", (unsigned long long)d.bytes);
    if (!ms.empty())
        Say("time: %s ms\n", ms.c_str());
    else
        Say("time: unknown (the format has no bytes per second)\n");
    return result;
}

bool OffersDecoding(Run &run, const char *command)
{
    return run.Offers([](const AudioFilePlugin &d) { return (const void *)d.Open; }, command) &&
           run.Offers([](const AudioFilePlugin &d) { return (const void *)d.Read; }, command) &&
           run.Offers([](const AudioFilePlugin &d) { return (const void *)d.Close; }, command);
}

} // namespace

int PlayCommand(Run &run)
{
    if (!OffersDecoding(run, "play"))
        return kExitRefused;
    const int result = EachItem(run, [&](const std::string &item) {
        const OutputTarget target = run.outputs.ForPlay(item);
        if (target.step == OutputTarget::Skip)
            return static_cast<int>(kExitSkipped);
        if (target.step == OutputTarget::Refuse)
            return static_cast<int>(kExitNoFile);
        return PlayOne(run, item, target);
    });
    if (!run.outputs.Batch())
        return result;
    const size_t others = run.failed - std::min(run.failed, run.refused);
    Say("%llu converted, ", (unsigned long long)(run.done - run.failed - run.skipped));
    if (run.outputs.Keeps())
        Say("%llu skipped, ", (unsigned long long)run.skipped);
    Say("%llu refused", (unsigned long long)run.refused);
    if (others)
        Say(", %llu failed", (unsigned long long)others);
    Say("\n");
    return result;
}

int ProbeCommand(Run &run)
{
    if (!OffersDecoding(run, "probe"))
        return kExitRefused;
    return EachItem(run, [&](const std::string &path) {
        PluginSession &p = run.plugin();
        FunctionSink nowhere([](uint32_t, uint16_t, uint16_t) { return true; },
                             [](const uint8_t *, uint32_t) { return true; });
        Decoded d;
        const int result = Decode(run, path, nowhere, d);
        json_report::Object j = json_report::Blank("probe", path);
        j["plugin"] = p.Name();
        if (d.refused)
            j["refusal"] = {{"text", d.refusal}, {"code", d.code}};
        if (result != kExitOk) {
            if (json_report::On()) {
                if (!d.refused)
                    j["error"] = report::LastError();
                json_report::Add(j);
            }
            return result;
        }
        std::string length = "length: not offered";
        int32_t lengthMs = -1;
        if (p.d().GetLength) {
            ResourceItem *item = p.WholeItem(path);
            lengthMs = item ? p.d().GetLength(item) : -1;
            length = item ? p.LengthLine(lengthMs) : "length: unknown";
        }
        const std::string ms = DurationMs(d);
        if (json_report::On()) {
            j["sample_rate"] = d.rate;
            j["channels"] = d.channels;
            j["bits"] = d.bits;
            if (!ms.empty())
                j["decoded_ms"] = std::stoull(ms);
            j["decoded_bytes"] = d.bytes;
            if (lengthMs >= 0)
                j["length_ms"] = lengthMs;
            json_report::Add(j);
        }
        Say("%sformat: %lu Hz, %u channel(s), %u-bit; decoded: %s ms, %llu bytes; %s\n", run.Prefix(path).c_str(),
            (unsigned long)d.rate, (unsigned)d.channels, (unsigned)d.bits, ms.empty() ? "unknown" : ms.c_str(),
            (unsigned long long)d.bytes, length.c_str());
        return result;
    });
}
