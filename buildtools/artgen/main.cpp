// orvex-artgen: the art steps of the content build before rendering.
//
//   orvex-artgen expand <in.svg> <out.svg> [options]
//       palette colours and includes expanded (the SVG rsvg-convert renders)
//   orvex-artgen frames <name.anim> <out-dir> [options]
//       one posed SVG per frame: <out-dir>/<name>-0000.svg, -0001.svg, ...
//   orvex-artgen outline <obstacle.svg> [--bitmap <name>] [options]
//       prints the first outline file of an obstacle (to be kept in content/) from
//       its polygon with id "outline", which the drawing keeps hidden
//       (display="none"), so that the rendered bitmap does not show it
//
// Options: --palette <palette.txt> (its directory is also searched for includes),
// --include-dir <dir>, --depfile <file> <target> (the files read, for the build).
// Errors are one line on standard error ("art: <file>: <problem>") and exit status 1.
#include "artgen.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Options {
    std::string palette, depfile, deptarget, bitmap;
    std::vector<std::string> include_dirs;
    std::vector<std::string> args;
};

bool ParseOptions(int argc, char **argv, Options *o)
{
    for (int i = 2; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--palette" && i + 1 < argc)
            o->palette = argv[++i];
        else if (a == "--include-dir" && i + 1 < argc)
            o->include_dirs.push_back(argv[++i]);
        else if (a == "--bitmap" && i + 1 < argc)
            o->bitmap = argv[++i];
        else if (a == "--depfile" && i + 2 < argc) {
            o->depfile = argv[++i];
            o->deptarget = argv[++i];
        } else if (a.compare(0, 2, "--") == 0)
            return false;
        else
            o->args.push_back(a);
    }
    return true;
}

std::string DirectoryOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.rfind('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = base.find('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

// Writes through a temporary file so that a failed step leaves no half file.
bool WriteFile(const std::string &path, const std::string &text)
{
    std::string part = path + ".part";
    FILE *f = fopen(part.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = fclose(f) == 0 && ok;
    if (ok && rename(part.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        remove(part.c_str());
    return ok;
}

std::string Escaped(const std::string &path)
{
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\')
            out += '\\';
        if (c == '$')
            out += '$';
        out += c;
    }
    return out;
}

bool WriteDepfile(const Options &o, const std::vector<std::string> &deps)
{
    if (o.depfile.empty())
        return true;
    std::string text = Escaped(o.deptarget) + ":";
    for (const std::string &d : deps)
        text += " \\\n  " + Escaped(d);
    return WriteFile(o.depfile, text + "\n");
}

bool Setup(const Options &o, artgen::Palette *palette, artgen::ExpandContext *ctx, std::vector<std::string> *deps)
{
    std::string error;
    if (!o.palette.empty()) {
        if (!artgen::LoadPalette(o.palette, palette, &error)) {
            fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        deps->push_back(o.palette);
        ctx->include_dirs.push_back(DirectoryOf(o.palette));
    }
    ctx->palette = palette;
    for (const std::string &d : o.include_dirs)
        ctx->include_dirs.push_back(d);
    return true;
}

int Expand(const Options &o)
{
    if (o.args.size() != 2)
        return 2;
    artgen::Palette palette;
    artgen::ExpandContext ctx;
    std::vector<std::string> deps{o.args[0]};
    std::string out, error;
    if (!Setup(o, &palette, &ctx, &deps))
        return 1;
    if (!artgen::ExpandFile(o.args[0], &ctx, &out, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    deps.insert(deps.end(), ctx.read.begin(), ctx.read.end());
    if (!WriteFile(o.args[1], out) || !WriteDepfile(o, deps)) {
        fprintf(stderr, "art: %s: cannot write\n", o.args[1].c_str());
        return 1;
    }
    return 0;
}

int Frames(const Options &o)
{
    if (o.args.size() != 2)
        return 2;
    const std::string &anim_path = o.args[0], &out_dir = o.args[1];
    artgen::Palette palette;
    artgen::ExpandContext ctx;
    std::vector<std::string> deps{anim_path};
    std::string text, svg, error;
    artgen::Anim anim;
    if (!Setup(o, &palette, &ctx, &deps))
        return 1;
    if (!artgen::ReadTextFile(anim_path, &text)) {
        fprintf(stderr, "art: %s: cannot read the file\n", anim_path.c_str());
        return 1;
    }
    if (!artgen::ParseAnim(anim_path, text, &anim, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::string source = DirectoryOf(anim_path) + "/" + anim.source;
    deps.push_back(source);
    if (!artgen::ExpandFile(source, &ctx, &svg, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    deps.insert(deps.end(), ctx.read.begin(), ctx.read.end());
    std::string base = BaseName(anim_path);
    for (int f = 0; f < anim.frames; f++) {
        std::string posed;
        if (!artgen::PoseFrame(anim_path, svg, anim, f, &posed, &error)) {
            fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        char name[32];
        snprintf(name, sizeof name, "-%.4d.svg", f);
        std::string path = out_dir + "/" + base + name;
        if (!WriteFile(path, posed)) {
            fprintf(stderr, "art: %s: cannot write\n", path.c_str());
            return 1;
        }
    }
    if (!WriteDepfile(o, deps)) {
        fprintf(stderr, "art: %s: cannot write\n", o.depfile.c_str());
        return 1;
    }
    return 0;
}

int Outline(const Options &o)
{
    if (o.args.size() != 1)
        return 2;
    artgen::Palette palette;
    artgen::ExpandContext ctx;
    std::vector<std::string> deps;
    std::string svg, out, error;
    if (!Setup(o, &palette, &ctx, &deps))
        return 1;
    if (!artgen::ExpandFile(o.args[0], &ctx, &svg, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::string bitmap = o.bitmap.empty() ? BaseName(o.args[0]) + ".png" : o.bitmap;
    if (!artgen::OutlineFromSvg(o.args[0], svg, bitmap, &out, &error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    Options o;
    int status = 2;
    if (argc >= 2 && ParseOptions(argc, argv, &o)) {
        if (!strcmp(argv[1], "expand"))
            status = Expand(o);
        else if (!strcmp(argv[1], "frames"))
            status = Frames(o);
        else if (!strcmp(argv[1], "outline"))
            status = Outline(o);
    }
    if (status == 2)
        fprintf(stderr,
                "usage: %s expand <in.svg> <out.svg> [options]\n"
                "       %s frames <name.anim> <out-dir> [options]\n"
                "       %s outline <obstacle.svg> [--bitmap <name>] [options]\n"
                "options: --palette <palette.txt> --include-dir <dir> --depfile <file> <target>\n",
                argv[0], argv[0], argv[0]);
    return status;
}
