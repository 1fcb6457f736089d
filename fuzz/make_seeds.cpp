// Writes the seed corpora of the fuzz programs with our own writers: databases and
// settings files through the engine's database writer, package archives through the
// package writer, WAV files in the canonical 44-byte layout the sample reader takes.
// Usage: make_fuzz_seeds OUTPUT_DIR PROG_XML (the program's shipped settings file).
#include "core/data/dataman.h"
#include "pakwrite.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string s_out;

bool MakeDir(const std::string &path)
{
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
    return f.good();
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// Saves the database with the engine's writer and returns the file's bytes.
std::string Saved(OV_DMDatabase &db, const std::string &name)
{
    std::string path = s_out + "/" + name;
    if (!db.Save(path.c_str()))
        return std::string();
    std::string bytes = ReadBytes(path);
    remove(path.c_str());
    return bytes;
}

// Databases of the shapes the engine writes and reads.
std::vector<std::string> Databases()
{
    std::vector<std::string> out;
    OV_DMDatabase a;
    a.SetValue("FONTS", "small", "file", "fonts/small.mft");
    a.SetValue("FONTS", "small", "size", "12");
    a.SetValue("FONTS", "big", "file", "fonts/big.mft");
    out.push_back(Saved(a, "a.xml"));

    OV_DMDatabase b;  // a node of four pairs is written over several lines
    b.SetValue("BITMAPS", "hero", "file", "gfx/hero.png");
    b.SetValue("BITMAPS", "hero", "frames", "8");
    b.SetValue("BITMAPS", "hero", "filter", "linear");
    b.SetValue("BITMAPS", "hero", "note", "quote \" backslash \\ tab \t line\nend");
    b.AddArray(nullptr)->AddNode(nullptr)->SetValue("x", "1");
    out.push_back(Saved(b, "b.xml"));

    OV_DMDatabase c;
    c.AddArray("EMPTY");
    out.push_back(Saved(c, "c.xml"));

    // Text between a node's tags becomes its DATA pair (not written by the writer).
    out.push_back("<?xml version=\"1.0\"?>\n<root>\n<array id=\"T\">\n<node id=\"t\">some text</node>\n"
                  "<!-- a comment -->\n<node id = a  x=1   />\n</array>\n</root>\n");
    return out;
}

// Settings files: the shipped one and one that sets every key the reader knows.
std::vector<std::string> Settings(const std::string &shipped)
{
    std::vector<std::string> out;
    out.push_back(shipped);
    OV_DMDatabase p;
    const char *app[][2] = {{"program_id", "fuzz.prog"}, {"name", "Fuzz"}, {"developer", "Dev"}, {"version", "1.2"},
                            {"locale", "auto"}, {"fps_limit", "60"}, {"features", "MULTITOUCH,AUTOSCALE;SHOW_INFO"},
                            {"reference_resolution", "1024x600"}, {"packages", "@res=1024x600:hd,base"}};
    for (auto &kv : app)
        p.SetValue("PARAMETERS", "APPLICATION", kv[0], kv[1]);
    const char *dev[][2] = {{"developer_mode", "true"}, {"logging", "0"}, {"logging_verbose_level", "WARNING,ERROR"},
                            {"console", "t"}, {"console_toggle_key", "TAB"}, {"developer_packages", "devpack"}};
    for (auto &kv : dev)
        p.SetValue("PARAMETERS", "DEVELOPER", kv[0], kv[1]);
    const char *variant[][2] = {{"name", "Fuzz QNX"}, {"renderer_implementation", "ri_null"},
                                {"input_implementations", "in_qnx"}, {"reference_resolution", "800"},
                                {"resolutions", "1024x600,800x480"}, {"features", "MULTIMOUSE"},
                                {"music_format", "MP3_22050_STEREO"}, {"sound_fx_format", "@open:WAV_44100_MONO"},
                                {"addon_packages", "extra"}, {"sound_implementation", "si_qnx.dll"},
                                {"manifest", "prog.xml,"}};
    for (auto &kv : variant) {
        p.SetValue("VARIANTS", "QNX", kv[0], kv[1]);
        p.SetValue("VARIANTS", "UNKNOWN/SMALL", kv[0], kv[1]);
    }
    p.SetValue("VARIANTS", "QNX/LARGE", "name", "Large");
    std::string full = Saved(p, "prog.xml");
    out.push_back(full);

    OV_DMDatabase d;  // a developer.xml behind the first NUL byte
    d.SetValue("PARAMETERS", "DEVELOPER", "developer_mode", "1");
    d.SetValue("PARAMETERS", "DEVELOPER", "console_toggle_key", "F1");
    out.push_back(full + std::string(1, '\0') + Saved(d, "developer.xml"));
    return out;
}

// Archives written by the package writer.
std::vector<std::string> Archives()
{
    std::vector<std::string> out;
    struct Item {
        const char *name;
        std::string bytes;
    };
    std::vector<std::vector<Item>> sets = {
        {},
        {{"a.txt", "first file\n"}},
        {{"ui/main.lua", "print('x')\n"}, {"sub/deeper/x.png", std::string(300, '\x7f')}, {"empty.dat", ""}},
    };
    int n = 0;
    for (auto &set : sets) {
        std::string path = s_out + "/seed" + std::to_string(n++) + ".pak";
        ovpak::Writer w;
        std::string error;
        bool ok = w.Open(path, &error);
        for (auto &item : set)
            ok = ok && w.AddBytes(item.name, item.bytes.data(), item.bytes.size(), &error);
        ok = ok && w.Finish(&error);
        if (!ok) {
            fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
            continue;
        }
        out.push_back(ReadBytes(path));
        remove(path.c_str());
    }
    return out;
}

void Put16(std::string &s, unsigned v)
{
    s += (char)(v & 0xff);
    s += (char)((v >> 8) & 0xff);
}

void Put32(std::string &s, unsigned v)
{
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}

// A canonical WAV file: RIFF, fmt chunk of 16 bytes, data chunk at offset 36.
std::string Wav(unsigned channels, unsigned rate, unsigned samples)
{
    std::string pcm;
    for (unsigned i = 0; i < samples * channels; i++)
        Put16(pcm, (i * 2654435761u) & 0xffff);
    std::string s = "RIFF";
    Put32(s, 36 + (unsigned)pcm.size());
    s += "WAVEfmt ";
    Put32(s, 16);
    Put16(s, 1);
    Put16(s, channels);
    Put32(s, rate);
    Put32(s, rate * channels * 2);
    Put16(s, channels * 2);
    Put16(s, 16);
    s += "data";
    Put32(s, (unsigned)pcm.size());
    return s + pcm;
}

bool WriteSet(const std::string &target, const std::vector<std::string> &files)
{
    std::string dir = s_out + "/" + target;
    if (!MakeDir(dir))
        return false;
    int n = 0;
    for (const std::string &bytes : files)
        if (!bytes.empty() && !WriteBytes(dir + "/seed-" + std::to_string(n++), bytes))
            return false;
    return n > 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: make_fuzz_seeds OUTPUT_DIR PROG_XML\n");
        return 2;
    }
    s_out = argv[1];
    std::string shipped = ReadBytes(argv[2]);
    if (!MakeDir(s_out) || shipped.empty()) {
        fprintf(stderr, "make_fuzz_seeds: cannot use %s or read %s\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<std::string> xml = Databases();
    xml.push_back(shipped);
    bool ok = WriteSet("fuzz_xml_reader", xml) && WriteSet("fuzz_database", xml) &&
              WriteSet("fuzz_settings", Settings(shipped)) && WriteSet("fuzz_pak", Archives()) &&
              WriteSet("fuzz_wav", {Wav(1, 22050, 16), Wav(2, 44100, 40), Wav(1, 8000, 300)});
    if (!ok) {
        fprintf(stderr, "make_fuzz_seeds: a seed set could not be written\n");
        return 1;
    }
    return 0;
}
