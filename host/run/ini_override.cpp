#include "host/run/ini_override.h"

#include "common/winapi.h"
#include "host/system/file_system.h"
#include "host/system/platform.h"
#include "host/system/run_stop.h"

#include <cstdio>
#include <vector>

IniOverride::~IniOverride()
{
    if (!path_.empty())
        RemoveFile(path_);
    UntrackTemporary(slot_);
}

bool IniOverride::Make(const std::string &userIni, const std::string &section,
                       const std::vector<std::pair<std::string, std::string>> &settings, std::string &error)
{
    path_ = MakeTempFile(".ini", error);
    if (path_.empty())
        return false;
    slot_ = TrackTemporary(path_);
    std::FILE *out = OpenFile(path_, "wb");
    if (!out) {
        error = "cannot write the temporary INI file " + path_;
        return false;
    }
    bool ok = true;
    if (std::FILE *in = OpenFile(userIni, "rb")) {
        std::vector<char> buffer(64 * 1024);
        size_t n;
        while (ok && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
            ok = std::fwrite(buffer.data(), 1, n, out) == n;
        ok = ok && !std::ferror(in);
        std::fclose(in);
    }
    ok = std::fclose(out) == 0 && ok;
    for (const auto &kv : settings)
        ok = ok && WritePrivateProfileStringA(section.c_str(), kv.first.c_str(), kv.second.c_str(),
                                               PluginPath8(path_).c_str());
    if (!ok)
        error = "cannot write the temporary INI file " + path_;
    return ok;
}
