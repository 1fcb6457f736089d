// Drawing particles: the system's pass and the three drawing functions a particle can
// carry (bitmap, text, trail). Positions are drawn relative to the camera, times the
// system's scale.
#include "app/ui/parts.h"

vec2_t pman_cam = {0, 0};
float pman_scale = 1;
float pman_alpha = 1;

namespace {

// The point of life: age over lifetime; a lifetime of 0 or less counts as the end.
float LifePoint(const part_t *p)
{
    return p->lifetime > 0 ? p->age / p->lifetime : 1.0f;
}

vec2_t ScreenPos(float x, float y)
{
    return vec2_t{(x - pman_cam.x) * pman_scale, (y - pman_cam.y) * pman_scale};
}

float Angle(const part_t *p, float t)
{
    return p->start_angle * (1.0f - t) + p->end_angle * t;
}

float Alpha(const part_t *p, float t)
{
    return pman_alpha * p->alpha * PartGraphValue(p->alpha_graph, t);
}

float Scale(const part_t *p, float t)
{
    return PartGraphValue(p->scale_graph, t) * p->scale * pman_scale;
}

}  // namespace

void PartMan::DrawParts()
{
    pman_cam = vec2_t{reference_scale * cam_x, reference_scale * cam_y};
    pman_scale = scale;
    pman_alpha = alpha;
    ov->OV_SetBlend(0);
    ov->OV_SetColor(1, 1, 1);
    for (part_t *p = FirstLive(); p; p = NextLive(p))
        if (p->age >= 0 && p->draw_func)
            p->draw_func(p);
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetBlend(0);
    ov->OV_SetTextAlign(0);
    ov->OV_SetAlpha(1);
}

void PMAN_Draw_Normal(part_t *p)
{
    float t = LifePoint(p);
    ov->OV_SetBlend(p->blend_mode);
    ov->OV_SetColor(p->r, p->g, p->b);
    ov->OV_SetAlpha(Alpha(p, t));
    vec2_t at = ScreenPos(p->x, p->y);
    ov->OV_DrawBitmapRS(p->bitmap, at.x, at.y, Angle(p, t), Scale(p, t));
}

void PMAN_Draw_Text(part_t *p)
{
    float t = LifePoint(p);
    ov->OV_SetBlend(p->blend_mode);
    ov->OV_SetTextAlign(12);
    ov->OV_SetColor(p->r, p->g, p->b);
    ov->OV_SetAlpha(Alpha(p, t));
    float s = Scale(p, t);
    ov->OV_SetTextTransform(s, s, Angle(p, t));
    vec2_t at = ScreenPos(p->x, p->y);
    ov->OV_DrawTextf(p->font, at.x, at.y, "%s", p->text ? p->text : "");
    ov->OV_SetTextTransform(1, 1, 0);
}

void PMAN_Draw_Trail(part_t *p)
{
    float t = LifePoint(p);
    ov->OV_SetBlend(p->blend_mode);
    float a = Alpha(p, t);
    vec2_t head = ScreenPos(p->x, p->y);
    vec2_t tail = ScreenPos(p->trail_x, p->trail_y);
    float w = p->trail_width * pman_scale;
    color_t c0 = {p->r, p->g, p->b, a * pman_alpha * p->trail_alpha};
    color_t c1 = {p->r, p->g, p->b, a};
    ov->OV_DrawBitmapLine(p->bitmap, &head, &tail, w, w, &c0, &c1);
}
