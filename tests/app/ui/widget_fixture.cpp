// The widget tests' helpers (see widget_fixture.h).
#include "tests/app/ui/widget_fixture.h"

#include "app/ui/ui-comps.h"
#include "gfx/gl-table.h"
#include "ovrecords.h"
#include "core/ov_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace widgettest {

namespace {

bool WritePngFile(const std::string &path, int w, int h, const std::vector<unsigned char> &rgba)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    // Test pictures and fixture images are written often and read seldom: the fastest
    // compression (a full-screen shot at the default level took most of a test's time).
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_SUB);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; y++)
        png_write_row(png, (png_bytep)&rgba[(size_t)y * w * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(f) == 0;
}

std::string ResPath(const std::string &name)
{
    std::string path = "app/native/" + name;
    std::string cmd = "mkdir -p '" + path.substr(0, path.rfind('/')) + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
    return path;
}

void PutLe32(std::vector<unsigned char> &v, uint32_t x)
{
    for (int i = 0; i < 4; i++)
        v.push_back((unsigned char)(x >> (8 * i)));
}

void PutFloat(std::vector<unsigned char> &v, float f)
{
    uint32_t u;
    memcpy(&u, &f, 4);
    PutLe32(v, u);
}

}  // namespace

void WritePng(const std::string &name, int w, int h, const std::function<Rgba(int, int)> &colour)
{
    std::vector<unsigned char> rgba((size_t)w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const Rgba c = colour(x, y);
            for (int k = 0; k < 4; k++)
                rgba[((size_t)y * w + x) * 4 + k] = (unsigned char)c[k];
        }
    ASSERT_TRUE(WritePngFile(ResPath(name), w, h, rgba));
}

void WriteBms(const std::string &name, int w, int h, const std::vector<Rgba> &colours, const std::vector<int> &stamps,
              float rate)
{
    const int n = (int)colours.size();
    const int aw = w * n;
    std::vector<unsigned char> atlas((size_t)aw * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < aw; x++)
            for (int k = 0; k < 4; k++)
                atlas[((size_t)y * aw + x) * 4 + k] = (unsigned char)colours[x / w][k];
    const std::string png_path = ResPath(name + ".atlas.png");
    ASSERT_TRUE(WritePngFile(png_path, aw, h, atlas));
    FILE *pf = fopen(png_path.c_str(), "rb");
    ASSERT_NE(pf, nullptr);
    std::vector<unsigned char> png;
    int c;
    while ((c = fgetc(pf)) != EOF)
        png.push_back((unsigned char)c);
    fclose(pf);
    remove(png_path.c_str());

    std::vector<unsigned char> v((const unsigned char *)"OV_Bm_Seq_v1", (const unsigned char *)"OV_Bm_Seq_v1" + 13);
    PutLe32(v, (uint32_t)n);
    v.insert(v.end(), {'R', 'G', 'B', 'A'});
    const char chunk[8] = {'A', 'T', 'L', 'A', 'S', 0, 0, 0};
    v.insert(v.end(), chunk, chunk + 8);
    PutLe32(v, 0);
    for (int i = 0; i < n; i++) {
        PutLe32(v, (uint32_t)w);
        PutLe32(v, (uint32_t)h);
        PutLe32(v, (uint32_t)stamps[i]);
        PutFloat(v, rate);
        PutFloat(v, (float)i / (float)n);
        PutFloat(v, 0.0f);
        PutFloat(v, (float)(i + 1) / (float)n);
        PutFloat(v, 1.0f);
    }
    v.insert(v.end(), {'P', 'N', 'G', 0});
    PutLe32(v, (uint32_t)png.size());
    v.insert(v.end(), png.begin(), png.end());
    FILE *f = fopen(ResPath(name).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fwrite(v.data(), 1, v.size(), f), v.size());
    ASSERT_EQ(fclose(f), 0);
}

void InstallFonts()
{
    const char *const fonts[] = {"fonts/medium.mft", "fonts/small.mft", "fonts/large.mft", "fonts/title.mft"};
    for (const char *font : fonts) {
        const std::string to = ResPath(font);
        const std::string cmd = std::string("cp '") + ORVEX_APP_NATIVE_DIR + "/" + font + "' '" + to + "'";
        ASSERT_EQ(system(cmd.c_str()), 0) << font << " is missing from the build's app/native";
    }
}

Rgba Frame::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= w || y >= h)
        return {-1, -1, -1, -1};
    const unsigned char *p = &px[((size_t)y * w + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

Frame ReadFrame()
{
    Frame f;
    f.w = ov_device_info.width;
    f.h = ov_device_info.height;
    std::vector<unsigned char> up((size_t)f.w * f.h * 4);
    ovgl.ReadPixels(0, 0, f.w, f.h, GL_RGBA, GL_UNSIGNED_BYTE, up.data());
    f.px.resize(up.size());
    for (int y = 0; y < f.h; y++)
        memcpy(&f.px[(size_t)y * f.w * 4], &up[(size_t)(f.h - 1 - y) * f.w * 4], (size_t)f.w * 4);
    return f;
}

std::array<int, 4> LitBox(const Frame &f, int x0, int y0, int x1, int y1, const std::function<bool(const Rgba &)> &lit)
{
    std::array<int, 4> box = {-1, -1, -1, -1};
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            if (!lit(f.At(x, y)))
                continue;
            if (box[0] < 0) {
                box = {x, y, x, y};
                continue;
            }
            box[0] = std::min(box[0], x);
            box[1] = std::min(box[1], y);
            box[2] = std::max(box[2], x);
            box[3] = std::max(box[3], y);
        }
    return box;
}

// The picture is what the display shows: opaque. The framebuffer's alpha is no part of
// it (blending lowers it wherever something translucent was drawn, and a picture that
// kept it showed a dark veil as light grey over a viewer's white background).
bool SavePng(const Frame &f, const std::string &path)
{
    std::vector<unsigned char> opaque = f.px;
    for (size_t i = 3; i < opaque.size(); i += 4)
        opaque[i] = 255;
    return WritePngFile(path, f.w, f.h, opaque);
}

std::string Export(UIComp *comp)
{
    FILE *f = tmpfile();
    if (!f)
        return "";
    comp->ExportLua(f);
    std::string out;
    rewind(f);
    int c;
    while ((c = fgetc(f)) != EOF)
        out.push_back((char)c);
    fclose(f);
    return out;
}

}  // namespace widgettest
