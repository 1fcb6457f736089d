// Expansion of our SVG sources: palette colours "{{name}}" and includes
// <!--#include "file"--> (nested, each file's own colours checked in that file).
#include "artgen.h"

#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>

namespace artgen {

namespace {

// Includes deeper than this are taken for a cycle.
const int kMaxDepth = 16;
const char kIncludeOpen[] = "<!--#include \"";
const char kIncludeClose[] = "\"-->";

std::string DirectoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsFile(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An included file may be a whole SVG document: its XML declaration is dropped.
std::string WithoutDeclaration(const std::string &text)
{
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || text.compare(start, 5, "<?xml") != 0)
        return text;
    size_t end = text.find("?>", start);
    if (end == std::string::npos)
        return text;
    end += 2;
    while (end < text.size() && (text[end] == '\n' || text[end] == '\r'))
        end++;
    return text.substr(end);
}

bool Expand(const std::string &name, const std::string &text, ExpandContext *ctx, int depth, std::string *out,
            std::string *error)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t colour = text.find("{{", i), include = text.find(kIncludeOpen, i);
        size_t next = std::min(colour, include);
        if (next == std::string::npos) {
            out->append(text, i, std::string::npos);
            break;
        }
        out->append(text, i, next - i);
        if (next == colour) {
            size_t close = text.find("}}", colour + 2);
            std::string key = text.substr(colour + 2, close == std::string::npos ? std::string::npos : close - colour - 2);
            auto found = ctx->palette ? ctx->palette->find(key) : Palette::const_iterator();
            if (close == std::string::npos || !ctx->palette || found == ctx->palette->end()) {
                *error = "art: " + name + ": unknown colour '" + key + "'";
                return false;
            }
            out->append(found->second);
            i = close + 2;
            continue;
        }
        size_t start = include + sizeof kIncludeOpen - 1;
        size_t close = text.find(kIncludeClose, start);
        std::string file = text.substr(start, close == std::string::npos ? std::string::npos : close - start);
        if (close == std::string::npos || file.empty() || file.find('\n') != std::string::npos) {
            *error = "art: " + name + ": cannot include '" + file + "'";
            return false;
        }
        std::string path;
        std::vector<std::string> tries{DirectoryOf(name) + file};
        for (const std::string &dir : ctx->include_dirs)
            tries.push_back(dir.empty() || dir.back() == '/' ? dir + file : dir + "/" + file);
        for (const std::string &t : tries)
            if (path.empty() && IsFile(t))
                path = t;
        std::string included;
        if (path.empty() || depth >= kMaxDepth || !ReadTextFile(path, &included)) {
            *error = "art: " + name + ": cannot include '" + file + "'";
            return false;
        }
        ctx->read.push_back(path);
        if (!Expand(path, WithoutDeclaration(included), ctx, depth + 1, out, error))
            return false;
        i = close + sizeof kIncludeClose - 1;
    }
    return true;
}

}  // namespace

bool ReadTextFile(const std::string &path, std::string *text)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    text->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        text->append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool ParsePalette(const std::string &name, const std::string &text, Palette *out, std::string *error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        number++;
        std::istringstream words(line);
        std::string key, value, extra;
        if (!(words >> key) || key[0] == '#')
            continue;
        if (!(words >> value) || (words >> extra) || key.find_first_of("{}") != std::string::npos) {
            *error = "art: " + name + ":" + std::to_string(number) + ": expected 'name value'";
            return false;
        }
        if (out->count(key)) {
            *error = "art: " + name + ":" + std::to_string(number) + ": colour '" + key + "' named twice";
            return false;
        }
        (*out)[key] = value;
    }
    return true;
}

bool LoadPalette(const std::string &path, Palette *out, std::string *error)
{
    std::string text;
    if (!ReadTextFile(path, &text)) {
        *error = "art: " + path + ": cannot read the palette";
        return false;
    }
    return ParsePalette(path, text, out, error);
}

bool ExpandText(const std::string &name, const std::string &text, ExpandContext *ctx, std::string *out,
                std::string *error)
{
    out->clear();
    return Expand(name, text, ctx, 0, out, error);
}

bool ExpandFile(const std::string &path, ExpandContext *ctx, std::string *out, std::string *error)
{
    std::string text;
    if (!ReadTextFile(path, &text)) {
        *error = "art: " + path + ": cannot read the file";
        return false;
    }
    return ExpandText(path, text, ctx, out, error);
}

bool ParseTag(const std::string &text, size_t at, std::string *tag_name, std::vector<Attribute> *attrs, size_t *end,
              bool *self_closing)
{
    attrs->clear();
    if (at >= text.size() || text[at] != '<')
        return false;
    size_t i = at + 1;
    auto space = [&](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    size_t name_start = i;
    while (i < text.size() && !space(text[i]) && text[i] != '>' && text[i] != '/')
        i++;
    *tag_name = text.substr(name_start, i - name_start);
    if (tag_name->empty())
        return false;
    for (;;) {
        while (i < text.size() && space(text[i]))
            i++;
        if (i >= text.size())
            return false;
        if (text[i] == '>') {
            *self_closing = false;
            *end = i + 1;
            return true;
        }
        if (text[i] == '/') {
            if (i + 1 >= text.size() || text[i + 1] != '>')
                return false;
            *self_closing = true;
            *end = i + 2;
            return true;
        }
        size_t key_start = i;
        while (i < text.size() && !space(text[i]) && text[i] != '=' && text[i] != '>' && text[i] != '/')
            i++;
        Attribute a;
        a.name = text.substr(key_start, i - key_start);
        while (i < text.size() && space(text[i]))
            i++;
        if (a.name.empty() || i >= text.size() || text[i] != '=')
            return false;
        i++;
        while (i < text.size() && space(text[i]))
            i++;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return false;
        char quote = text[i++];
        size_t close = text.find(quote, i);
        if (close == std::string::npos)
            return false;
        a.value = text.substr(i, close - i);
        i = close + 1;
        attrs->push_back(a);
    }
}

const std::string *FindAttribute(const std::vector<Attribute> &attrs, const std::string &name)
{
    for (const Attribute &a : attrs)
        if (a.name == name)
            return &a.value;
    return nullptr;
}

}  // namespace artgen
