// The headless engine session of orvex-assetpack and its small file helpers.
#include "session.h"

#include "buildtools/common/tool-engine.h"

#include "core/console.h"
#include "core/ov_state.h"

#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace assetpack {

namespace {

// Developer mode, so that popups reach the console's lines; no log file.
void Settings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.logging = 0;
}

}  // namespace

FILE *Err()
{
    return toolengine::Err();
}

bool MakeParentDirs(const std::string &path)
{
    for (size_t i = 1; i < path.size(); i++)
        if (path[i] == '/' && mkdir(path.substr(0, i).c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    return true;
}

std::string Absolute(const std::string &path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd))
        return path;
    return std::string(cwd) + "/" + path;
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

bool CopyFile(const std::string &from, const std::string &to)
{
    std::string bytes;
    if (!ReadFile(from, &bytes))
        return false;
    std::string part = to + ".part";
    FILE *f = fopen(part.c_str(), "wb");
    bool ok = f && fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = f && fclose(f) == 0 && ok;
    ok = ok && rename(part.c_str(), to.c_str()) == 0;
    if (!ok)
        remove(part.c_str());
    return ok;
}

bool EngineSession::Start()
{
    if (!engine_.Start(Settings))
        return false;
    ov_state.atlas_packing = 1;
    return true;
}

bool EngineSession::Link(const std::string &target, const std::string &res_name)
{
    return engine_.Link(target, res_name);
}

std::string EngineSession::Native(const std::string &res_name) const
{
    return engine_.Native(res_name);
}

size_t EngineSession::Mark() const
{
    return ov_con.lines.size();
}

int EngineSession::Warnings(size_t mark) const
{
    int n = 0;
    for (size_t i = mark; i < ov_con.lines.size(); i++)
        if (ov_con.lines[i].level >= OV_WARNING)
            n++;
    if (n)
        for (size_t i = mark; i < ov_con.lines.size(); i++)
            if (ov_con.lines[i].text)
                fprintf(Err(), "  %s%s", ov_con.lines[i].text, strchr(ov_con.lines[i].text, '\n') ? "" : "\n");
    return n;
}

}  // namespace assetpack
