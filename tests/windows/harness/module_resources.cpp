#include "module_resources.h"

#include "dialog_template.h"

bool ReadStringBlock(HMODULE module, unsigned id, WORD language, std::map<unsigned, std::string> &out)
{
    out.clear();
    const unsigned block = id / 16 + 1; /* sixteen strings per block, blocks count from 1 */
    HRSRC res = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_STRING),
                                MAKEINTRESOURCEA(block), language);
    if (!res)
        return false;
    HGLOBAL loaded = LoadResource(module, res);
    const WCHAR *p = loaded ? static_cast<const WCHAR *>(LockResource(loaded)) : nullptr;
    if (!p)
        return false;
    const WCHAR *end = p + SizeofResource(module, res) / sizeof(WCHAR);
    for (unsigned slot = 0; slot < 16 && p < end; ++slot) {
        const size_t length = *p++;
        if (length > static_cast<size_t>(end - p))
            return false;
        if (length)
            out[(block - 1) * 16 + slot] = Narrow(p, length);
        p += length;
    }
    return true;
}

std::string LoadModuleString(HMODULE module, unsigned id)
{
    char text[1024] = "";
    const int n = LoadStringA(module, id, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

bool VersionBlock::Value(const char *table, const char *key, std::string &out) const
{
    std::string path = std::string("\\StringFileInfo\\") + table + "\\" + key;
    void *value = nullptr;
    UINT length = 0;
    if (raw.empty() || !VerQueryValueA(raw.data(), path.c_str(), &value, &length) || !value)
        return false;
    out = static_cast<const char *>(value);
    return true;
}

bool ReadVersionBlock(const std::string &path, VersionBlock &out)
{
    out = VersionBlock();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (!size)
        return false;
    out.raw.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, out.raw.data()))
        return false;
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(out.raw.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    out.fixed = *static_cast<const VS_FIXEDFILEINFO *>(value);
    if (VerQueryValueA(out.raw.data(), "\\VarFileInfo\\Translation", &value, &length))
        for (UINT i = 0; i + 4 <= length; i += 4)
            out.translations.push_back(*reinterpret_cast<const DWORD *>(static_cast<const BYTE *>(value) + i));
    return true;
}
