// The program directory as the check sees it: its files, how the engine's names resolve
// in it (the search paths and the sound cache's endings), the ignore list, the report.
#include "contentcheck.h"

#include <dirent.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>

namespace contentcheck {

const char kSoundPackage[] = "data-sfx-WAV_22050_MONO";
const char kMusicPackage[] = "data-music-MP3_22050_STEREO";

void Report::Add(const std::string &file, const std::string &problem)
{
    std::string line = "content: " + file + ": " + problem + "\n";
    if (seen_.insert(line).second)
        lines_.push_back(line);
}

std::string Format(const char *fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

bool ReadFile(const std::string &path, std::string *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes->append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool EndsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool Tree::Load(const std::string &root)
{
    struct stat st;
    if (stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // Absolute: the engine's session changes the working directory.
    char *real = realpath(root.c_str(), nullptr);
    root_ = real ? real : root;
    free(real);
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
    files_.clear();
    Walk("");
    std::sort(files_.begin(), files_.end());
    set_ = std::set<std::string>(files_.begin(), files_.end());
    return true;
}

void Tree::Walk(const std::string &sub)
{
    DIR *d = opendir((root_ + (sub.empty() ? "" : "/" + sub)).c_str());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string rel = sub.empty() ? name : sub + "/" + name;
        struct stat st;
        if (stat((root_ + "/" + rel).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            Walk(rel);
        else if (S_ISREG(st.st_mode))
            files_.push_back(rel);
    }
    closedir(d);
}

bool Tree::LooksLikeAsset(const std::string &name)
{
    if (name.empty() || name.find_first_of("%* \t\n") != std::string::npos || StartsWith(name, "user://"))
        return false;
    std::string n = StartsWith(name, "res://") ? name.substr(6) : name;
    static const char *const kEndings[] = {".png", ".tga", ".bms", ".mft", ".lua", ".xml"};
    for (const char *e : kEndings)
        if (EndsWith(n, e) && n.size() > strlen(e) && n[n.size() - strlen(e) - 1] != '/')
            return true;
    return (StartsWith(n, "sfx/") && n.size() > 4) || (StartsWith(n, "music/") && n.size() > 6);
}

std::string Tree::Resolve(const std::string &name) const
{
    std::string n = StartsWith(name, "res://") ? name.substr(6) : name;
    const std::string paths[] = {"", std::string(kSoundPackage) + "/", std::string(kMusicPackage) + "/"};
    bool sound = StartsWith(n, "sfx/") || StartsWith(n, "music/");
    for (const std::string &p : paths) {
        if (Has(p + n))
            return p + n;
        if (sound)
            for (const char *e : {".wav", ".ogg", ".mp3"})
                if (Has(p + n + e))
                    return p + n + e;
    }
    return "";
}

std::string Tree::MissingText(const std::string &name)
{
    if (StartsWith(name, "sfx/"))
        return "names sound '" + name + "', which is not in the sound package";
    if (StartsWith(name, "music/"))
        return "names music '" + name + "', which is not in the music package";
    return "names '" + name + "', which is not in the program directory";
}

bool Tree::CheckName(Report *report, const std::string &file, const std::string &name) const
{
    if (name.empty() || name[0] == '!' || Ignored(name) || !Resolve(name).empty())
        return true;
    report->Add(file, MissingText(name));
    return false;
}

void LoadIgnoreList(const std::string &path, Tree *tree, Report *report)
{
    std::string text;
    if (!ReadFile(path, &text))
        return;  // no exceptions
    int line_no = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        line_no++;
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        size_t gap = line.find_first_of(" \t", first);
        std::string name = line.substr(first, gap == std::string::npos ? std::string::npos : gap - first);
        size_t reason = gap == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", gap);
        if (reason == std::string::npos) {
            report->Add("check-ignore.txt", Format("line %d: '%s' has no reason", line_no, name.c_str()));
            continue;
        }
        tree->Ignore(name);
    }
}

}  // namespace contentcheck
