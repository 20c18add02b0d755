/* scan: the plug-in's signatures searched for in a raw file (a disc image),
 * ScanFile called at each match, and the movies it finds listed and, with
 * --extract, written out. */
#include "session.h"
#include "signature_search.h"

#include <algorithm>
#include <vector>

int Session::Scan()
{
    if (!Offers((const void *)d_->ScanFile, "scan"))
        return kExitRefused;
    const std::string &file = o_.items[0];
    std::vector<Signature> signatures;
    for (uint32_t i = 0; d_->signatures && i < d_->signatureCount && i < 64; ++i) {
        const FileSignature &s = d_->signatures[i];
        if (s.bytes && s.length && s.length <= 4096)
            signatures.emplace_back(s.bytes, s.bytes + s.length);
    }
    if (signatures.empty()) {
        Say("%s has no file signature to search for\n", Name().c_str());
        return kExitRefused;
    }

    std::string error;
    ContainerFile *cf = host_.OpenContainer(file, "RAW", error);
    std::FILE *search = std::fopen(file.c_str(), "rb");
    if (!cf || !search) {
        if (search)
            std::fclose(search);
        std::fprintf(stderr, "plughost: cannot read %s\n", file.c_str());
        return kExitNoFile;
    }
    const int64_t fileSize = FileLength(search);

    unsigned long chunks = 0;
    HWND status = desktop_.OpenStatusWindow([&](unsigned message, WPARAM, LPARAM lParam) {
        if (message == kStatusText) {
            if (!lParam)
                host_.Fault("a status text message without a text");
            else if (o_.verbose)
                Say("status: %s\n", PluginText(reinterpret_cast<const char *>(lParam)).c_str());
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
    progress_.Begin(0, 1, file);
    const ReadAtFn readAt = [&](uint64_t offset, uint8_t *buffer, size_t n) {
        progress_.Reading(offset, static_cast<uint64_t>(std::max<int64_t>(fileSize, 0)));
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
            Say("status: %lu chunk message(s)\n", chunks);
        if (!info) {
            if (o_.verbose)
                Say("offset %lu: refused\n", (unsigned long)at);
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
    progress_.End();
    desktop_.CloseStatusWindow(status);
    std::fclose(search);

    Say("scan: %s, %lld bytes\n", file.c_str(), (long long)fileSize);
    int result = kExitOk;
    for (size_t i = 0; i < movies.size(); ++i) {
        const Movie &m = movies[i];
        std::string length = "length: not offered";
        if (d_->GetLength) {
            ResourceItem *item = NewItem(file, m.start, m.size, "RAW", BaseName(file));
            length = item ? LengthLine(d_->GetLength(item)) : "length: unknown";
        }
        Say("movie %lu: start %lu, size %lu, %s\n", (unsigned long)i + 1, (unsigned long)m.start,
            (unsigned long)m.size, length.c_str());
        if (o_.extractDir.empty())
            continue;
        const std::string path = o_.extractDir + "/" + Stem(file) + "-" + std::to_string(i + 1) + ".mve";
        /* A movie whose last chunk was cut off may reach past the file's end:
         * what the file holds of it is written. */
        const uint64_t available = fileSize > m.start ? static_cast<uint64_t>(fileSize) - m.start : 0;
        const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(m.size, available));
        if (size < m.size)
            Say("note: movie %lu reaches %lu bytes past the end of the file\n", (unsigned long)i + 1,
                (unsigned long)(m.size - size));
        if (Extract(path, m.start, size)) {
            Say("extracted: %s\n", path.c_str());
        } else {
            std::fprintf(stderr, "plughost: cannot write %s\n", path.c_str());
            result = kExitNoFile;
        }
    }
    Say("movies: %lu\n", (unsigned long)movies.size());
    return result;
}

bool Session::Extract(const std::string &path, uint64_t start, uint32_t size)
{
    std::FILE *in = std::fopen(o_.items[0].c_str(), "rb");
    std::FILE *out = std::fopen(path.c_str(), "wb");
    bool ok = in && out;
    std::vector<uint8_t> buffer(64 * 1024);
    for (uint32_t done = 0; ok && done < size;) {
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(buffer.size(), size - done));
        ok = ReadFileAt(in, start + done, buffer.data(), n) == n && std::fwrite(buffer.data(), 1, n, out) == n;
        done += n;
    }
    if (in)
        std::fclose(in);
    if (out && std::fclose(out) != 0)
        ok = false;
    /* A movie cut short is no movie: nothing half-written stays behind. */
    if (!ok && out)
        std::remove(path.c_str());
    return ok;
}
