// The scaled copy of a large opaque picture: a backdrop drawn stretched over the screen
// is filtered texel by texel every frame, which a software rasteriser pays dearly for
// (most of an idle menu's frame). The renderer draws it once, exactly as it would land
// on the screen, into a texture of the screen's size, and from then on copies the
// covered pixels 1:1 from there with nearest sampling: the same pixels for a fraction
// of the cost. One copy is kept. It is made only once the same quad has been asked for
// twice in a row (a picture that moves or fades is drawn as before, not copied each
// frame), and forgotten as soon as anything it depends on changes: the source texture
// (deleted or uploaded again), the quad, the filter, the screen's size or placement.
#include "core/ov_state.h"
#include "core/services.h"
#include "gfx/rendimp-gles.h"
#include "gfx/transform.h"

#include <string.h>

extern bool ov_gles_render_targets_enabled;

namespace {

// What a copy depends on: the source texture, the quad's corners and texture
// coordinates, the filter and the screen size.
struct CopyKey {
    GLuint source = 0;
    float corners[4][4] = {};
    int filter = -1;
    int width = 0, height = 0;
    bool operator==(const CopyKey &o) const
    {
        return source == o.source && memcmp(corners, o.corners, sizeof corners) == 0 && filter == o.filter &&
               width == o.width && height == o.height;
    }
};

struct ScaledCopy {
    GLuint texture = 0, framebuffer = 0;
    int tex_width = 0, tex_height = 0;
    CopyKey made;        // the quad the texture holds (valid while `ready`)
    CopyKey candidate;   // the quad asked for last without a copy
    bool ready = false;
    int unused_frames = 0;     // frames begun since the copy was last drawn
    bool unavailable = false;  // the driver cannot make the target: never tried again
    ov_bitmap_t record;        // lets the batch draw the texture
};

ScaledCopy s_copy;

// Quads below this share of the screen are left alone: the copy would save little.
const float kMinScreenShare = 0.5f;

bool IsIdentity(const nTransform &t)
{
    nTransform identity = OVI_Identity();
    return memcmp(&t, &identity, sizeof t) == 0;
}

// The engine's corner order: top left, top right, bottom left, bottom right.
bool IsUprightRectangle(const ov_vertex_t *v)
{
    return v[0].y == v[1].y && v[2].y == v[3].y && v[0].x == v[2].x && v[1].x == v[3].x && v[0].x < v[1].x &&
           v[0].y < v[2].y && v[0].u == v[2].u && v[1].u == v[3].u && v[0].v == v[1].v && v[2].v == v[3].v;
}

// True when the quad covers a different number of pixels than of texels (scaled).
bool IsScaled(const ov_bitmap_t *b, const ov_vertex_t *v)
{
    float texels_x = (v[1].u - v[0].u) * (float)b->hw.tex_width;
    float texels_y = (v[2].v - v[0].v) * (float)b->hw.tex_height;
    float pixels_x = v[1].x - v[0].x, pixels_y = v[2].y - v[0].y;
    return texels_x != pixels_x || texels_y != pixels_y;
}

void DeleteCopy()
{
    if (s_copy.framebuffer)
        ovgl.DeleteFramebuffersOES(1, &s_copy.framebuffer);
    if (s_copy.texture) {
        ovgl.DeleteTextures(1, &s_copy.texture);
        if (br.texture == s_copy.texture)
            br.texture_valid = false;
    }
    s_copy.texture = s_copy.framebuffer = 0;
    s_copy.tex_width = s_copy.tex_height = 0;
    s_copy.ready = false;
}

}  // namespace

void RendImpOpenGLES::ForgetScaledCopy(GLuint source)
{
    if (source == 0) {
        Flush();
        DeleteCopy();
        s_copy.candidate = CopyKey();
        s_copy.unavailable = false;
        return;
    }
    if (s_copy.made.source == source)
        s_copy.ready = false;
    if (s_copy.candidate.source == source)
        s_copy.candidate = CopyKey();
}

void RendImpOpenGLES::AgeScaledCopy()
{
    // Kept only while drawn: the memory goes back once the backdrop is gone (a battle
    // has no use for it).
    if (s_copy.texture && ++s_copy.unused_frames > 2) {
        Flush();
        DeleteCopy();
    }
}

// A texture of the screen's size with its framebuffer; false when the driver has none.
bool RendImpOpenGLES::MakeScaledCopyTarget(int w, int h)
{
    if (s_copy.texture && s_copy.tex_width >= w && s_copy.tex_height >= h)
        return true;
    DeleteCopy();
    if (!ov_gles_render_targets_enabled || !OVGL_HasFramebufferObjects())
        return false;
    int tw = w, th = h;
    if (!gl_caps.npot) {
        for (tw = 1; tw < w; tw <<= 1) {
        }
        for (th = 1; th < h; th <<= 1) {
        }
    }
    // Four channels: a three-channel texture drawn with the opaque blend takes its alpha
    // from the vertices, which costs a software rasteriser more per pixel.
    ovgl.GenTextures(1, &s_copy.texture);
    ovgl.BindTexture(GL_TEXTURE_2D, s_copy.texture);
    br.texture_valid = false;
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    ovgl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    ovgl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ovgl.GenFramebuffersOES(1, &s_copy.framebuffer);
    ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, s_copy.framebuffer);
    ovgl.FramebufferTexture2DOES(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, s_copy.texture, 0);
    const bool complete = ovgl.CheckFramebufferStatusOES(GL_FRAMEBUFFER_OES) == GL_FRAMEBUFFER_COMPLETE_OES;
    SetRenderTarget(nullptr);
    if (!complete) {
        DeleteCopy();
        s_copy.unavailable = true;
        return false;
    }
    s_copy.tex_width = tw;
    s_copy.tex_height = th;
    memset(&s_copy.record, 0, sizeof s_copy.record);
    s_copy.record.hw.uploaded = 1;
    s_copy.record.hw.texture = s_copy.texture;
    s_copy.record.hw.tex_width = tw;
    s_copy.record.hw.tex_height = th;
    s_copy.record.hw.filter = 0;
    return true;
}

bool RendImpOpenGLES::DrawScaledCopy(ov_bitmap_t *b, ov_vertex_t *four)
{
    const int w = ov_device_info.width, h = ov_device_info.height;
    // Only where the copy lands on exactly the pixels the quad would: the screen itself,
    // unscaled and unclipped, at the screen plane, without any transform.
    if (s_copy.unavailable || !b || !b->hw.texture || ov_state.render_target || scissor_on || depth_test || letterboxed ||
        ov_state.eye_mode != 0 || w <= 0 || h <= 0 || picture_w != w || picture_h != h ||
        !IsIdentity(OV_PeekTransform()) || !IsUprightRectangle(four) || !IsScaled(b, four))
        return false;
    for (int i = 0; i < 4; i++)
        if (four[i].z != screen_plane)
            return false;
    const float x0 = four[0].x < 0 ? 0 : four[0].x, y0 = four[0].y < 0 ? 0 : four[0].y;
    const float x1 = four[1].x > (float)w ? (float)w : four[1].x, y1 = four[2].y > (float)h ? (float)h : four[2].y;
    if (x1 <= x0 || y1 <= y0 || (x1 - x0) * (y1 - y0) < kMinScreenShare * (float)w * (float)h)
        return false;

    CopyKey key;
    key.source = b->hw.texture;
    for (int i = 0; i < 4; i++) {
        key.corners[i][0] = four[i].x;
        key.corners[i][1] = four[i].y;
        key.corners[i][2] = four[i].u;
        key.corners[i][3] = four[i].v;
    }
    key.filter = ov_state.pixel_filter;
    key.width = w;
    key.height = h;

    if (!(s_copy.ready && s_copy.made == key)) {
        // Asked for once: drawn as it is. Asked for again unchanged: worth a copy.
        if (!(s_copy.candidate == key)) {
            s_copy.candidate = key;
            return false;
        }
        if (!MakeScaledCopyTarget(w, h))
            return false;
        // Drawn into the copy as it would be onto the screen: same size, projection and
        // state, so the same pixels.
        Flush();
        ovgl.BindFramebufferOES(GL_FRAMEBUFFER_OES, s_copy.framebuffer);
        ovgl.Viewport(0, 0, w, h);
        DrawQuad(b, four);
        Flush();
        SetRenderTarget(nullptr);
        s_copy.made = key;
        s_copy.ready = true;
    }

    // The covered pixels, texel for pixel. The texture's rows run from the screen's
    // bottom (GL's origin) up.
    ov_vertex_t quad[4];
    memcpy(quad, four, sizeof quad);
    const float xs[2] = {x0, x1}, ys[2] = {y0, y1};
    for (int i = 0; i < 4; i++) {
        quad[i].x = xs[i & 1];
        quad[i].y = ys[i >> 1];
        quad[i].u = quad[i].x / (float)s_copy.tex_width;
        quad[i].v = ((float)h - quad[i].y) / (float)s_copy.tex_height;
    }
    const int filter = ov_state.pixel_filter;
    ov_state.pixel_filter = 0;
    DrawQuad(&s_copy.record, quad);
    ov_state.pixel_filter = filter;
    s_copy.unused_frames = 0;
    return true;
}
