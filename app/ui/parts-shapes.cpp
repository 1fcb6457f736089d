// Shapes of bitmaps for bitmap-shaped emission: the opaque (inner) pixels and the edge
// pixels of a bitmap whose RGBA pixels are held in memory.
#include "app/ui/parts.h"

#include "ovrecords.h"

namespace {

bool HasPixels(const ov_bitmap_t *b)
{
    return b && b->pixels && b->src_width > 0 && b->src_height > 0;
}

int AlphaAt(const ov_bitmap_t *b, long index)
{
    return b->pixels[index * 4 + 3];
}

bool IsEdge(const ov_bitmap_t *b, int col, int row)
{
    long w = b->src_width;
    long i = row * w + col;
    // Row-major neighbours: the first and last column look into the rows beside.
    int lr = (AlphaAt(b, i - 1) - 128) * (AlphaAt(b, i + 1) - 128);
    int ud = (AlphaAt(b, i - w) - 128) * (AlphaAt(b, i + w) - 128);
    return lr < 0 || ud < 0;
}

// Visits the edge pixels in row-major order; writes their points when out is given.
int EdgePoints(ov_bitmap_t *b, part_point_t *out, bool centred)
{
    if (!HasPixels(b))
        return 0;
    int n = 0;
    long pw = b->src_width, ph = b->src_height;
    int hx = centred ? b->width / 2 : 0, hy = centred ? b->height / 2 : 0;
    for (int row = 1; row <= ph - 2; row++) {
        for (int col = 0; col < pw; col++) {
            if (!IsEdge(b, col, row))
                continue;
            if (out) {
                out[n].x = (int16_t)((int16_t)(col * (long)b->width / pw) - hx);
                out[n].y = (int16_t)((int16_t)(row * (long)b->height / ph) - hy);
            }
            n++;
        }
    }
    return n;
}

}  // namespace

int GetNumberOfInnerPoints(ov_bitmap_t *bitmap)
{
    if (!HasPixels(bitmap))
        return 0;
    long total = (long)bitmap->src_width * bitmap->src_height;
    int n = 0;
    for (long i = 0; i < total; i++)
        if (AlphaAt(bitmap, i) != 0)
            n++;
    return n;
}

bool GetInnerPoint(ov_bitmap_t *bitmap, int k, part_point_t *point)
{
    if (!HasPixels(bitmap) || k < 0)
        return false;
    long total = (long)bitmap->src_width * bitmap->src_height;
    for (long i = 0; i < total; i++) {
        if (AlphaAt(bitmap, i) == 0)
            continue;
        if (k-- == 0) {
            point->x = (int16_t)(i % bitmap->src_width);
            point->y = (int16_t)(i / bitmap->src_width);
            return true;
        }
    }
    return false;
}

int GetNumberOfEdgePoints(ov_bitmap_t *bitmap)
{
    return EdgePoints(bitmap, nullptr, false);
}

int GetEdgePoints(ov_bitmap_t *bitmap, part_point_t *points)
{
    return EdgePoints(bitmap, points, false);
}

int GetEdgePointsCentered(ov_bitmap_t *bitmap, part_point_t *points)
{
    return EdgePoints(bitmap, points, true);
}
