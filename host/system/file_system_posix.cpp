#include "host/system/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

FileStatus FromStat(const struct stat &st)
{
    FileStatus s;
    s.kind = S_ISREG(st.st_mode) ? FileKind::Regular : S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Special;
    s.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    s.id.device = static_cast<uint64_t>(st.st_dev);
    s.id.index = static_cast<uint64_t>(st.st_ino);
    s.id.valid = true;
    return s;
}

} // namespace

FileStatus StatusOf(const std::string &path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        FileStatus s;
        s.error = errno;
        return s;
    }
    return FromStat(st);
}

FileStatus StatusOf(std::FILE *file)
{
    struct stat st;
    if (!file || fstat(fileno(file), &st) != 0) {
        FileStatus s;
        s.error = file ? errno : EBADF;
        return s;
    }
    return FromStat(st);
}

std::FILE *OpenFile(const std::string &path, const char *mode)
{
    if (std::strcmp(mode, "rb") != 0)
        return std::fopen(path.c_str(), mode);
    /* O_NONBLOCK: opening a FIFO for reading would wait for a writer. */
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int why = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        errno = why;
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE *f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
}

std::FILE *CreateUniqueFile(const std::string &base, std::string &created)
{
    static unsigned counter = 0;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tail[64];
        std::snprintf(tail, sizeof tail, ".%ld-%x%02x.part", (long)getpid(),
                      static_cast<unsigned>(now) ^ (++counter * 2654435761u), attempt);
        const std::string name = base + tail;
        /* 0666 less the umask, as fopen would make it. */
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        std::FILE *f = fdopen(fd, "wb");
        if (!f) {
            const int why = errno;
            close(fd);
            unlink(name.c_str());
            errno = why;
            return nullptr;
        }
        created = name;
        return f;
    }
    errno = EEXIST;
    return nullptr;
}

bool RemoveFile(const std::string &path) { return unlink(path.c_str()) == 0; }

bool RenameFile(const std::string &from, const std::string &to, bool replace)
{
    if (replace)
        return rename(from.c_str(), to.c_str()) == 0;
    /* A hard link fails when the name is taken, so nobody's file that
     * appeared meanwhile is replaced. */
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    /* File systems without hard links: the name was free a moment ago. */
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return rename(from.c_str(), to.c_str()) == 0;
}

bool MakeFolders(const std::string &path)
{
    if (path.empty())
        return true;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = FolderOf(path);
    if (!parent.empty() && parent != path && !MakeFolders(parent))
        return false;
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

bool ListFolder(const std::string &path, std::vector<std::string> &names)
{
    DIR *d = opendir(path.empty() ? "." : path.c_str());
    if (!d)
        return false;
    while (const dirent *e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    closedir(d);
    return true;
}

std::string FollowLinks(const std::string &path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    /* A link to a name that does not exist yet: where it points. */
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return path;
    const std::string t(target, static_cast<size_t>(n));
    return t[0] == '/' ? t : JoinPath(FolderOf(path), t);
}

std::string SystemErrorText(int error) { return std::strerror(error); }

bool AppendsOnly(std::FILE *file)
{
    const int flags = fcntl(fileno(file), F_GETFL);
    return flags >= 0 && (flags & O_APPEND);
}

std::string PluginText8(const std::string &utf8) { return utf8; }
std::string PluginPath8(const std::string &utf8) { return utf8; }

size_t ReadFileAt(std::FILE *file, uint64_t offset, void *buffer, size_t n)
{
    /* pread: no seek and no stdio buffer in between (the file's stdio
     * position is never used for reading). */
    const int fd = fileno(file);
    size_t done = 0;
    while (done < n) {
        const ssize_t got = pread(fd, static_cast<char *>(buffer) + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

int64_t TellFile(std::FILE *file) { return ftello(file); }

bool SeekFile(std::FILE *file, int64_t offset) { return fseeko(file, offset, SEEK_SET) == 0; }
