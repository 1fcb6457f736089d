// orvex-fontmft: builds ".mft" font files with the engine's own font generator. The
// engine runs headless with the null renderer and atlas packing on, in a staging
// directory whose program directory holds the font sources (the font's name + ".xml"
// and its glyph strip); loading each font generates it from its source and saves the
// ".mft" next to it, and the saved file is read back by the same load. The files are
// then copied into the output directory under the same names.
//
//   orvex-fontmft <staging-dir> <output-dir> <font name>...
//
// A font that does not generate, or whose generation raised any warning (a strip that
// does not match its settings), fails the tool with the engine's messages.
#include "buildtools/common/tool-engine.h"
#include "core/console.h"
#include "core/ov_state.h"
#include "gfx/font.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// Developer mode, so that the generator's popups reach the console's lines; no log file.
void Settings()
{
    ov_state.developer_mode = 1;
    ov_state.console = 1;
    ov_state.logging = 0;
}

bool MakeDirs(const std::string &path)
{
    for (size_t i = 1; i <= path.size(); i++)
        if (i == path.size() || path[i] == '/') {
            std::string dir = path.substr(0, i);
            if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    return true;
}

bool Copy(const std::string &from, const std::string &to)
{
    size_t slash = to.rfind('/');
    if (slash != std::string::npos && !MakeDirs(to.substr(0, slash)))
        return false;
    FILE *in = fopen(from.c_str(), "rb");
    if (!in)
        return false;
    std::string part = to + ".part";
    FILE *out = fopen(part.c_str(), "wb");
    bool ok = out != nullptr;
    char buf[65536];
    size_t n;
    while (ok && (n = fread(buf, 1, sizeof buf, in)) > 0)
        ok = fwrite(buf, 1, n, out) == n;
    ok = !ferror(in) && ok;
    fclose(in);
    if (out && fclose(out) != 0)
        ok = false;
    if (ok && rename(part.c_str(), to.c_str()) != 0)
        ok = false;
    if (!ok)
        unlink(part.c_str());
    return ok;
}

// Console lines from index first on: the warnings among them, all of them printed
// when there is one.
int Warnings(size_t first)
{
    int n = 0;
    for (size_t i = first; i < ov_con.lines.size(); i++)
        if (ov_con.lines[i].level >= OV_WARNING)
            n++;
    if (n)
        for (size_t i = first; i < ov_con.lines.size(); i++)
            if (ov_con.lines[i].text)
                fprintf(toolengine::Err(), "  %s%s", ov_con.lines[i].text,
                        strchr(ov_con.lines[i].text, '\n') ? "" : "\n");
    return n;
}

bool Build(const char *name, const std::string &out_dir)
{
    std::string saved = std::string("app/native/") + name;
    unlink(saved.c_str());
    size_t first = ov_con.lines.size();
    ov_font_t *f = ov->OV_LoadFont(name);
    bool ok = f && f->height > 0 && f->glyph_count == 256 && f->glyphs[(unsigned char)'A'].image.width > 0;
    struct stat st;
    ok = ok && stat(saved.c_str(), &st) == 0 && st.st_size > 0;
    if (Warnings(first) || !ok) {
        fprintf(toolengine::Err(), "fontmft: font '%s' was not generated cleanly\n", name);
        if (f)
            ov->OV_ReleaseFont(f);
        return false;
    }
    printf("fontmft: %s: height %d, line height %d, atlas %d x %d\n", name, f->height, f->line_height,
           f->atlas.width, f->atlas.height);
    ov->OV_ReleaseFont(f);
    if (!Copy(saved, out_dir + "/" + name)) {
        fprintf(toolengine::Err(), "fontmft: cannot copy %s into %s\n", name, out_dir.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s <staging-dir> <output-dir> <font name>...\n", argv[0]);
        return 2;
    }
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return 1;
    std::string out_dir = argv[2];
    if (out_dir[0] != '/')
        out_dir = std::string(cwd) + "/" + out_dir;

    toolengine::SetName("orvex-fontmft", false);
    toolengine::Session session;
    if (!session.Start(Settings, argv[1]))
        return 1;
    ov_state.atlas_packing = 1;
    int failed = 0;
    for (int i = 3; i < argc; i++)
        if (!Build(argv[i], out_dir))
            failed++;
    return failed ? 1 : 0;
}
