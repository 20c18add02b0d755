#include "commands.h"

#include "file_host.h"
#include "signature_search.h"
#include "wav_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kGuardBytes = 64;
constexpr size_t kOutputBlock = 1 << 20; /* play collects this much before writing */
constexpr uint8_t kGuardFill = 0xA5;
constexpr unsigned kStatusText = WM_USER + 6;
constexpr unsigned kStatusChunk = WM_USER + 4;

/* A plug-in string, read with a bound so a broken pointer target cannot run
 * on without end. */
std::string Text(const char *s, size_t limit = 1024)
{
    if (!s)
        return "(null)";
    size_t n = 0;
    while (n < limit && s[n])
        ++n;
    return std::string(s, n);
}

std::string Printable(const uint8_t *bytes, uint32_t n)
{
    std::string out;
    char hex[8];
    for (uint32_t i = 0; i < n; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7F && bytes[i] != '\\' && bytes[i] != '"') {
            out += static_cast<char>(bytes[i]);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", bytes[i]);
            out += hex;
        }
    }
    return out;
}

bool Readable(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

bool EndsWithSuffix(const std::string &s)
{
    const size_t n = std::strlen(kPluginSuffix);
    if (s.size() < n)
        return false;
    std::string tail = s.substr(s.size() - n);
    for (char &c : tail)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return tail == kPluginSuffix;
}

/* Play length of an answer from GetLength, as printed. */
std::string LengthLine(int32_t ms)
{
    if (ms < 0)
        return "length: unknown (" + std::to_string(ms) + ")";
    return "length: " + std::to_string(ms) + " ms (" + ClockText(static_cast<uint32_t>(ms)) + ")";
}

class Session {
public:
    Session(const CliOptions &o, PluginLoader &loader, HostDesktop &desktop)
        : o_(o), loader_(loader), desktop_(desktop), host_(FileHost::Settings{o.readChunk, o.trace})
    {
    }

    int Run();

private:
    int Info();
    int Play();
    int Length();
    int Identify();
    int Dialog(const char *what);
    int InfoBox();
    int Scan();

    ResourceItem *NewItem(const std::string &path, uint64_t base, uint32_t size, const std::string &container);
    bool Offers(const void *slot, const char *command);
    std::string Name() const { return Text(d_->pluginName); }
    void CheckResourceInfo(const ResourceInfo *info, const char *who);

    const CliOptions &o_;
    PluginLoader &loader_;
    HostDesktop &desktop_;
    FileHost host_;
    AudioFilePlugin *d_ = nullptr;
    std::string pluginPath_;
    std::string ini_;
};

int Session::Run()
{
    const std::string folder = ProgramFolder();
    pluginPath_ = ResolvePluginPath(o_.plugin, folder);
    if (!Readable(pluginPath_)) {
        std::fprintf(stderr, "plughost: cannot find the plug-in %s (%s)\n", o_.plugin.c_str(),
                     pluginPath_.c_str());
        return kExitNoFile;
    }
    if (!o_.item.empty() && !Readable(o_.item)) {
        std::fprintf(stderr, "plughost: cannot read %s\n", o_.item.c_str());
        return kExitNoFile;
    }
    ini_ = o_.ini.empty() ? folder + "plughost.ini" : o_.ini;

    std::string error;
    if (!loader_.Load(pluginPath_, error)) {
        std::fprintf(stderr, "plughost: cannot load %s: %s\n", pluginPath_.c_str(), error.c_str());
        return kExitRefused;
    }
    auto get = reinterpret_cast<GetAudioFilePluginFn>(loader_.Symbol(PLUGIN_EXPORT_NAME));
    if (!get) {
        std::fprintf(stderr, "plughost: %s has no export %s\n", pluginPath_.c_str(), PLUGIN_EXPORT_NAME);
        loader_.Unload();
        return kExitRefused;
    }
    d_ = get();
    if (!d_) {
        std::fprintf(stderr, "plughost: %s returned no descriptor\n", PLUGIN_EXPORT_NAME);
        loader_.Unload();
        return kExitRefused;
    }
    if (get() != d_)
        host_.Fault(std::string(PLUGIN_EXPORT_NAME) + " returned a different descriptor the second time");

    /* The player fills its four fields, then calls Init. */
    d_->hInstance = loader_.Instance();
    d_->hHostWindow = desktop_.MainWindow();
    d_->iniFileName = ini_.c_str();
    d_->hostServices = host_.services();
    if (d_->Init)
        d_->Init();

    if (!o_.dialogSteps.empty())
        desktop_.StartDialogSteps(o_.dialogSteps);
    int result = kExitRefused;
    switch (o_.command) {
    case Command::Info: result = Info(); break;
    case Command::Play: result = Play(); break;
    case Command::Length: result = Length(); break;
    case Command::Identify: result = Identify(); break;
    case Command::About: result = Dialog("about"); break;
    case Command::Config: result = Dialog("config"); break;
    case Command::InfoBox: result = InfoBox(); break;
    case Command::Scan: result = Scan(); break;
    case Command::None: break;
    }
    if (!o_.dialogSteps.empty()) {
        std::string problem;
        if (!desktop_.FinishDialogSteps(problem)) {
            std::fprintf(stderr, "plughost: --dialog: %s\n", problem.c_str());
            if (result == kExitOk)
                result = kExitRefused;
        }
    }

    if (d_->Shutdown)
        d_->Shutdown();
    host_.CheckItems();
    if (host_.openStreams())
        host_.Fault(std::to_string(host_.openStreams()) + " stream(s) opened with HostOpen were never closed");
    loader_.Unload();
    if (result == kExitOk && !host_.faults().empty())
        result = kExitRefused;
    return result;
}

bool Session::Offers(const void *slot, const char *command)
{
    if (slot)
        return true;
    std::printf("%s does not offer %s\n", Name().c_str(), command);
    return false;
}

ResourceItem *Session::NewItem(const std::string &path, uint64_t base, uint32_t size,
                               const std::string &container)
{
    std::string error;
    ResourceItem *item = host_.AddItem(path, base, size, container, o_.command == Command::Scan ? BaseName(path) : ItemName(o_),
                                       ItemDataString(o_), o_.cachedLength, error);
    if (!item)
        std::fprintf(stderr, "plughost: %s\n", error.c_str());
    return item;
}

int Session::Info()
{
    std::printf("plug-in: %s\n", pluginPath_.c_str());
    std::printf("name: %s\n", Name().c_str());
    std::printf("version: %s\n", Text(d_->versionText).c_str());
    const std::string description = Text(d_->fileFilter);
    const std::string pattern = d_->fileFilter ? Text(d_->fileFilter + description.size() + 1) : "(null)";
    std::printf("filter: %s\n", description.c_str());
    std::printf("filter pattern: %s\n", pattern.c_str());
    if (d_->fileFilter && d_->fileFilter[description.size() + 1 + pattern.size() + 1] != '\0')
        host_.Fault("the file filter does not end with two NULs");
    std::printf("format name: %s\n", Text(d_->formatName).c_str());
    std::printf("interface version: 0x%X\n", (unsigned)d_->interfaceVersion);
    std::printf("plug-in type: %u\n", (unsigned)d_->pluginType);
    std::printf("signatures: %u\n", (unsigned)d_->signatureCount);
    for (uint32_t i = 0; i < d_->signatureCount && i < 64; ++i) {
        if (!d_->signatures) {
            host_.Fault("signatureCount is not 0 but signatures is NULL");
            break;
        }
        const FileSignature &s = d_->signatures[i];
        std::printf("signature %u: %u bytes:", (unsigned)i + 1, (unsigned)s.length);
        if (!s.bytes || s.length > 4096) {
            std::printf(" (unreadable)\n");
            host_.Fault("signature " + std::to_string(i + 1) + " has no bytes or an absurd length");
            continue;
        }
        for (uint32_t k = 0; k < s.length; ++k)
            std::printf(" %02X", s.bytes[k]);
        std::printf(" \"%s\"\n", Printable(s.bytes, s.length).c_str());
    }
    std::printf("entry points:\n");
    const struct {
        const char *name;
        const void *slot;
    } slots[] = {
        {"Config", (const void *)d_->Config},     {"About", (const void *)d_->About},
        {"Init", (const void *)d_->Init},         {"Shutdown", (const void *)d_->Shutdown},
        {"InfoBox", (const void *)d_->InfoBox},   {"Open", (const void *)d_->Open},
        {"Close", (const void *)d_->Close},       {"Read", (const void *)d_->Read},
        {"ScanFile", (const void *)d_->ScanFile}, {"Identify", (const void *)d_->Identify},
        {"GetLength", (const void *)d_->GetLength}, {"reserved", (const void *)d_->reservedEntry},
    };
    for (const auto &s : slots)
        std::printf("  %s: %s\n", s.name, s.slot ? "present" : "NULL");
    return kExitOk;
}

int Session::Play()
{
    if (!Offers((const void *)d_->Open, "play") || !Offers((const void *)d_->Read, "play") ||
        !Offers((const void *)d_->Close, "play"))
        return kExitRefused;
    ResourceItem *item = NewItem(o_.item, 0, UINT32_MAX, o_.container);
    if (!item)
        return kExitNoFile;
    StreamHandle *h = host_.OpenStream(item);
    if (!h) {
        std::fprintf(stderr, "plughost: cannot open a stream on %s\n", o_.item.c_str());
        return kExitNoFile;
    }

    uint32_t rate = 0;
    uint16_t channels = 0, bits = 0;
    SetLastError(0);
    if (!d_->Open(h, &rate, &channels, &bits)) {
        const DWORD code = GetLastError();
        std::string text;
        if (!desktop_.LoadModuleString(d_->hInstance, PLUGIN_STRING_ID(code), text))
            text = "(no text " + std::to_string(PLUGIN_STRING_ID(code)) + " in the plug-in's string table)";
        std::printf("%s refused %s: %s (error 0x%08lX)\n", Name().c_str(), o_.item.c_str(), text.c_str(),
                    (unsigned long)code);
        if (h->decoderState)
            host_.Fault("Open failed but left a decoder state in the handle");
        host_.CloseStream(h);
        return kExitRefused;
    }
    std::printf("format: %lu Hz, %u channel(s), %u-bit\n", (unsigned long)rate, (unsigned)channels,
                (unsigned)bits);

    WavFileWriter out;
    if (!out.Open(o_.output, o_.raw, rate, channels, bits)) {
        std::fprintf(stderr, "plughost: cannot write %s\n", o_.output.c_str());
        d_->Close(h);
        host_.CloseStream(h);
        return kExitNoFile;
    }

    int result = kExitOk;
    /* The reads land one after another in a large block that goes to the
     * file when it is full: the plug-in is still given buffers of exactly
     * bufferSize bytes, each followed by guard bytes, and the sound reaches
     * the file without another copy in a few large writes. */
    const size_t span = static_cast<size_t>(o_.bufferSize) + kGuardBytes;
    std::vector<uint8_t> block(std::max<size_t>(kOutputBlock, 2 * span));
    size_t filled = 0;
    uint32_t reads = 0;
    int32_t marker = 0;
    for (;;) {
        if (block.size() - filled < span) {
            if (!out.Write(block.data(), static_cast<uint32_t>(filled))) {
                std::fprintf(stderr, "plughost: cannot write %s (disk full, or more than a WAV file holds)\n",
                             o_.output.c_str());
                result = kExitNoFile;
                filled = 0;
                break;
            }
            filled = 0;
        }
        uint8_t *buffer = block.data() + filled;
        uint8_t *guard = buffer + o_.bufferSize;
        std::memset(guard, kGuardFill, kGuardBytes);
        const uint32_t n = d_->Read(h, buffer, o_.bufferSize, &marker);
        ++reads;
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
    }
    if (filled && !out.Write(block.data(), static_cast<uint32_t>(filled))) {
        std::fprintf(stderr, "plughost: cannot write %s (disk full, or more than a WAV file holds)\n",
                     o_.output.c_str());
        if (result == kExitOk)
            result = kExitNoFile;
    }
    if (o_.verbose)
        std::printf("reads: %lu, marker: %ld\n", (unsigned long)reads, (long)marker);

    if (!d_->Close(h)) {
        std::fprintf(stderr, "plughost: %s's Close failed\n", Name().c_str());
        if (result == kExitOk)
            result = kExitRefused;
    }
    host_.CloseStream(h);
    if (!out.Finish() && result == kExitOk) {
        std::fprintf(stderr, "plughost: cannot write %s\n", o_.output.c_str());
        result = kExitNoFile;
    }

    const uint64_t byteRate = static_cast<uint64_t>(rate) * WavBlockAlign(channels, bits);
    std::printf("bytes: %lu\n", (unsigned long)out.dataBytes());
    if (byteRate)
        std::printf("time: %llu ms\n",
                    (unsigned long long)((out.dataBytes() * 1000ull + byteRate / 2) / byteRate));
    else
        std::printf("time: unknown (the format has no bytes per second)\n");
    return result;
}

int Session::Length()
{
    if (!Offers((const void *)d_->GetLength, "length"))
        return kExitRefused;
    ResourceItem *item = NewItem(o_.item, 0, UINT32_MAX, o_.container);
    if (!item)
        return kExitNoFile;
    std::printf("%s\n", LengthLine(d_->GetLength(item)).c_str());
    return kExitOk;
}

void Session::CheckResourceInfo(const ResourceInfo *info, const char *who)
{
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(info);
    for (uint32_t i = 0; i < RESOURCE_INFO_SIZE; ++i) {
        if (i >= 0x430 && i < 0x438)
            continue;
        if (bytes[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "%s's ResourceInfo has byte 0x%02X at offset 0x%03lX", who,
                          bytes[i], (unsigned long)i);
            host_.Fault(text);
            return;
        }
    }
}

int Session::Identify()
{
    if (!Offers((const void *)d_->Identify, "identify"))
        return kExitRefused;
    ResourceItem *item = NewItem(o_.item, 0, UINT32_MAX, o_.container);
    if (!item)
        return kExitNoFile;
    StreamHandle *h = host_.OpenStream(item);
    if (!h) {
        std::fprintf(stderr, "plughost: cannot open a stream on %s\n", o_.item.c_str());
        return kExitNoFile;
    }
    ResourceInfo *info = d_->Identify(h, 0, item->dataString);
    int result = kExitOk;
    if (info) {
        std::printf("start: %lu\nsize: %lu\n", (unsigned long)info->startOffset, (unsigned long)info->size);
        CheckResourceInfo(info, "Identify");
        if (GlobalFree(info)) /* the host owns it from now on */
            host_.Fault("Identify's ResourceInfo is not a block GlobalFree can release");
    } else {
        std::printf("%s does not recognise %s\n", Name().c_str(), o_.item.c_str());
        result = kExitRefused;
    }
    if (h->decoderState)
        host_.Fault("Identify left a decoder state in the handle");
    host_.CloseStream(h);
    return result;
}

int Session::Dialog(const char *what)
{
    const bool about = std::strcmp(what, "about") == 0;
    const void *slot = about ? (const void *)d_->About : (const void *)d_->Config;
    if (!Offers(slot, what))
        return kExitRefused;
    const INT_PTR r = about ? d_->About(d_->hHostWindow) : d_->Config(d_->hHostWindow);
    std::printf("%s: result %ld\n", what, (long)r);
    if (r == -1) {
        std::fprintf(stderr, "plughost: the %s dialog could not be created\n", what);
        return kExitRefused;
    }
    return kExitOk;
}

int Session::InfoBox()
{
    if (!Offers((const void *)d_->InfoBox, "infobox"))
        return kExitRefused;
    ResourceItem *item = NewItem(o_.item, 0, UINT32_MAX, o_.container);
    if (!item)
        return kExitNoFile;
    d_->InfoBox(item, d_->hHostWindow);
    std::printf("infobox: closed\n");
    return kExitOk;
}

int Session::Scan()
{
    if (!Offers((const void *)d_->ScanFile, "scan"))
        return kExitRefused;
    std::vector<Signature> signatures;
    for (uint32_t i = 0; d_->signatures && i < d_->signatureCount && i < 64; ++i) {
        const FileSignature &s = d_->signatures[i];
        if (s.bytes && s.length && s.length <= 4096)
            signatures.emplace_back(s.bytes, s.bytes + s.length);
    }
    if (signatures.empty()) {
        std::printf("%s has no file signature to search for\n", Name().c_str());
        return kExitRefused;
    }

    std::string error;
    ContainerFile *cf = host_.OpenContainer(o_.item, "RAW", error);
    std::FILE *search = std::fopen(o_.item.c_str(), "rb");
    if (!cf || !search) {
        if (search)
            std::fclose(search);
        std::fprintf(stderr, "plughost: cannot read %s\n", o_.item.c_str());
        return kExitNoFile;
    }
    const int64_t fileSize = FileLength(search);

    unsigned long chunks = 0;
    HWND status = desktop_.OpenStatusWindow([&](unsigned message, WPARAM, LPARAM lParam) {
        if (message == kStatusText) {
            if (!lParam)
                host_.Fault("a status text message without a text");
            else if (o_.verbose)
                std::printf("status: %s\n", Text(reinterpret_cast<const char *>(lParam)).c_str());
        } else if (message == kStatusChunk) {
            ++chunks;
            if (reinterpret_cast<ContainerFile *>(lParam) != cf)
                host_.Fault("a chunk status message with another ContainerFile");
        }
    });

    struct Movie {
        uint32_t start, size;
    };
    std::vector<Movie> movies;
    const ReadAtFn readAt = [&](uint64_t offset, uint8_t *buffer, size_t n) {
        return ReadFileAt(search, offset, buffer, n);
    };
    uint64_t from = 0;
    int64_t match;
    /* Offsets the plug-in is given are 32-bit: the search ends at 4 GiB. */
    while (from <= 0xFFFFFFFFull && (match = FindSignature(readAt, signatures, from)) >= 0 &&
           match <= 0xFFFFFFFFll) {
        const uint32_t at = static_cast<uint32_t>(match);
        uint32_t end = 0;
        chunks = 0;
        ResourceInfo *info = d_->ScanFile(status, cf, 0, at, &end);
        if (o_.verbose)
            std::printf("status: %lu chunk message(s)\n", chunks);
        if (!info) {
            if (o_.verbose)
                std::printf("offset %lu: refused\n", (unsigned long)at);
            from = static_cast<uint64_t>(at) + 1;
            continue;
        }
        CheckResourceInfo(info, "ScanFile");
        movies.push_back({info->startOffset, info->size});
        if (info->startOffset != at || static_cast<uint64_t>(info->startOffset) + info->size != end)
            host_.Fault("ScanFile's start and size do not match the offsets it was given and returned");
        if (GlobalFree(info))
            host_.Fault("ScanFile's ResourceInfo is not a block GlobalFree can release");
        if (end <= at) {
            host_.Fault("ScanFile returned an end offset that does not lie past the start");
            end = at;
        }
        from = end > at ? end : static_cast<uint64_t>(at) + 1;
    }
    desktop_.CloseStatusWindow(status);
    std::fclose(search);

    std::printf("scan: %s, %lld bytes\n", o_.item.c_str(), (long long)fileSize);
    int result = kExitOk;
    const std::string stem = [&] {
        std::string b = BaseName(o_.item);
        const size_t dot = b.find_last_of('.');
        return dot == std::string::npos || dot == 0 ? b : b.substr(0, dot);
    }();
    for (size_t i = 0; i < movies.size(); ++i) {
        const Movie &m = movies[i];
        std::string length = "length: not offered";
        if (d_->GetLength) {
            ResourceItem *item = NewItem(o_.item, m.start, m.size, "RAW");
            length = item ? LengthLine(d_->GetLength(item)) : "length: unknown";
        }
        std::printf("movie %lu: start %lu, size %lu, %s\n", (unsigned long)i + 1, (unsigned long)m.start,
                    (unsigned long)m.size, length.c_str());
        if (o_.extractDir.empty())
            continue;
        const std::string path = o_.extractDir + "/" + stem + "-" + std::to_string(i + 1) + ".mve";
        std::FILE *in = std::fopen(o_.item.c_str(), "rb");
        std::FILE *out = std::fopen(path.c_str(), "wb");
        bool ok = in && out;
        /* A movie whose last chunk was cut off may reach past the file's end:
         * what the file holds of it is written. */
        const uint64_t available = fileSize > m.start ? static_cast<uint64_t>(fileSize) - m.start : 0;
        const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(m.size, available));
        if (size < m.size)
            std::printf("note: movie %lu reaches %lu bytes past the end of the file\n", (unsigned long)i + 1,
                        (unsigned long)(m.size - size));
        std::vector<uint8_t> buffer(64 * 1024);
        for (uint32_t done = 0; ok && done < size;) {
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(buffer.size(), size - done));
            ok = ReadFileAt(in, static_cast<uint64_t>(m.start) + done, buffer.data(), n) == n &&
                 std::fwrite(buffer.data(), 1, n, out) == n;
            done += n;
        }
        if (in)
            std::fclose(in);
        if (out && std::fclose(out) != 0)
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "plughost: cannot write %s\n", path.c_str());
            result = kExitNoFile;
        } else {
            std::printf("extracted: %s\n", path.c_str());
        }
    }
    std::printf("movies: %lu\n", (unsigned long)movies.size());
    return result;
}

} // namespace

std::string ClockText(uint32_t ms)
{
    const unsigned long s = ms / 1000;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lu:%02lu:%02lu", s / 3600, (s / 60) % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lu:%02lu", s / 60, s % 60);
    return text;
}

std::string ResolvePluginPath(const std::string &plugin, const std::string &programFolder)
{
    if (plugin.find_first_of("/\\:") != std::string::npos)
        return plugin;
    if (EndsWithSuffix(plugin) && Readable(plugin))
        return plugin;
    return programFolder + plugin + (EndsWithSuffix(plugin) ? "" : kPluginSuffix);
}

int RunCommand(const CliOptions &options, PluginLoader &loader, HostDesktop &desktop)
{
    Session session(options, loader, desktop);
    return session.Run();
}
