// Built-in script functions that change a bitmap's pixels in memory: blur, sepia and
// black-and-white, and the size test of "OV_CopyBitmap".
//
// They work on the pixel data (four bytes a pixel; the fourth is never changed) at its
// own size, which a data manifest's drawing size does not change, and give false when
// the bitmap keeps no pixels in memory. The texture is not uploaded again.
#include "app/services/luaman-builtins.h"

#include "ovrecords.h"

namespace {

// The bitmap's pixels when it has some in memory at a size of at least 1 x min_height.
uint8_t *Pixels(ov_bitmap_t *b, int min_height)
{
    if (!b || !b->pixels || b->src_width < 1 || b->src_height < min_height)
        return nullptr;
    return b->pixels;
}

// The keep argument as a weight of the old colour (0..255) and of the new one.
void Weights(lua_State *L, int *keep, int *change)
{
    double k = lua_tonumber(L, 2);
    k = k > 0.0 ? (k < 1.0 ? k : 1.0) : 0.0;
    *keep = (int)(k * 255);
    *change = 255 - *keep;
}

}  // namespace

int luaf_OV_BlurBitmap(lua_State *L)
{
    ov_bitmap_t *b = ov->OV_GetBitmap(lua_tostring(L, 1));
    uint8_t *p = Pixels(b, 2);
    if (!p) {
        lua_pushboolean(L, 0);
        return 1;
    }
    const int w = b->src_width, h = b->src_height;
    const long row = (long)w * 4;
    // Each result is written back at once: later pixels see earlier results.
    if (w > 2) {
        for (int x = 1; x <= w - 2; x++) {
            uint8_t *c = p + (long)x * 4;
            for (int k = 0; k < 3; k++)
                c[k] = (uint8_t)((c[k - 4] + c[k + 4] + c[k] + c[k + row]) >> 2);
        }
    }
    for (int x = 1; x <= w - 2; x++) {
        uint8_t *c = p + (long)(h - 1) * row + (long)x * 4;
        for (int k = 0; k < 3; k++)
            c[k] = (uint8_t)((c[k + 4] + c[k - 4] + c[k - row] + c[k]) >> 2);
    }
    // The rows between, in memory order: the first and last pixel of a row take the
    // neighbouring pixels in memory (the end of the row above, the start of the next).
    for (long i = w; i < (long)w * (h - 1); i++) {
        uint8_t *c = p + i * 4;
        for (int k = 0; k < 3; k++)
            c[k] = (uint8_t)((c[k + 4] + c[k - 4] + c[k - row] + c[k + row]) >> 2);
    }
    lua_pushboolean(L, 1);
    return 1;
}

int luaf_OV_CopyBitmap(lua_State *L)
{
    ov_bitmap_t *a = ov->OV_GetBitmap(lua_tostring(L, 1));
    ov_bitmap_t *b = ov->OV_GetBitmap(lua_tostring(L, 2));
    bool same = Pixels(a, 1) && Pixels(b, 1) && a->src_width == b->src_width && a->src_height == b->src_height;
    lua_pushboolean(L, same);
    return 1;
}

int luaf_OV_BitmapColorSepia(lua_State *L)
{
    ov_bitmap_t *b = ov->OV_GetBitmap(lua_tostring(L, 1));
    uint8_t *p = Pixels(b, 1);
    if (!p) {
        lua_pushboolean(L, 0);
        return 1;
    }
    int keep, change;
    Weights(L, &keep, &change);
    long n = (long)b->src_width * b->src_height;
    for (long i = 0; i < n; i++, p += 4) {
        int avg = (p[0] + p[1] + p[2]) / 3;
        int tone[3] = {avg + 20 < 255 ? avg + 20 : 255, avg + 8 < 255 ? avg + 8 : 255, avg - 15 > 0 ? avg - 15 : 0};
        for (int k = 0; k < 3; k++)
            p[k] = (uint8_t)((change * tone[k] + keep * p[k]) >> 8);
    }
    lua_pushboolean(L, 1);
    return 1;
}

int luaf_OV_BitmapColorBlackAndWhite(lua_State *L)
{
    ov_bitmap_t *b = ov->OV_GetBitmap(lua_tostring(L, 1));
    uint8_t *p = Pixels(b, 1);
    if (!p) {
        lua_pushboolean(L, 0);
        return 1;
    }
    int keep, change;
    Weights(L, &keep, &change);
    long n = (long)b->src_width * b->src_height;
    for (long i = 0; i < n; i++, p += 4) {
        int avg = (p[0] + p[1] + p[2]) / 3;
        for (int k = 0; k < 3; k++)
            p[k] = (uint8_t)((keep * p[k] + change * avg) >> 8);
    }
    lua_pushboolean(L, 1);
    return 1;
}
