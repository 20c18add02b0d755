/* scan: the plug-in's signatures searched for in a raw file (a disc image),
 * ScanFile called at each match, and the movies it finds listed and, with
 * --extract, written out.
 *
 * The search and the windows past 4 GiB are the player's
 * (player/scan_driver.h); a movie larger than 4 GiB is reported as such,
 * since nothing the plug-ins count could describe it. */
#include "host/run/commands.h"
#include "host/services/input_file.h"
#include "host/report/json_report.h"
#include "host/output/output_file.h"
#include "host/output/output_plan.h"
#include "host/report/report.h"
#include "host/system/run_stop.h"

#include "player/plugin_texts.h"
#include "player/scan_driver.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr auto Say = report::Line;

struct Movie {
    uint64_t start;
    uint32_t size;
    bool tooLarge; /* its chain of chunks runs on past 4 GiB */
};

/* Movie k of image, copied out whole; false after saying why. */
bool Extract(const std::string &image, const Movie &m, uint32_t size, const OutputTarget &target)
{
    std::FILE *in = OpenFile(image, "rb");
    if (!in) {
        report::Error("cannot read %s: %s", DisplayPath(image).c_str(), SystemErrorText(errno).c_str());
        return false;
    }
    OutputFile out;
    bool ok = out.Open(target.path, target.replace);
    std::vector<uint8_t> buffer(256 * 1024);
    for (uint32_t done = 0; ok && done < size;) {
        if (StopRequested() != StopReason::None) {
            ok = false;
            break;
        }
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(buffer.size(), size - done));
        if (ReadFileAt(in, m.start + done, buffer.data(), n) != n) {
            report::Error("cannot read %s at %llu: %s", DisplayPath(image).c_str(),
                          (unsigned long long)(m.start + done), SystemErrorText(errno ? errno : EIO).c_str());
            ok = false;
            break;
        }
        errno = 0;
        if (std::fwrite(buffer.data(), 1, n, out.file()) != n) {
            out.Failed(errno);
            ok = false;
        }
        done += n;
    }
    std::fclose(in);
    /* A movie cut short is no movie: nothing half-written stays behind. */
    if (!ok) {
        out.Abandon();
        return false;
    }
    return out.Commit();
}

} // namespace

int ScanCommand(Run &run)
{
    PluginSession &p = run.plugin();
    AudioFilePlugin &d = p.d();
    FileHost &host = p.host();
    if (!p.Offers((const void *)d.ScanFile, "scan"))
        return kExitRefused;
    const std::string &file = run.o.items[0];
    if (Signatures(d).empty()) {
        Say("%s has no file signature to search for\n", p.Name().c_str());
        return kExitRefused;
    }

    FileStatus status;
    if (CheckInput(file, ItemUse::Windowed, &status) != kExitOk)
        return kExitNoFile;
    std::string error;
    ContainerFile *cf = host.OpenContainer(file, "RAW", error);
    std::FILE *search = OpenFile(file, "rb");
    if (!cf || !search) {
        if (search)
            std::fclose(search);
        report::Error("%s", cf ? ("cannot read " + DisplayPath(file)).c_str() : error.c_str());
        return kExitNoFile;
    }
    const uint64_t fileSize = status.size;

    unsigned long chunks = 0;
    HWND statusWindow = run.desktop.OpenStatusWindow([&](unsigned message, WPARAM, LPARAM lParam) {
        if (message == kStatusText) {
            if (!lParam)
                host.Fault("a status text message without a text");
            else if (run.o.verbose)
                Say("status: %s\n", PluginText(reinterpret_cast<const char *>(lParam)).c_str());
        } else if (message == kStatusChunk) {
            ++chunks;
            if (reinterpret_cast<ContainerFile *>(lParam) != cf)
                host.Fault("a chunk status message with another ContainerFile");
        }
    });

    std::vector<Movie> movies;
    run.progress.Begin(0, 1, DisplayPath(file));
    ScanSetup setup;
    setup.statusWindow = statusWindow;
    setup.container = cf;
    setup.fileSize = fileSize;
    setup.readAt = [&](uint64_t offset, uint8_t *buffer, size_t n) -> size_t {
        if (StopRequested() != StopReason::None)
            return 0;
        run.progress.Reading(offset, fileSize);
        return ReadFileAt(search, offset, buffer, n);
    };
    setup.setWindow = [&](uint64_t base, uint32_t size) {
        host.SetWindow(cf, base, size);
        chunks = 0;
    };
    setup.stopped = [] { return StopRequested() != StopReason::None; };
    ScanImage(d, setup, [&](const ScanMatch &m) {
        if (run.o.verbose)
            Say("status: %lu chunk message(s)\n", chunks);
        ResourceInfo *info = m.info;
        if (!info) {
            if (run.o.verbose)
                Say("offset %llu: refused\n", (unsigned long long)m.base);
            return true;
        }
        p.CheckResourceInfo(info, "ScanFile");
        movies.push_back({m.base + info->startOffset, info->size, m.tooLarge});
        if (info->startOffset != 0 || static_cast<uint64_t>(info->startOffset) + info->size != m.end)
            host.Fault("ScanFile's start and size do not match the offsets it was given and returned");
        if (GlobalFree(info))
            host.Fault("ScanFile's ResourceInfo is not a block GlobalFree can release");
        if (m.end == 0)
            host.Fault("ScanFile returned an end offset that does not lie past the start");
        return true;
    });
    run.progress.End();
    run.desktop.CloseStatusWindow(statusWindow);
    std::fclose(search);
    if (StopRequested() != StopReason::None)
        return kExitInterrupted;

    Say("scan: %s, %llu bytes\n", DisplayPath(file).c_str(), (unsigned long long)fileSize);
    int result = kExitOk;
    for (size_t i = 0; i < movies.size() && StopRequested() == StopReason::None; ++i) {
        const Movie &m = movies[i];
        json_report::Object j = json_report::Blank("scan", file);
        j["plugin"] = p.Name();
        j["movie"] = i + 1;
        j["start"] = m.start;
        j["larger_than_4gib"] = m.tooLarge;
        const auto record = [&] {
            if (json_report::On())
                json_report::Add(j);
        };
        if (m.tooLarge) {
            record();
            Say("movie %lu: start %llu, larger than 4 GiB: more than the plug-ins can play or measure, "
                "not extracted\n",
                (unsigned long)i + 1, (unsigned long long)m.start);
            result = kExitRefused;
            continue;
        }
        std::string length = "length: not offered";
        j["size"] = m.size;
        if (d.GetLength) {
            ResourceItem *item = p.NewItem(file, m.start, m.size, "RAW", BaseName(file));
            const int32_t ms = item ? d.GetLength(item) : -1;
            length = item ? p.LengthLine(ms) : "length: unknown";
            if (ms >= 0)
                j["length_ms"] = ms;
        }
        Say("movie %lu: start %llu, size %lu, %s\n", (unsigned long)i + 1, (unsigned long long)m.start,
            (unsigned long)m.size, length.c_str());
        if (!run.outputs.Extracts()) {
            record();
            continue;
        }
        /* A movie whose last chunk was cut off may reach past the file's end:
         * what the file holds of it is written. */
        const uint64_t available = fileSize > m.start ? fileSize - m.start : 0;
        const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(m.size, available));
        if (size < m.size)
            Say("note: movie %lu reaches %lu bytes past the end of the file\n", (unsigned long)i + 1,
                (unsigned long)(m.size - size));
        const OutputTarget target = run.outputs.ForExtract(file, i + 1);
        if (target.step == OutputTarget::Skip) {
            /* -n: the earlier extract stays. */
        } else if (target.step == OutputTarget::Write && Extract(file, m, size, target)) {
            Say("extracted: %s\n", DisplayPath(target.path).c_str());
            j["extracted"] = target.path;
        } else if (StopRequested() == StopReason::None) {
            result = kExitNoFile;
            j["error"] = report::LastError();
        }
        record();
        p.AfterItem();
    }
    Say("movies: %lu\n", (unsigned long)movies.size());
    return StopRequested() != StopReason::None ? kExitInterrupted : result;
}
