#include "host/system/file_system.h"

#include "host/system/utf16.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

namespace {

/* errno for the last Win32 error, for callers that speak errno. */
int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    default:
        return EIO;
    }
}

/* The Win32 error behind the last failure, kept for SystemErrorText. */
DWORD g_lastWin32 = 0;
void SetErrnoFromLastError()
{
    g_lastWin32 = GetLastError();
    errno = ErrnoOf(g_lastWin32);
}

FileStatus FromHandle(HANDLE h)
{
    FileStatus s;
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD type = GetFileType(h);
    if (type != FILE_TYPE_DISK) {
        s.kind = FileKind::Special;
        return s;
    }
    if (!GetFileInformationByHandle(h, &info)) {
        SetErrnoFromLastError();
        s.error = errno;
        return s;
    }
    s.kind = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::Folder : FileKind::Regular;
    s.size = s.kind == FileKind::Regular ? (static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow) : 0;
    s.id.device = info.dwVolumeSerialNumber;
    s.id.index = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    s.id.valid = true;
    return s;
}

} // namespace

FileStatus StatusOf(const std::string &path)
{
    /* Opening asks for no access at all: nothing is read, a pipe or a
     * device is not disturbed, and folders open with the backup flag. */
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        SetErrnoFromLastError();
        FileStatus s;
        s.error = errno;
        return s;
    }
    FileStatus s = FromHandle(h);
    CloseHandle(h);
    return s;
}

FileStatus StatusOf(std::FILE *file)
{
    if (!file) {
        FileStatus s;
        s.error = EBADF;
        return s;
    }
    return FromHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))));
}

std::FILE *OpenFile(const std::string &path, const char *mode)
{
    if (std::strcmp(mode, "rb") == 0) {
        const FileStatus s = StatusOf(path);
        if (s.kind != FileKind::Regular) {
            errno = s.kind == FileKind::Missing ? (s.error ? s.error : ENOENT)
                                                : s.kind == FileKind::Folder ? EISDIR : EINVAL;
            return nullptr;
        }
    }
    return _wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

std::FILE *CreateUniqueFile(const std::string &base, std::string &created)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tail[64];
        std::snprintf(tail, sizeof tail, ".%lu-%lx%02x.part", GetCurrentProcessId(),
                      GetTickCount() ^ (++counter * 2654435761u), attempt);
        const std::string name = base + tail;
        HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            SetErrnoFromLastError();
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
        std::FILE *f = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (!f) {
            if (fd >= 0)
                _close(fd);
            else
                CloseHandle(h);
            DeleteFileW(Wide(name).c_str());
            errno = EIO;
            return nullptr;
        }
        created = name;
        return f;
    }
    errno = EEXIST;
    return nullptr;
}

bool RemoveFile(const std::string &path)
{
    if (DeleteFileW(Wide(path).c_str()))
        return true;
    SetErrnoFromLastError();
    return false;
}

bool RenameFile(const std::string &from, const std::string &to, bool replace)
{
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
        return true;
    SetErrnoFromLastError();
    return false;
}

bool MakeFolders(const std::string &path)
{
    if (path.empty())
        return true;
    const FileStatus s = StatusOf(path);
    if (s.kind == FileKind::Folder)
        return true;
    if (s.kind != FileKind::Missing) {
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = FolderOf(path);
    if (!parent.empty() && parent != path && !MakeFolders(parent))
        return false;
    if (CreateDirectoryW(Wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    SetErrnoFromLastError();
    return false;
}

bool ListFolder(const std::string &path, std::vector<std::string> &names)
{
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(Wide(JoinPath(path.empty() ? "." : path, "*")).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        SetErrnoFromLastError();
        return false;
    }
    do {
        if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0)
            names.push_back(Narrow(found.cFileName, CP_UTF8));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return true;
}

std::string FollowLinks(const std::string &path) { return path; }

std::string SystemErrorText(int error)
{
    /* FormatMessage's words where the failure came from a Win32 call whose
     * code maps onto this errno; the C library's otherwise. */
    if (g_lastWin32 && ErrnoOf(g_lastWin32) == error) {
        wchar_t *text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, g_lastWin32, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
        if (n && text) {
            std::string s = Narrow(text, CP_UTF8);
            LocalFree(text);
            while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
                s.pop_back();
            if (!s.empty())
                return s;
        }
    }
    return std::strerror(error);
}

bool AppendsOnly(std::FILE *file)
{
    /* A handle opened for appending has FILE_APPEND_DATA without
     * FILE_WRITE_DATA among its rights: the kernel's record of it is the
     * only place that says so. */
    typedef LONG(WINAPI * QueryFn)(HANDLE, void *, void *, ULONG, int);
    static const QueryFn query =
        reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile"));
    if (!query)
        return false;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    struct {
        ULONG_PTR status;
        ULONG_PTR information;
    } io = {};
    ULONG access = 0;
    const int kFileAccessInformation = 8;
    if (query(h, &io, &access, sizeof access, kFileAccessInformation) != 0)
        return false;
    const ULONG kWriteData = 0x0002, kAppendData = 0x0004;
    return (access & kAppendData) && !(access & kWriteData);
}

std::string PluginText8(const std::string &utf8) { return Narrow(Wide(utf8).c_str(), CP_ACP); }

std::string PluginPath8(const std::string &utf8)
{
    const std::wstring w = Wide(utf8);
    bool lossless = false;
    std::string ansi = Narrow(w.c_str(), CP_ACP, &lossless);
    if (lossless)
        return ansi;
    wchar_t shortName[MAX_PATH * 2];
    const DWORD n = GetShortPathNameW(w.c_str(), shortName, MAX_PATH * 2);
    if (n && n < MAX_PATH * 2) {
        std::string s = Narrow(shortName, CP_ACP, &lossless);
        if (lossless)
            return s;
    }
    return ansi;
}

size_t ReadFileAt(std::FILE *file, uint64_t offset, void *buffer, size_t n)
{
    if (_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) != 0)
        return 0;
    return std::fread(buffer, 1, n, file);
}

int64_t TellFile(std::FILE *file) { return _ftelli64(file); }

bool SeekFile(std::FILE *file, int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }
