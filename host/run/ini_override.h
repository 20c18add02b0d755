/* --set KEY=VALUE: settings for one run.  The plug-in is given a temporary
 * copy of the INI file with the keys written into its section; the user's
 * file stays as it was, whatever the plug-in's Shutdown writes, and the
 * copy is deleted when the run ends. */
#ifndef HOST_INI_OVERRIDE_H
#define HOST_INI_OVERRIDE_H

#include <string>
#include <utility>
#include <vector>

class IniOverride {
public:
    IniOverride() = default;
    ~IniOverride();
    IniOverride(const IniOverride &) = delete;
    IniOverride &operator=(const IniOverride &) = delete;

    /* Copies userIni (a missing file counts as empty) and writes each
     * setting into section of the copy; false with error set when that
     * cannot be done. */
    bool Make(const std::string &userIni, const std::string &section,
              const std::vector<std::pair<std::string, std::string>> &settings, std::string &error);

    const std::string &path() const { return path_; }

private:
    std::string path_;
    int slot_ = -1; /* removed from the stop handler too */
};

#endif
