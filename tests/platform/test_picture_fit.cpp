// Fitting the window's picture onto a surface of another size, and mapping surface
// positions back into it.
#include <gtest/gtest.h>

#include <vector>

#include "platform/picture_fit.h"

namespace {

using ovdev::FitPicture;
using ovdev::PictureRect;
using ovdev::SurfaceToPicture;

struct FitCase {
    int picture_w, picture_h, surface_w, surface_h;
    int x, y, width, height;
};

TEST(PictureFit, KeepsTheAspectAndCentres) {
    const FitCase cases[] = {
        {1024, 600, 1024, 600, 0, 0, 1024, 600},     // a window of the buffer's size
        {1024, 600, 1920, 1080, 38, 0, 1843, 1080},  // wider monitor: bars left and right
        {1024, 600, 1280, 1024, 0, 137, 1280, 750},  // squarer monitor: bars above and below
        {1024, 600, 2048, 1200, 0, 0, 2048, 1200},   // the same aspect: no bars
        {600, 1024, 1920, 1080, 644, 0, 632, 1080},  // a portrait picture
        {1024, 600, 3, 1, 1, 0, 1, 1},               // never narrower than one pixel
        {1024, 600, 0, 600, 0, 0, 0, 0},             // no surface
        {0, 600, 1920, 1080, 0, 0, 0, 0},            // no picture
    };
    for (const FitCase &c : cases) {
        const PictureRect r = FitPicture(c.picture_w, c.picture_h, c.surface_w, c.surface_h);
        EXPECT_EQ((std::vector<int>{r.x, r.y, r.width, r.height}), (std::vector<int>{c.x, c.y, c.width, c.height}))
            << c.picture_w << "x" << c.picture_h << " on " << c.surface_w << "x" << c.surface_h;
    }
}

TEST(PictureFit, SurfacePositionsMapIntoThePictureAndBarsToItsEdge) {
    const PictureRect r = FitPicture(1024, 600, 1920, 1080);
    struct Point {
        int sx, sy, px, py;
    };
    const Point points[] = {
        {38, 0, 0, 0},          // the picture's first pixel
        {1880, 1079, 1023, 599}, // its last
        {959, 540, 511, 300},   // the middle
        {0, 0, 0, 0},           // left bar
        {37, 700, 0, 388},
        {1881, 700, 1023, 388}, // right bar
        {1919, -5, 1023, 0},    // off the surface
    };
    for (const Point &p : points) {
        int x = -1, y = -1;
        SurfaceToPicture(r, 1024, 600, p.sx, p.sy, &x, &y);
        EXPECT_EQ(x, p.px) << p.sx << "," << p.sy;
        EXPECT_EQ(y, p.py) << p.sx << "," << p.sy;
    }
    // Every picture pixel's left edge on the surface maps back to that pixel.
    for (int px = 0; px < 1024; px++) {
        const int sx = r.x + (px * r.width + 1023) / 1024;
        int x = -1, y = -1;
        SurfaceToPicture(r, 1024, 600, sx, 0, &x, &y);
        ASSERT_EQ(x, px) << "surface x " << sx;
    }
}

}  // namespace
