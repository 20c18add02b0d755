#include "session.h"

#include <cstdarg>
#include <cstring>
#include <filesystem>

namespace {

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

/* play -d: the folder is made if it is missing, and must take a new file. */
bool PrepareOutputDir(const std::string &dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) {
        std::fprintf(stderr, "plughost: cannot make the output folder %s\n", dir.c_str());
        return false;
    }
    const std::string probe = dir + "/.plughost-write-test";
    std::FILE *f = std::fopen(probe.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "plughost: cannot write into the output folder %s\n", dir.c_str());
        return false;
    }
    std::fclose(f);
    std::remove(probe.c_str());
    return true;
}

} // namespace

std::string PluginText(const char *s, size_t limit)
{
    if (!s)
        return "(null)";
    size_t n = 0;
    while (n < limit && s[n])
        ++n;
    return std::string(s, n);
}

bool Readable(const std::string &path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return false; /* opens on some systems, but holds no bytes to read */
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f)
        std::fclose(f);
    return f != nullptr;
}

bool ItemReadable(const std::string &path)
{
    if (Readable(path))
        return true;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        std::fprintf(stderr, "plughost: %s is a folder: name the files in it (%s/*.mve, say)\n", path.c_str(),
                     path.c_str());
    else
        std::fprintf(stderr, "plughost: cannot read %s\n", path.c_str());
    return false;
}

Session::Session(const CliOptions &o, PluginLoader &loader, HostDesktop &desktop)
    : o_(o), loader_(loader), desktop_(desktop), host_(FileHost::Settings{o.readChunk, o.trace}),
      /* Trace lines go to standard error too: the two would tear each other. */
      progress_(!o.quiet && !o.trace && StderrIsTerminal(), stderr),
      report_(o.ToStdout() ? stderr : stdout)
{
    if (progress_.enabled())
        host_.SetObserver(&progress_);
}

void Session::Say(const char *format, ...)
{
    progress_.Erase();
    va_list args;
    va_start(args, format);
    std::vfprintf(report_, format, args);
    va_end(args);
}

std::string Session::Name() const { return PluginText(d_->pluginName); }

std::string Session::Prefix(const std::string &item) const
{
    return o_.items.size() > 1 ? item + ": " : std::string();
}

int Session::Load()
{
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
    /* --set: the plug-in's section is named after it, so the copy can only
     * be made now. */
    if (!o_.settings.empty() && !iniCopy_.Make(ini_, Name(), o_.settings, error)) {
        std::fprintf(stderr, "plughost: %s\n", error.c_str());
        loader_.Unload();
        return kExitNoFile;
    }

    /* The player fills its four fields, then calls Init. */
    d_->hInstance = loader_.Instance();
    d_->hHostWindow = desktop_.MainWindow();
    d_->iniFileName = o_.settings.empty() ? ini_.c_str() : iniCopy_.path().c_str();
    d_->hostServices = host_.services();
    if (d_->Init)
        d_->Init();
    return kExitOk;
}

int Session::Run()
{
    const std::string folder = ProgramFolder();
    pluginPath_ = ResolvePluginPath(o_.plugin, folder);
    if (!Readable(pluginPath_)) {
        std::fprintf(stderr, "plughost: cannot find the plug-in %s (%s)\n", o_.plugin.c_str(),
                     pluginPath_.c_str());
        return kExitNoFile;
    }
    /* One item is checked before the plug-in is loaded; in a batch each
     * missing item fails alone. */
    if (o_.items.size() == 1 && !ItemReadable(o_.items[0]))
        return kExitNoFile;
    if (!o_.outputDir.empty() && !PrepareOutputDir(o_.outputDir))
        return kExitNoFile;
    ini_ = o_.ini.empty() ? folder + "plughost.ini" : o_.ini;
    const int loaded = Load();
    if (loaded != kExitOk)
        return loaded;

    if (!o_.dialogSteps.empty())
        desktop_.StartDialogSteps(o_.dialogSteps);
    int result = kExitRefused;
    const auto each = [&](const void *slot, const char *command, int (Session::*one)(const std::string &)) {
        return Offers(slot, command) ? EachItem([&](const std::string &item) { return (this->*one)(item); })
                                     : static_cast<int>(kExitRefused);
    };
    switch (o_.command) {
    case Command::Info: result = Info(); break;
    case Command::Play: result = Play(); break;
    case Command::Probe:
        result = Offers((const void *)d_->Open, "probe") && Offers((const void *)d_->Read, "probe") &&
                         Offers((const void *)d_->Close, "probe")
                     ? EachItem([&](const std::string &item) { return Probe(item); })
                     : kExitRefused;
        break;
    case Command::Length: result = each((const void *)d_->GetLength, "length", &Session::Length); break;
    case Command::Identify: result = each((const void *)d_->Identify, "identify", &Session::Identify); break;
    case Command::About: result = Dialog("about"); break;
    case Command::Config: result = Dialog("config"); break;
    case Command::InfoBox: result = each((const void *)d_->InfoBox, "infobox", &Session::InfoBox); break;
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
    if (lengthNoted_) {
        /* The player shows no length and says nothing; a person at the
         * command line wants to know why and what to do about it. */
        if (d_->Config)
            std::fprintf(stderr,
                         "plughost: %s gave no length; its settings may forbid measuring: change them "
                         "with 'plughost %s config', or for one run with --set KEY=VALUE (they are kept "
                         "in section [%s] of %s)\n",
                         Name().c_str(), o_.plugin.c_str(), Name().c_str(), ini_.c_str());
        else
            std::fprintf(stderr, "plughost: %s gave no length\n", Name().c_str());
    }

    if (d_->Shutdown)
        d_->Shutdown();
    host_.CheckItems();
    if (host_.openStreams() > reportedOpen_)
        host_.Fault(std::to_string(host_.openStreams() - reportedOpen_) +
                    " stream(s) opened with HostOpen were never closed");
    loader_.Unload();
    if (result == kExitOk && !host_.faults().empty())
        result = kExitRefused;
    return result;
}

int Session::EachItem(const std::function<int(const std::string &item)> &one)
{
    const size_t n = o_.items.size();
    int last = kExitOk;
    failed_ = 0;
    for (size_t i = 0; i < n; ++i) {
        const std::string &item = o_.items[i];
        const size_t faults = host_.faultCount();
        int r;
        if (!ItemReadable(item)) {
            r = kExitNoFile;
        } else {
            progress_.Begin(i, n, item);
            r = one(item);
            progress_.End();
        }
        /* Checks of what the plug-in did with this item's records. */
        host_.CheckItems();
        if (host_.openStreams() > reportedOpen_) {
            host_.Fault(std::to_string(host_.openStreams() - reportedOpen_) +
                        " stream(s) opened with HostOpen were never closed");
            reportedOpen_ = host_.openStreams();
        }
        host_.ReleaseItems();
        if (r == kExitOk && host_.faultCount() != faults)
            r = kExitRefused;
        if (r != kExitOk) {
            ++failed_;
            last = r;
        }
    }
    return n == 1 ? last : failed_ ? static_cast<int>(kExitRefused) : static_cast<int>(kExitOk);
}

bool Session::Offers(const void *slot, const char *command)
{
    if (slot)
        return true;
    Say("%s does not offer %s\n", Name().c_str(), command);
    return false;
}

ResourceItem *Session::NewItem(const std::string &path, uint64_t base, uint32_t size,
                               const std::string &container, const std::string &name)
{
    std::string error;
    ResourceItem *item =
        host_.AddItem(path, base, size, container, name, ItemDataString(o_, path), o_.cachedLength, error);
    if (!item)
        std::fprintf(stderr, "plughost: %s\n", error.c_str());
    return item;
}

StreamHandle *Session::OpenItemStream(const std::string &path)
{
    ResourceItem *item = NewItem(path, 0, UINT32_MAX, o_.container, ItemName(o_, path));
    if (!item)
        return nullptr;
    StreamHandle *h = host_.OpenStream(item);
    if (!h)
        std::fprintf(stderr, "plughost: cannot open a stream on %s\n", path.c_str());
    return h;
}

std::string Session::LengthLine(int32_t ms)
{
    if (ms < 0) {
        lengthNoted_ = lengthNoted_ || ms == -1;
        return "length: unknown (" + std::to_string(ms) + ")";
    }
    return "length: " + std::to_string(ms) + " ms (" + ClockText(static_cast<uint32_t>(ms)) + ")";
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
