// Fitting a picture onto a surface with its aspect kept (see picture_fit.h).
#include "platform/picture_fit.h"

#include <algorithm>

namespace ovdev {
namespace {

// v (a surface offset into a span of span pixels) as a position among size pixels.
int ToPicture(int v, int span, int size) {
    if (span <= 0 || size <= 0) return 0;
    const long long scaled = static_cast<long long>(v) * size / span;
    return static_cast<int>(std::clamp<long long>(scaled, 0, size - 1));
}

}  // namespace

PictureRect FitPicture(int picture_w, int picture_h, int surface_w, int surface_h) {
    PictureRect r;
    if (picture_w <= 0 || picture_h <= 0 || surface_w <= 0 || surface_h <= 0) return r;
    // Compare the aspects in integers: the picture fills the width when it is the wider
    // of the two (picture_w / picture_h >= surface_w / surface_h), else the height.
    const long long wide = static_cast<long long>(picture_w) * surface_h;
    const long long tall = static_cast<long long>(surface_w) * picture_h;
    if (wide >= tall) {
        r.width = surface_w;
        r.height = static_cast<int>(std::max(1LL, static_cast<long long>(surface_w) * picture_h / picture_w));
    } else {
        r.height = surface_h;
        r.width = static_cast<int>(std::max(1LL, static_cast<long long>(surface_h) * picture_w / picture_h));
    }
    r.x = (surface_w - r.width) / 2;
    r.y = (surface_h - r.height) / 2;
    return r;
}

void SurfaceToPicture(const PictureRect &rect, int picture_w, int picture_h, int surface_x, int surface_y,
                      int *picture_x, int *picture_y) {
    *picture_x = ToPicture(surface_x - rect.x, rect.width, picture_w);
    *picture_y = ToPicture(surface_y - rect.y, rect.height, picture_h);
}

}  // namespace ovdev
