// The shelf packer of atlas.h: fit test, size search over power-of-two sizes, and
// pasting the bitmaps into the chosen atlas.
#include "gfx/atlas.h"

#include "gfx/pixels.h"
#include "core/ov_state.h"

#include <stdlib.h>
#include <string.h>

namespace {

enum { GAP = 2 };

int TallestHeight(ov_bitmap_t **list, int count)
{
    int h = 0;
    for (int i = 0; i < count; i++)
        if (list[i] && list[i]->height > h)
            h = list[i]->height;
    return h;
}

int NextPow2(int v)
{
    int p = 1;
    while (p < v && p < (1 << 30))
        p <<= 1;
    return p;
}

// Walks the layout; calls place(i, x, y) for each bitmap when given. False when it does not fit.
template <typename Place>
bool Layout(ov_bitmap_t **list, int count, int W, int H, Place place)
{
    int row_h = TallestHeight(list, count);
    if (count < 1 || !list[0] || H < row_h + 2 * GAP || W < list[0]->width + 2 * GAP)
        return false;
    long x = GAP, y = GAP;
    for (int i = 0; i < count; i++) {
        int w = list[i] ? list[i]->width : 0;
        if (x + w + GAP > W) {
            x = GAP;
            y += row_h + GAP;
        }
        if (x + w + GAP > W || y + row_h + GAP > H)
            return false;
        place(i, (int)x, (int)y);
        x += w + GAP;
    }
    return true;
}

void NoPlace(int, int, int)
{
}

}  // namespace

bool OVI_AtlasFits(ov_bitmap_t **list, int count, int W, int H)
{
    return list && Layout(list, count, W, H, NoPlace);
}

int OVI_PackBitmaps(ov_bitmap_t *atlas, ov_bitmap_t **list, int count)
{
    if (!atlas)
        return 0;
    free(atlas->pixels);
    free(atlas->name);
    OVI_InitBitmap(atlas, "");
    atlas->pack_mode = OV_NO_PADDING;
    if (!list || count < 1) {
        OV_Printf("WARNING: Failed to tile %d bitmaps into any atlas.\n", count);
        return 0;
    }
    for (int i = 0; i < count; i++) {
        if (!list[i] || !list[i]->pixels || list[i]->width < 0 || list[i]->height < 0) {
            OV_PrintDebugf(OV_WARNING, "OVI_PackBitmaps: bitmap #%d has no pixels.\n", i);
            return 0;
        }
    }
    double area = 0, pow2_area = 0;
    for (int i = 0; i < count; i++) {
        area += (double)list[i]->width * list[i]->height;
        pow2_area += (double)NextPow2(list[i]->width) * NextPow2(list[i]->height);
    }
    long best_area = 4194304;
    double best_ratio = 0;
    int best_w = 0, best_h = 0;
    for (int e = 10; e <= 11 && !best_w; e++) {
        for (int he = e - 5; he <= e; he++) {
            for (int we = e - 5; we <= e; we++) {
                int W = 1 << we, H = 1 << he;
                long a = (long)W * H;
                double ratio = (double)(W < H ? W : H) / (W < H ? H : W);
                if (a > best_area || (a == best_area && ratio < best_ratio))
                    continue;
                if (!OVI_AtlasFits(list, count, W, H))
                    continue;
                OV_Printf("Fits into %dx%d (%d %% full)\n", W, H, (int)(area / a * 100));
                best_area = a;
                best_ratio = ratio;
                best_w = W;
                best_h = H;
            }
        }
    }
    if (!best_w) {
        OV_Popupf(OV_WARNING,
                  "OVI_PackBitmaps unable to find large enough atlas size for %d bitmaps (first bm size %dx%d). All "
                  "bitmaps need to fit into 1024x1024 atlas for 100%% cross-platform compatibility.",
                  count, list[0]->width, list[0]->height);
        return 0;
    }
    OV_Printf("Choosing %dx%d, packing pixels... (ratio %.2f vs single images)\n", best_w, best_h, pow2_area / best_area);
    atlas->pixels = (uint8_t *)calloc((size_t)best_w * best_h, 4);
    if (!atlas->pixels) {
        OV_PrintDebugf(OV_WARNING, "OVI_PackBitmaps: out of memory for a %dx%d atlas.\n", best_w, best_h);
        return 0;
    }
    atlas->width = atlas->src_width = best_w;
    atlas->height = atlas->src_height = best_h;
    float fw = (float)best_w, fh = (float)best_h;
    Layout(list, count, best_w, best_h, [&](int i, int x, int y) {
        ov_bitmap_t *b = list[i];
        OVI_PasteBitmap(b, x, y, atlas);
        b->hw.u0 = x / fw;
        b->hw.v0 = y / fh;
        b->hw.u1 = (x + b->width) / fw;
        b->hw.v1 = (y + b->height) / fh;
        if (b->flags & OV_BITMAP_ALPHA)
            atlas->flags |= OV_BITMAP_ALPHA;
    });
    OVI_FixAlphaBleeding(atlas);
    OV_Printf("Successfully packed %d bitmaps into %dx%d atlas.\n", count, best_w, best_h);
    return 1;
}
