// Writes the seed corpora of the fuzz programs with our own writers: databases and
// settings files through the engine's database writer, package archives through the
// package writer, WAV files in the canonical 44-byte layout the sample reader takes,
// PNG, JPEG and TGA files through the image writers, RLE bitmaps and ".bms" sequences
// through their writers, ".mft" fonts through the font writer, and font sources (a
// settings database behind which, after a NUL byte, its glyph strip follows).
// Usage: make_fuzz_seeds OUTPUT_DIR PROG_XML (the program's shipped settings file).
#include "core/data/dataman.h"
#include "core/ov_state.h"
#include "fuzz/fuzz_env.h"
#include "fuzz/png_seeds.h"
#include "gfx/font.h"
#include "gfx/image.h"
#include "gfx/rle.h"
#include "gfx/sequence.h"
#include "pakwrite.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

// A w x h bitmap of a pattern: colour from the position, alpha from the kind (0: opaque,
// 1: a gradient, 2: blocks of transparent and solid).
ov_bitmap_t Pattern(int w, int h, int kind)
{
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    b.width = b.src_width = w;
    b.height = b.src_height = h;
    b.pixels = (uint8_t *)malloc((size_t)w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = b.pixels + ((size_t)y * w + x) * 4;
            p[0] = (uint8_t)(x * 37);
            p[1] = (uint8_t)(y * 53);
            p[2] = (uint8_t)((x + y) * 11);
            p[3] = kind == 0 ? 255 : kind == 1 ? (uint8_t)(x * 255 / (w > 1 ? w - 1 : 1)) : ((x / 3 + y / 2) % 2 ? 255 : 0);
        }
    if (kind != 0)
        b.flags |= OV_BITMAP_ALPHA;
    return b;
}

const int kShapes[][3] = {{1, 1, 0}, {7, 5, 1}, {16, 3, 0}, {33, 17, 2}, {4, 40, 1}};

// Files written by an image writer to a scratch path (which = 0 PNG, 1 JPEG, 2 TGA).
std::vector<std::string> Images(int which)
{
    std::vector<std::string> out;
    std::string path = s_out + "/seed.img";
    int q = 0;
    for (auto &s : kShapes) {
        ov_bitmap_t b = Pattern(s[0], s[1], s[2]);
        bool ok = which == 0 ? OVI_WritePNG(&b, path.c_str())
                  : which == 1 ? OVI_WriteJPG(&b, path.c_str(), (q++ % 3) * 40 + 10)
                               : OVI_WriteTGA(&b, path.c_str());
        if (ok)
            out.push_back(ReadBytes(path));
        remove(path.c_str());
        free(b.pixels);
    }
    return out;
}

// RLE bitmaps from the RLE writer, the empty image among them.
std::string RleOf(ov_bitmap_t *b)
{
    std::string path = s_out + "/seed.rle";
    FILE *f = fopen(path.c_str(), "wb");
    bool ok = f && OVI_WriteRLEBitmap(b, f);
    if (f && fclose(f) != 0)
        ok = false;
    std::string bytes = ok ? ReadBytes(path) : std::string();
    remove(path.c_str());
    return bytes;
}

std::vector<std::string> Rles()
{
    std::vector<std::string> out;
    for (auto &s : kShapes) {
        ov_bitmap_t b = Pattern(s[0], s[1], s[2]);
        out.push_back(RleOf(&b));
        free(b.pixels);
    }
    ov_bitmap_t empty;
    memset(&empty, 0, sizeof empty);
    out.push_back(RleOf(&empty));
    ov_bitmap_t flat = Pattern(300, 2, 0);  // runs of 255 crossing a row end
    memset(flat.pixels, 9, 300 * 2 * 4);
    out.push_back(RleOf(&flat));
    free(flat.pixels);
    return out;
}

// Sequences from the ".bms" writer; each is also given with its atlas as an RLE bitmap
// (the writer's header and frame table, kind "RLE", then the RLE writer's output).
std::vector<std::string> Sequences()
{
    std::vector<std::string> out;
    ov_state.atlas_packing = 1;
    const int sets[][2] = {{1, 0}, {3, 1}, {5, 2}};
    for (auto &set : sets) {
        int count = set[0];
        ov_bitmap_t seq;
        memset(&seq, 0, sizeof seq);
        seq.frames = (ov_bitmap_t *)calloc((size_t)count, sizeof(ov_bitmap_t));
        seq.num_frames = count;
        for (int i = 0; i < count; i++) {
            seq.frames[i] = Pattern(3 + i * 2, 4 + i, (set[1] + i) % 3);
            seq.frames[i].frame_number = i;
            seq.frames[i].fps = 12.0f;
        }
        if (count > 2) {  // a repeated frame is written once in the atlas
            free(seq.frames[2].pixels);
            seq.frames[2] = Pattern(seq.frames[0].width, seq.frames[0].height, (set[1]) % 3);
            seq.frames[2].frame_number = 2;
            OVI_OptimizeBitmapSequence(&seq);
        }
        std::string path = s_out + "/seed.bms";
        if (OVI_SaveBitmapSequence(&seq, path.c_str())) {
            std::string bms = ReadBytes(path);
            out.push_back(bms);
            size_t table = 33 + 32 * (size_t)count;
            if (seq.atlas && bms.size() > table)
                out.push_back(bms.substr(0, table) + std::string("RLE\0", 4) + RleOf(seq.atlas));
        }
        remove(path.c_str());
        OVI_FreeSequenceFrames(&seq);
    }
    return out;
}

// Fonts from the font writer: LATIN-1 with kerning rows, UTF-8 with scattered codes.
std::string SavedFont(ov_font_t *f)
{
    std::string bytes;
    if (OV_SaveFont(f, "res://seed.mft"))
        bytes = ReadBytes(fuzzenv::ResPath("seed.mft"));
    fuzzenv::RemoveResFile("seed.mft");
    return bytes;
}

void MakeFont(ov_font_t *f, int count, int encoding, bool kerning)
{
    memset(f, 0, sizeof *f);
    f->scale = 1.0f;
    f->encoding = (uint8_t)encoding;
    f->top_offset = 7;
    f->height = 9;
    f->line_height = 11;
    f->glyph_count = count;
    f->glyphs = (ov_glyph_t *)calloc((size_t)count, sizeof(ov_glyph_t));
    for (int i = 0; i < count; i++) {
        ov_glyph_t &g = f->glyphs[i];
        g.code = encoding == OV_FONT_UTF8 ? 32 + i * 97 : i;
        g.advance = (int16_t)(3 + i % 5);
        g.y_offset = (int16_t)(i % 3);
        g.x_offset = (int16_t)(i % 2);
        if (kerning && i % 32 == 1) {
            g.kerning = (int8_t *)calloc((size_t)count, 1);
            g.kerning[(i + 1) % count] = -1;
        }
        if (i % 3 != 0)
            g.image = Pattern(1 + i % 4, 2 + i % 5, i % 3);
    }
}

std::vector<std::string> Fonts()
{
    std::vector<std::string> out;
    const int shapes[][3] = {{256, OV_FONT_LATIN1, 1}, {40, OV_FONT_UTF8, 1}, {3, OV_FONT_UTF8, 0}, {0, OV_FONT_LATIN1, 0}};
    for (auto &s : shapes) {
        ov_font_t f;
        MakeFont(&f, s[0], s[1], s[2] != 0);
        out.push_back(SavedFont(&f));
        OVI_FreeFontGlyphs(&f);
    }
    return out;
}

// Font sources: a settings database (as the font tools write it) and its glyph strip
// behind a NUL byte, the strip made of solid glyph columns one transparent column apart.
std::vector<std::string> FontSources()
{
    std::vector<std::string> out;
    const char *settings[] = {
        "<node id=\"INPUT\" bitmap=\"strip.png\" />\n<node id=\"SPACING\" value=\"1\" />\n"
        "<node id=\"LINE_PADDING_OFFSET\" value=\"3\" />\n",
        "<node id=\"INPUT\" bitmap=\"strip.tga\" />\n<node id=\"INPUT@2x\" bitmap=\"strip.png\" />\n"
        "<node id=\"OUTPUT\" scale=\"1/2\" />\n<node id=\"AUTO_KERN_THRESHOLD\" value=\"0.5\" />\n",
    };
    const char *glyphs = "<node id=\"65\" />\n<node id=\"86\" tags=\"DISABLE_AUTOKERN\" />\n<node id=\"45\" span=\"2\" />\n"
                         "<node id=\"32\" span=\"0\" spacing=\"4\" />\n<node id=\"66\" spacing=\"1\" />\n";
    int n = 0;
    for (const char *s : settings) {
        std::string xml = std::string("<?xml version=\"1.0\"?>\n<root>\n<array id=\"settings\">\n") + s +
                          "</array>\n<array id=\"glyphs\">\n" + glyphs + "</array>\n</root>\n";
        // Five glyph columns of widths 3..7 (the third two runs for its span of 2), 8 high.
        ov_bitmap_t strip = Pattern(40, 8, 0);
        for (int x = 0; x < 40; x++)
            for (int y = 0; y < 8; y++)
                strip.pixels[((size_t)y * 40 + x) * 4 + 3] = (x % 8 == 7 || (x > 30) || (y < x % 3)) ? 0 : 255;
        std::string path = s_out + "/strip.img";
        bool ok = n == 0 ? OVI_WritePNG(&strip, path.c_str()) : OVI_WriteTGA(&strip, path.c_str());
        free(strip.pixels);
        if (ok)
            out.push_back(xml + std::string(1, '\0') + ReadBytes(path));
        remove(path.c_str());
        n++;
    }
    return out;
}

// Event scripts: every line kind, comments, every kind of blank, CR LF endings, waits.
std::vector<std::string> Scripts()
{
    return {
        "# a tap and a drag\ntouch down 0 10 20\nwait 16\ntouch move 0 0x20 -5\ntouch up 0 40 30\n",
        "pointer 100 200 1\r\npointer 100 200 0\r\nkey 'a' press\r\nkey return down\r\nkey 0xF051 up\r\n",
        "key f12 press\nkey backspace down\nkey 35 up # the hash key\ntext Hi there\n",
        "\f\n\v\n \t\nwindow thumbnail\nwindow 0\nswipe_down\nwait 86400000\nexit\n",
        "raw 1 100 47=100 41=5,6\nraw 3 9\nwait 0\nwait 10\nwindow invisible\n",
    };
}

// Frames for the numbered-frame sequence target: a byte choosing separator and
// extension, then per frame a number step, a 16-bit length and an image file.
std::vector<std::string> FrameSets()
{
    std::vector<std::string> out;
    for (int which = 0; which < 3; which++) {
        std::vector<std::string> images = Images(which);
        for (int sep = 0; sep < 3; sep++) {
            std::string set(1, (char)(sep | which << 2));
            for (size_t i = 0; i < images.size() && i < 4; i++) {
                const std::string &img = images[(i + (size_t)sep) % images.size()];
                if (img.size() > 0xffff)
                    continue;
                set += (char)(i == 0 ? sep * 3 : (i == 2 ? 1 : 0));  // a gap between the second and third
                set += (char)(img.size() & 0xff);
                set += (char)(img.size() >> 8);
                set += img;
            }
            out.push_back(set);
        }
    }
    return out;
}

// Downloads: the reply byte, the URL and the bytes that came.
std::vector<std::string> Downloads()
{
    return {
        std::string(1, '\0') + "example.org/levels/pack-1.dat\nlevel data\x01\x02\x03",
        std::string(1, '\1') + "cdn.example.org:8080/a/b/c.png?v=2&x=%20y~z\n" + std::string(300, 'p'),
        std::string(1, '\4') + "example.org/cut.bin\npartial",
        std::string(1, '\2') + "example.org/missing\nnot found",
        std::string(1, '\0') + std::string(270, 'u') + "\ntoo long a name",
        std::string(1, '\0') + "example.org/empty\n",
    };
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string> &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
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
    // The font and sequence writers go through the engine (paths given are absolute:
    // the environment changes into a scratch directory).
    fuzzenv::Start();
    std::string shipped = ReadBytes(argv[2]);
    if (!MakeDir(s_out) || shipped.empty()) {
        fprintf(stderr, "make_fuzz_seeds: cannot use %s or read %s\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<std::string> xml = Databases();
    xml.push_back(shipped);
    bool ok = WriteSet("fuzz_xml_reader", xml) && WriteSet("fuzz_database", xml) &&
              WriteSet("fuzz_settings", Settings(shipped)) && WriteSet("fuzz_pak", Archives()) &&
              WriteSet("fuzz_wav", {Wav(1, 22050, 16), Wav(2, 44100, 40), Wav(1, 8000, 300)}) &&
              WriteSet("fuzz_png", Concat(Images(0), LibpngSeeds())) && WriteSet("fuzz_jpg", Images(1)) && WriteSet("fuzz_tga", Images(2)) &&
              WriteSet("fuzz_rle", Rles()) && WriteSet("fuzz_bms", Sequences()) && WriteSet("fuzz_mft", Fonts()) &&
              WriteSet("fuzz_font_source", FontSources()) && WriteSet("fuzz_script", Scripts()) &&
              WriteSet("fuzz_bms_frames", FrameSets()) && WriteSet("fuzz_http_cache", Downloads()) &&
              WriteSet("fuzz_mp3_wav", {Wav(1, 22050, 2000), Wav(2, 44100, 3000), Wav(2, 22050, 1500)});
    if (!ok) {
        fprintf(stderr, "make_fuzz_seeds: a seed set could not be written\n");
        return 1;
    }
    return 0;
}
