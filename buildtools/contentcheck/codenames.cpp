// Names in the application's own sources: every string literal that looks like an asset
// name must resolve in the program directory (unless the ignore list names it).
#include "contentcheck.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace contentcheck {

namespace {

bool SourceFile(const std::string &name)
{
    return EndsWith(name, ".cpp") || EndsWith(name, ".h") || EndsWith(name, ".c") || EndsWith(name, ".hpp");
}

void ListSources(const std::string &dir, std::vector<std::string> *out)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            ListSources(path, out);
        else if (SourceFile(name))
            out->push_back(path);
    }
    closedir(d);
}

// The string literals of a C or C++ text with their line numbers (escapes kept as written
// except \" and \\; comments and character literals skipped).
std::vector<std::pair<int, std::string>> CStrings(const std::string &text)
{
    std::vector<std::pair<int, std::string>> out;
    int line = 1;
    size_t i = 0, n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '\n') {
            line++;
            i++;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n')
                i++;
        } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            end = end == std::string::npos ? n : end + 2;
            line += (int)std::count(text.begin() + i, text.begin() + end, '\n');
            i = end;
        } else if (c == 'R' && i + 1 < n && text[i + 1] == '"') {
            size_t open = text.find('(', i + 2);
            if (open == std::string::npos)
                break;
            std::string close = ")" + text.substr(i + 2, open - i - 2) + "\"";
            size_t end = text.find(close, open);
            end = end == std::string::npos ? n : end;
            out.push_back({line, text.substr(open + 1, end - open - 1)});
            line += (int)std::count(text.begin() + i, text.begin() + end, '\n');
            i = std::min(n, end + close.size());
        } else if (c == '"' || c == '\'') {
            std::string s;
            size_t j = i + 1;
            while (j < n && text[j] != c && text[j] != '\n') {
                if (text[j] == '\\' && j + 1 < n) {
                    s += text[j + 1] == '"' || text[j + 1] == '\\' ? std::string(1, text[j + 1]) : text.substr(j, 2);
                    j += 2;
                    continue;
                }
                s += text[j++];
            }
            if (c == '"')
                out.push_back({line, s});
            i = j + 1;
        } else {
            i++;
        }
    }
    return out;
}

}  // namespace

void CheckCodeNames(const Tree &tree, const std::string &base, const std::vector<std::string> &roots,
                    Report *report)
{
    std::vector<std::string> files;
    for (const std::string &root : roots)
        ListSources(root, &files);
    std::sort(files.begin(), files.end());
    for (const std::string &path : files) {
        std::string text;
        if (!ReadFile(path, &text))
            continue;
        std::string rel = StartsWith(path, base + "/") ? path.substr(base.size() + 1) : path;
        for (const auto &s : CStrings(text)) {
            const std::string &name = s.second;
            if (!Tree::LooksLikeAsset(name) || name[0] == '!' || tree.Ignored(name) || !tree.Resolve(name).empty())
                continue;
            report->Add(rel, Format("line %d: ", s.first) + Tree::MissingText(name));
        }
    }
}

}  // namespace contentcheck
