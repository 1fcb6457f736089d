// Where a window's picture lies on a surface of another size: scaled as large as it
// fits with its aspect kept and centred, the rest of the surface left as bars. The
// renderer draws into that rectangle and pointer positions on the surface are mapped
// back through it, so that both agree on every pixel.
#ifndef OVDEV_PICTURE_FIT_H
#define OVDEV_PICTURE_FIT_H

namespace ovdev {

// A rectangle on the surface, in pixels from its top-left corner.
struct PictureRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The rectangle a picture of picture_w x picture_h takes on a surface of surface_w x
// surface_h: the whole surface when the sizes are equal; an empty rectangle when any
// size is not positive.
PictureRect FitPicture(int picture_w, int picture_h, int surface_w, int surface_h);

// Maps a surface position into the picture's own pixels (0..picture_w - 1,
// 0..picture_h - 1); positions on the bars go to the nearest edge of the picture.
void SurfaceToPicture(const PictureRect &rect, int picture_w, int picture_h, int surface_x, int surface_y,
                      int *picture_x, int *picture_y);

}  // namespace ovdev

#endif
