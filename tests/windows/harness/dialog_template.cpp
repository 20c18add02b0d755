#include "dialog_template.h"

namespace {
/* A bounds-checked cursor over the template's WORD stream. */
class Reader {
public:
    Reader(const void *data, size_t size) : base_(static_cast<const BYTE *>(data)), size_(size) {}
    bool ok() const { return ok_; }

    WORD Word()
    {
        if (pos_ + 2 > size_) {
            ok_ = false;
            return 0;
        }
        const WORD w = static_cast<WORD>(base_[pos_] | base_[pos_ + 1] << 8);
        pos_ += 2;
        return w;
    }
    DWORD Dword()
    {
        const DWORD lo = Word();
        return lo | static_cast<DWORD>(Word()) << 16;
    }
    BYTE Byte()
    {
        if (pos_ + 1 > size_) {
            ok_ = false;
            return 0;
        }
        return base_[pos_++];
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~static_cast<size_t>(3); }

    /* A NUL-terminated UTF-16 string. */
    std::string String()
    {
        std::wstring w;
        for (WORD c = Word(); ok_ && c; c = Word())
            w.push_back(static_cast<WCHAR>(c));
        return Narrow(w.c_str(), w.size());
    }
    /* sz_Or_Ord: 0 = none, 0xFFFF then an ordinal, else a string. */
    std::string StringOrOrdinal()
    {
        const WORD first = Peek();
        if (first == 0) {
            Word();
            return std::string();
        }
        if (first == 0xFFFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        return String();
    }

private:
    WORD Peek()
    {
        const size_t at = pos_;
        const WORD w = Word();
        pos_ = at;
        return w;
    }
    const BYTE *base_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

std::string PredefinedClass(const std::string &name)
{
    static const char *const kNames[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    if (name.size() > 1 && name[0] == '#') {
        const unsigned ord = static_cast<unsigned>(std::stoul(name.substr(1)));
        if (ord >= 0x80 && ord <= 0x85)
            return kNames[ord - 0x80];
    }
    /* Spelled out, the predefined classes match regardless of letter case. */
    for (const char *known : kNames)
        if (lstrcmpiA(name.c_str(), known) == 0)
            return known;
    return name;
}
} // namespace

std::string Narrow(const WCHAR *text, size_t length)
{
    if (!length)
        return std::string();
    std::string out(length * 2, '\0');
    const int n = WideCharToMultiByte(1252, 0, text, static_cast<int>(length), &out[0],
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

const DialogItemTemplate *DialogTemplate::Find(int id, const std::string &text) const
{
    for (const DialogItemTemplate &item : items)
        if (item.id == id && item.text == text)
            return &item;
    return nullptr;
}

bool ParseDialogTemplate(const void *data, size_t size, DialogTemplate &out)
{
    out = DialogTemplate();
    Reader r(data, size);
    const WORD first = r.Word();
    const WORD second = r.Word();
    out.extended = first == 1 && second == 0xFFFF;
    WORD count;
    if (out.extended) {
        r.Dword(); /* help ID */
        out.exStyle = r.Dword();
        out.style = r.Dword();
    } else {
        out.style = first | static_cast<DWORD>(second) << 16;
        out.exStyle = r.Dword();
    }
    count = r.Word();
    out.x = static_cast<short>(r.Word());
    out.y = static_cast<short>(r.Word());
    out.cx = static_cast<short>(r.Word());
    out.cy = static_cast<short>(r.Word());
    out.menu = r.StringOrOrdinal();
    out.className = r.StringOrOrdinal();
    out.caption = r.String();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.hasFont = true;
        out.pointSize = r.Word();
        if (out.extended) {
            r.Word(); /* weight */
            r.Byte(); /* italic */
            r.Byte(); /* charset */
        }
        out.typeface = r.String();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.AlignDword();
        DialogItemTemplate item;
        if (out.extended) {
            r.Dword(); /* help ID */
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = static_cast<short>(r.Word());
        item.y = static_cast<short>(r.Word());
        item.cx = static_cast<short>(r.Word());
        item.cy = static_cast<short>(r.Word());
        item.id = out.extended ? static_cast<int>(r.Dword()) : static_cast<short>(r.Word());
        item.className = PredefinedClass(r.StringOrOrdinal());
        item.text = r.StringOrOrdinal();
        const WORD extra = r.Word();
        for (WORD k = 0; k < extra; ++k)
            r.Byte();
        out.items.push_back(item);
    }
    return r.ok() && out.items.size() == count;
}

bool LoadDialogTemplate(HMODULE module, const char *name, DialogTemplate &out)
{
    HRSRC res = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!res)
        return false;
    HGLOBAL loaded = LoadResource(module, res);
    const void *data = loaded ? LockResource(loaded) : nullptr;
    return data && ParseDialogTemplate(data, SizeofResource(module, res), out);
}
