/* play and probe: an item opened, read to its end and closed, the sound
 * going to a WAV file, standard output, or (probe) nowhere. */
#include "session.h"
#include "wav_writer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

namespace {

constexpr uint32_t kGuardBytes = 64;
constexpr size_t kOutputBlock = 1 << 20; /* play collects this much before writing */
constexpr uint8_t kGuardFill = 0xA5;

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

int Session::Decode(const std::string &path, SoundSink &sink, Decoded &d)
{
    StreamHandle *h = OpenItemStream(path);
    if (!h)
        return kExitNoFile;

    SetLastError(0);
    if (!d_->Open(h, &d.rate, &d.channels, &d.bits)) {
        const DWORD code = GetLastError();
        /* The plug-in's own words for the code, as the player shows them:
         * natively too, where the stand-in reads the module's string table. */
        char buffer[1024];
        const int n = LoadStringA(d_->hInstance, PLUGIN_STRING_ID(code), buffer, sizeof buffer);
        const std::string text = n > 0 ? std::string(buffer, static_cast<size_t>(n))
                                       : "(no text " + std::to_string(PLUGIN_STRING_ID(code)) +
                                             " in the plug-in's string table)";
        Say("%s refused %s: %s (error 0x%08lX)\n", Name().c_str(), path.c_str(), text.c_str(), (unsigned long)code);
        d.refused = true;
        ++refused_;
        if (h->decoderState)
            host_.Fault("Open failed but left a decoder state in the handle");
        host_.CloseStream(h);
        return kExitRefused;
    }
    if (!sink.Begin(d.rate, d.channels, d.bits)) {
        d_->Close(h);
        host_.CloseStream(h);
        return kExitNoFile;
    }

    int result = kExitOk;
    /* The reads land one after another in a large block that goes to the
     * sink when it is full: the plug-in is still given buffers of exactly
     * bufferSize bytes, each followed by guard bytes, and the sound reaches
     * the file without another copy in a few large writes. */
    const size_t span = static_cast<size_t>(o_.bufferSize) + kGuardBytes;
    std::vector<uint8_t> block(std::max<size_t>(kOutputBlock, 2 * span));
    size_t filled = 0;
    for (;;) {
        if (block.size() - filled < span) {
            if (!sink.Write(block.data(), static_cast<uint32_t>(filled))) {
                result = kExitNoFile;
                filled = 0;
                break;
            }
            filled = 0;
        }
        uint8_t *buffer = block.data() + filled;
        uint8_t *guard = buffer + o_.bufferSize;
        std::memset(guard, kGuardFill, kGuardBytes);
        const uint32_t n = d_->Read(h, buffer, o_.bufferSize, &d.marker);
        ++d.reads;
        if (n > o_.bufferSize) {
            std::fprintf(stderr, "plughost: Read returned %lu bytes for a buffer of %lu\n", (unsigned long)n,
                         (unsigned long)o_.bufferSize);
            result = kExitRefused;
            break;
        }
        for (uint32_t i = 0; i < kGuardBytes; ++i) {
            if (guard[i] != kGuardFill) {
                std::fprintf(stderr, "plughost: Read wrote past the %lu bytes it was given (byte %lu)\n",
                             (unsigned long)o_.bufferSize, (unsigned long)(o_.bufferSize + i));
                result = kExitRefused;
                break;
            }
        }
        if (result != kExitOk || n == 0)
            break;
        filled += n;
        d.bytes += n;
    }
    if (filled && !sink.Write(block.data(), static_cast<uint32_t>(filled)) && result == kExitOk)
        result = kExitNoFile;
    if (o_.verbose)
        Say("reads: %lu, marker: %ld\n", (unsigned long)d.reads, (long)d.marker);

    if (!d_->Close(h)) {
        std::fprintf(stderr, "plughost: %s's Close failed\n", Name().c_str());
        if (result == kExitOk)
            result = kExitRefused;
    }
    host_.CloseStream(h);
    return result;
}

int Session::PlayOne(const std::string &path, const std::string &output)
{
    const bool batch = !o_.outputDir.empty();
    const size_t faults = host_.faultCount();
    WavFileWriter out;
    bool begun = false;
    FunctionSink sink(
        [&](uint32_t rate, uint16_t channels, uint16_t bits) {
            if (!batch)
                Say("format: %lu Hz, %u channel(s), %u-bit\n", (unsigned long)rate, (unsigned)channels,
                    (unsigned)bits);
            if (!out.Open(output, o_.raw, rate, channels, bits)) {
                std::fprintf(stderr, "plughost: cannot write %s\n", output.c_str());
                out.Abandon();
                return false;
            }
            begun = true;
            return true;
        },
        [&](const uint8_t *data, uint32_t bytes) {
            if (out.Write(data, bytes))
                return true;
            std::fprintf(stderr, "plughost: cannot write %s (disk full, or more than a WAV file holds)\n",
                         output.c_str());
            return false;
        });
    Decoded d;
    int result = Decode(path, sink, d);
    if (!begun)
        return result;
    if (result == kExitOk && host_.faultCount() != faults)
        result = kExitRefused;
    if (result == kExitOk && !out.Finish()) {
        std::fprintf(stderr, "plughost: cannot write %s\n", output.c_str());
        result = kExitNoFile;
    }
    if (result != kExitOk) {
        /* Nothing half-written stays behind. */
        out.Abandon();
        return result;
    }

    const std::string ms = DurationMs(d);
    if (batch) {
        Say("%s: %lu Hz, %u channel(s), %u-bit, %llu bytes, %s ms -> %s\n", path.c_str(), (unsigned long)d.rate,
            (unsigned)d.channels, (unsigned)d.bits, (unsigned long long)d.bytes, ms.empty() ? "unknown" : ms.c_str(),
            output.c_str());
        return result;
    }
    Say("bytes: %llu\n", (unsigned long long)d.bytes);
    if (!ms.empty())
        Say("time: %s ms\n", ms.c_str());
    else
        Say("time: unknown (the format has no bytes per second)\n");
    return result;
}

int Session::Play()
{
    if (!Offers((const void *)d_->Open, "play") || !Offers((const void *)d_->Read, "play") ||
        !Offers((const void *)d_->Close, "play"))
        return kExitRefused;
    if (o_.outputDir.empty())
        return EachItem([&](const std::string &item) { return PlayOne(item, o_.output); });

    std::set<std::string> taken; /* outputs of this run's earlier items */
    const int result = EachItem([&](const std::string &item) {
        const std::string output = o_.outputDir + "/" + Stem(item) + (o_.raw ? ".pcm" : ".wav");
        if (!taken.insert(output).second) {
            std::fprintf(stderr, "plughost: %s: %s is the output of an earlier item of this run\n",
                         item.c_str(), output.c_str());
            return static_cast<int>(kExitNoFile);
        }
        std::error_code ec;
        if (!o_.overwrite && std::filesystem::exists(output, ec)) {
            std::fprintf(stderr, "plughost: %s: %s exists (-y replaces it)\n", item.c_str(), output.c_str());
            return static_cast<int>(kExitNoFile);
        }
        return PlayOne(item, output);
    });
    const size_t others = failed_ - std::min(failed_, refused_);
    Say("%llu converted, %llu refused", (unsigned long long)(o_.items.size() - failed_),
        (unsigned long long)refused_);
    if (others)
        Say(", %llu failed", (unsigned long long)others);
    Say("\n");
    return result;
}

int Session::Probe(const std::string &path)
{
    FunctionSink nowhere([](uint32_t, uint16_t, uint16_t) { return true; },
                         [](const uint8_t *, uint32_t) { return true; });
    Decoded d;
    const int result = Decode(path, nowhere, d);
    if (result != kExitOk)
        return result;
    std::string length = "length: not offered";
    if (d_->GetLength) {
        ResourceItem *item = NewItem(path, 0, UINT32_MAX, o_.container, ItemName(o_, path));
        length = item ? LengthLine(d_->GetLength(item)) : "length: unknown";
    }
    const std::string ms = DurationMs(d);
    Say("%sformat: %lu Hz, %u channel(s), %u-bit; decoded: %s ms, %llu bytes; %s\n", Prefix(path).c_str(),
        (unsigned long)d.rate, (unsigned)d.channels, (unsigned)d.bits, ms.empty() ? "unknown" : ms.c_str(),
        (unsigned long long)d.bytes, length.c_str());
    return result;
}
