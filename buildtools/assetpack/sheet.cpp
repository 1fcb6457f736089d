// Contact sheets: every image of the inputs side by side in a grid, over a checker
// board that shows transparency, images larger than a cell reduced with the engine's
// resizer. Directories give their PNG and TGA files in name order; ".bms" files give
// every frame (cut from the atlas the engine read).
#include "assetpack.h"
#include "session.h"

#include "gfx/bitmap.h"
#include "gfx/image.h"
#include "gfx/resize.h"
#include "gfx/sequence.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace assetpack {

namespace {

const int kMaxCell = 160, kMinCell = 16, kGap = 8, kMaxWidth = 1600, kMaxSide = 8192, kChecker = 8;

struct Tile {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
};

bool EndsWith(const std::string &s, const char *end)
{
    size_t n = strlen(end);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, end) == 0;
}

bool LoadImage(const std::string &path, Tile *tile)
{
    std::string bytes;
    ov_bitmap_t b;
    memset(&b, 0, sizeof b);
    bool ok = ReadFile(path, &bytes) && (EndsWith(path, ".tga")
                                             ? OVI_LoadBitmapMemTGA(&b, bytes.data(), (long)bytes.size())
                                             : OVI_LoadBitmapMemPNG(&b, bytes.data(), (long)bytes.size()));
    ok = ok && b.pixels;
    if (ok) {
        tile->width = b.width;
        tile->height = b.height;
        tile->pixels.assign(b.pixels, b.pixels + (size_t)b.width * b.height * 4);
    }
    free(b.pixels);
    return ok;
}

bool LoadSequence(EngineSession *session, const std::string &path, int index, std::vector<Tile> *tiles)
{
    std::string res = "sheet-" + std::to_string(index) + ".bms";
    if (!session->Link(path, res))
        return false;
    ov_bitmap_t seq;
    OVI_InitBitmap(&seq, res.c_str());
    bool ok = OVI_LoadBitmapSequence(&seq, res.c_str()) == 1 && seq.atlas && seq.atlas->pixels;
    for (int i = 0; ok && i < seq.num_frames; i++) {
        const ov_bitmap_t &f = seq.frames[i];
        const ov_bitmap_t *atlas = seq.atlas;
        int x0 = (int)(f.hw.u0 * atlas->width + 0.5f), y0 = (int)(f.hw.v0 * atlas->height + 0.5f);
        Tile t;
        t.width = f.width;
        t.height = f.height;
        if (x0 < 0 || y0 < 0 || x0 + t.width > atlas->width || y0 + t.height > atlas->height) {
            ok = false;
            break;
        }
        for (int y = 0; y < t.height; y++) {
            const uint8_t *row = atlas->pixels + ((size_t)(y0 + y) * atlas->width + x0) * 4;
            t.pixels.insert(t.pixels.end(), row, row + (size_t)t.width * 4);
        }
        tiles->push_back(t);
    }
    OVI_FreeSequenceFrames(&seq);
    free(seq.name);
    return ok;
}

bool LoadDirectory(const std::string &dir, std::vector<Tile> *tiles)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return false;
    std::vector<std::string> names;
    while (struct dirent *e = readdir(d)) {
        std::string n = e->d_name;
        if (EndsWith(n, ".png") || EndsWith(n, ".tga"))
            names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    for (const std::string &n : names) {
        Tile t;
        if (!LoadImage(dir + "/" + n, &t)) {
            fprintf(Err(), "assetpack: %s/%s: cannot be read\n", dir.c_str(), n.c_str());
            return false;
        }
        tiles->push_back(t);
    }
    return true;
}

// The tile reduced to fit a cell (kept as it is when it fits).
Tile Fit(const Tile &t, int cell)
{
    if (t.width <= cell && t.height <= cell)
        return t;
    double s = std::min((double)cell / t.width, (double)cell / t.height);
    int w = std::max(1, (int)(t.width * s)), h = std::max(1, (int)(t.height * s));
    ov_bitmap_t src, dst;
    memset(&src, 0, sizeof src);
    memset(&dst, 0, sizeof dst);
    std::vector<uint8_t> copy = t.pixels;  // the resizer recolours transparent source pixels
    src.width = src.src_width = t.width;
    src.height = src.src_height = t.height;
    src.pixels = copy.data();
    Tile out;
    if (OVI_CreateImageResized(&dst, &src, w, h) && dst.pixels) {
        out.width = dst.width;
        out.height = dst.height;
        out.pixels.assign(dst.pixels, dst.pixels + (size_t)dst.width * dst.height * 4);
    }
    free(dst.pixels);
    return out;
}

}  // namespace

int ContactSheet(const std::string &out, const std::vector<std::string> &inputs)
{
    std::unique_ptr<EngineSession> session;
    std::vector<Tile> tiles;
    std::string dest = Absolute(out);
    for (size_t i = 0; i < inputs.size(); i++) {
        const std::string in = Absolute(inputs[i]);
        struct stat st;
        bool ok;
        if (stat(in.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            ok = LoadDirectory(in, &tiles);
        } else if (EndsWith(in, ".bms")) {
            if (!session) {
                session.reset(new EngineSession);
                if (!session->Start())
                    return 1;
            }
            ok = LoadSequence(session.get(), in, (int)i, &tiles);
        } else {
            Tile t;
            ok = LoadImage(in, &t);
            tiles.push_back(t);
        }
        if (!ok) {
            fprintf(Err(), "assetpack: %s: cannot be read\n", in.c_str());
            return 1;
        }
    }
    if (tiles.empty()) {
        fprintf(Err(), "assetpack: %s: no images for the sheet\n", out.c_str());
        return 1;
    }
    int cell = kMinCell;
    for (const Tile &t : tiles)
        cell = std::max(cell, std::max(t.width, t.height));
    cell = std::min(cell, kMaxCell);
    int n = (int)tiles.size(), cols, rows;
    for (;;) {
        cols = std::max(1, std::min(n, (kMaxWidth - kGap) / (cell + kGap)));
        rows = (n + cols - 1) / cols;
        if (rows * (cell + kGap) + kGap <= kMaxSide || cell <= kMinCell)
            break;
        cell -= 8;
    }
    const int w = cols * (cell + kGap) + kGap, h = std::min(kMaxSide, rows * (cell + kGap) + kGap);
    std::vector<uint8_t> px((size_t)w * h * 4);
    for (size_t i = 0; i < px.size(); i += 4)
        px[i] = px[i + 1] = px[i + 2] = 40, px[i + 3] = 255;
    for (int i = 0; i < n; i++) {
        int cx = kGap + (i % cols) * (cell + kGap), cy = kGap + (i / cols) * (cell + kGap);
        if (cy + cell > h)
            break;
        for (int y = 0; y < cell; y++)
            for (int x = 0; x < cell; x++) {
                uint8_t v = ((x / kChecker + y / kChecker) % 2) ? 150 : 110;
                uint8_t *p = &px[((size_t)(cy + y) * w + cx + x) * 4];
                p[0] = p[1] = p[2] = v;
            }
        Tile t = Fit(tiles[(size_t)i], cell);
        int ox = cx + (cell - t.width) / 2, oy = cy + (cell - t.height) / 2;
        for (int y = 0; y < t.height; y++)
            for (int x = 0; x < t.width; x++) {
                const uint8_t *s = &t.pixels[((size_t)y * t.width + x) * 4];
                uint8_t *p = &px[((size_t)(oy + y) * w + ox + x) * 4];
                for (int c = 0; c < 3; c++)
                    p[c] = (uint8_t)((s[c] * s[3] + p[c] * (255 - s[3]) + 127) / 255);
            }
    }
    ov_bitmap_t sheet;
    memset(&sheet, 0, sizeof sheet);
    sheet.width = sheet.src_width = w;
    sheet.height = sheet.src_height = h;
    sheet.pixels = px.data();
    std::string part = dest + ".part";
    if (!MakeParentDirs(dest) || !OVI_WritePNG(&sheet, part.c_str()) || rename(part.c_str(), dest.c_str()) != 0) {
        remove(part.c_str());
        fprintf(Err(), "assetpack: %s: cannot write\n", out.c_str());
        return 1;
    }
    printf("assetpack: %s: %d images, %d x %d\n", out.c_str(), n, w, h);
    return 0;
}

}  // namespace assetpack
