// rc_string_table RESOURCE_SCRIPT OUTPUT_CPP
//
// Writes the STRINGTABLE entries of a resource script as a C++ source that
// defines the module's ModuleStrings (common/native/string_table.h), so a
// native plug-in carries the very texts the resource compiler puts into its
// DLL.  The script stays the one place the texts are written.
//
// Strings are read as the mingw resource compiler (windres) reads them,
// since that is what builds the DLLs: "" is a quote, adjacent literals are
// joined, \a and \b give 8, \f \n \r \t \v \\ \" their usual bytes, \ooo takes
// at most three octal digits and \xhh at most two hex digits (the value kept
// to a byte), and any other backslash stays in the text with the character
// after it.  Bytes are kept as they are: the script is in the ANSI code page,
// the one LoadStringA converts back to.
//
// Everything outside STRINGTABLE blocks is skipped; inside one, an ID must be
// a number (what a preprocessor would have to work out is refused rather than
// guessed), and wide L"..." strings are refused too.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Token {
    enum Kind { kEnd, kWord, kString, kWideString, kPunct } kind = kEnd;
    std::string text; // a word, a punctuation character, or a literal's body as written
    int line = 0;
};

std::string g_script; // the script's name, for messages

[[noreturn]] void Fail(int line, const std::string &message)
{
    std::fprintf(stderr, "%s:%d: %s\n", g_script.c_str(), line, message.c_str());
    std::exit(1);
}

class Lexer {
public:
    explicit Lexer(std::string source) : s_(std::move(source)) {}

    Token Next()
    {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (p_ >= s_.size())
            return t;
        const char c = s_[p_];
        if (c == '"') {
            t.kind = Token::kString;
            t.text = Literal();
        } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_'))
                t.text += s_[p_++];
            t.kind = Token::kWord;
            if (t.text == "L" && p_ < s_.size() && s_[p_] == '"') {
                t.kind = Token::kWideString;
                t.text = Literal();
            }
        } else {
            t.kind = Token::kPunct;
            t.text = std::string(1, c);
            ++p_;
        }
        return t;
    }

private:
    // Whitespace, comments and preprocessor lines (#include and the like).
    void SkipBlanks()
    {
        while (p_ < s_.size()) {
            const char c = s_[p_];
            if (c == '\n') {
                ++line_;
                ++p_;
                lineStart_ = true;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++p_;
            } else if (c == '#' && lineStart_) {
                while (p_ < s_.size() && s_[p_] != '\n') {
                    if (s_[p_] == '\\' && p_ + 1 < s_.size() && s_[p_ + 1] == '\n')
                        ++line_, ++p_;
                    ++p_;
                }
            } else if (s_.compare(p_, 2, "//") == 0) {
                while (p_ < s_.size() && s_[p_] != '\n')
                    ++p_;
            } else if (s_.compare(p_, 2, "/*") == 0) {
                const size_t end = s_.find("*/", p_ + 2);
                if (end == std::string::npos)
                    Fail(line_, "comment without an end");
                for (; p_ < end + 2; ++p_)
                    line_ += s_[p_] == '\n';
            } else {
                lineStart_ = false;
                return;
            }
        }
    }

    // The body of the literal at p_ (on its opening quote), as written.
    std::string Literal()
    {
        std::string body;
        for (++p_;; ++p_) {
            if (p_ >= s_.size() || s_[p_] == '\n')
                Fail(line_, "string without its closing quote");
            const char c = s_[p_];
            if (c == '\\' && p_ + 1 < s_.size() && s_[p_ + 1] != '\n') {
                body += s_.substr(p_++, 2);
            } else if (c == '"' && p_ + 1 < s_.size() && s_[p_ + 1] == '"') {
                body += "\"\"";
                ++p_;
            } else if (c == '"') {
                ++p_;
                return body;
            } else {
                body += c;
            }
        }
    }

    std::string s_;
    size_t p_ = 0;
    int line_ = 1;
    bool lineStart_ = true;
};

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// A literal's bytes, its escapes worked out as windres does.
std::string Decode(const std::string &body)
{
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') { // the lexer only lets "" through
            out += '"';
            ++i;
            continue;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        const char e = body[++i];
        switch (e) {
        case 'a':
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'v': out += '\v'; break;
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'x':
        case 'X': {
            unsigned value = 0;
            for (int n = 0; n < 2 && i + 1 < body.size() && DigitValue(body[i + 1]) < 16; ++n)
                value = value * 16 + DigitValue(body[++i]);
            out += static_cast<char>(value);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = e - '0';
                for (int n = 1; n < 3 && i + 1 < body.size() && body[i + 1] >= '0' && body[i + 1] <= '7'; ++n)
                    value = value * 8 + (body[++i] - '0');
                out += static_cast<char>(value & 0xFF);
            } else {
                out += '\\';
                out += e;
            }
        }
    }
    return out;
}

// A string ID: decimal, 0x hex or 0 octal, optionally with an L or U suffix.
bool ParseId(const std::string &word, unsigned long &id)
{
    std::string digits = word;
    while (!digits.empty() && std::strchr("lLuU", digits.back()))
        digits.pop_back();
    if (digits.empty() || !std::isdigit(static_cast<unsigned char>(digits[0])))
        return false;
    int base = 10;
    size_t from = 0;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        base = 16, from = 2;
    else if (digits.size() > 1 && digits[0] == '0')
        base = 8, from = 1;
    id = 0;
    for (size_t i = from; i < digits.size(); ++i) {
        const int d = DigitValue(digits[i]);
        if (d >= base)
            return false;
        id = id * base + d;
        if (id > 0xFFFF)
            return false;
    }
    return true;
}

void ReadTable(Lexer &lex, int line, std::map<unsigned, std::string> &strings)
{
    // Memory flags, LANGUAGE, CHARACTERISTICS and VERSION may come first.
    for (Token t = lex.Next();; t = lex.Next()) {
        if (t.kind == Token::kEnd)
            Fail(line, "STRINGTABLE without BEGIN");
        if ((t.kind == Token::kWord && t.text == "BEGIN") || (t.kind == Token::kPunct && t.text == "{"))
            break;
        if (t.kind == Token::kString || t.kind == Token::kWideString)
            Fail(t.line, "string before the STRINGTABLE's BEGIN");
    }
    Token t = lex.Next();
    for (;;) {
        if (t.kind == Token::kEnd)
            Fail(line, "STRINGTABLE without END");
        if ((t.kind == Token::kWord && t.text == "END") || (t.kind == Token::kPunct && t.text == "}"))
            return;
        unsigned long id = 0;
        if (t.kind != Token::kWord || !ParseId(t.text, id))
            Fail(t.line, "string ID '" + t.text + "' is not a number from 0 to 65535");
        t = lex.Next();
        if (t.kind == Token::kPunct && t.text == ",")
            t = lex.Next();
        if (t.kind == Token::kWideString)
            Fail(t.line, "wide strings (L\"...\") are not supported");
        if (t.kind != Token::kString)
            Fail(t.line, "no string after ID " + std::to_string(id) + " (IDs must be plain numbers)");
        std::string text;
        for (; t.kind == Token::kString; t = lex.Next())
            text += Decode(t.text);
        if (t.kind == Token::kWideString)
            Fail(t.line, "wide strings (L\"...\") are not supported");
        if (text.size() > 0xFFFF)
            Fail(t.line, "string " + std::to_string(id) + " is longer than 65535 characters");
        if (!strings.emplace(static_cast<unsigned>(id), text).second)
            Fail(t.line, "string " + std::to_string(id) + " is defined twice");
    }
}

// A C++ literal holding exactly these bytes.
std::string CppLiteral(const std::string &bytes)
{
    std::string out = "\"";
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
            out += ch;
        } else {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c); // three digits: never runs into what follows
            out += octal;
        }
    }
    return out + "\"";
}

std::string BaseName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: rc_string_table RESOURCE_SCRIPT OUTPUT_CPP\n");
        return 2;
    }
    g_script = argv[1];
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "rc_string_table: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream source;
    source << in.rdbuf();

    std::map<unsigned, std::string> strings;
    Lexer lex(source.str());
    for (Token t = lex.Next(); t.kind != Token::kEnd; t = lex.Next())
        if (t.kind == Token::kWord && t.text == "STRINGTABLE")
            ReadTable(lex, t.line, strings);

    std::ostringstream out;
    out << "// Generated by rc_string_table from " << BaseName(argv[1])
        << ": the module's string table.\n// Edit the resource script, not this file.\n"
        << "#include \"common/native/string_table.h\"\n\n";
    // An empty string is no string, as in a compiled resource.
    for (auto it = strings.begin(); it != strings.end();)
        it = it->second.empty() ? strings.erase(it) : std::next(it);
    if (!strings.empty()) {
        out << "static const ModuleString kStrings[] = {\n";
        for (const auto &[id, text] : strings)
            out << "    {" << id << ", " << text.size() << ", " << CppLiteral(text) << "},\n";
        out << "};\n";
    }
    out << "extern \"C\" const ModuleStringTable ModuleStrings = {" << strings.size() << ", "
        << (strings.empty() ? "nullptr" : "kStrings") << "};\n";

    // Written whole under another name first: no half-written source is left
    // for the next build to compile.
    const std::string output = argv[2], partial = output + ".part";
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file.flush()) {
            std::fprintf(stderr, "rc_string_table: cannot write %s\n", partial.c_str());
            std::remove(partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "rc_string_table: cannot write %s\n", output.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
