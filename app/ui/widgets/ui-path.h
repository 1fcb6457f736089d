// The path (type 6, "path." properties): a polyline of points relative to the
// component's static position. It answers where a thing travelling d units along it is
// and which way it faces, straight along the segments or with rounded corners, and which
// point lies nearest to a screen position. Drawn and edited only in the UI edit mode.
// Not interactive by default.
#ifndef APP_UI_WIDGETS_UI_PATH_H
#define APP_UI_WIDGETS_UI_PATH_H

#include "app/ui/widgets/ui-comp-kind.h"
#include "narray.h"

class UICompPath : public UICompKind<UICompPath, UICOMP_PATH, false> {
public:
    struct point_t {
        float x = 0, y = 0;                 // relative to the static position, unscaled
        float dir_x = 0, dir_y = 0;         // unit direction to the next point
        float corner_x = 0, corner_y = 0;   // neighbours' midpoint minus this point
        float distance = 0;                 // path length from the first point
    };

    UICompPath();
    // Frees the point block (the array's own destructor).
    ~UICompPath() override = default;

    // Edit mode only: segments, a probe, the rounded path and the points.
    void Draw() override;
    // Directions, distances and corner vectors of every point.
    void Precalculate() override;
    void EditUpdate(float dt) override;   // nothing
    // Keys move, remove and delete points; a click selects or inserts one; a drag
    // with the pointer button held moves the selected point. 1 when used.
    int EditProcessEvent(ov_event_t *event) override;
    void ExportOwn(FILE *f, const UICompPath &t);
    int GetOwnProperty(const char *name, lua_State *L);
    int SetOwnProperty(const char *name, lua_State *L);
    void InheritOwn(const UICompPath &t);

    void AddPoint(vec2_t p);
    void AddPointAtIndex(vec2_t p, int index);
    int GetNumberOfPoints() const { return points.Count(); }
    // The last point's distance; 0 for an empty path.
    float GetLength() const;
    // The position d units along (smooth: rounded corners), in screen units relative
    // to the static position; (0, 0) for an empty path.
    vec2_t GetPos(int smooth, float d);
    // The heading at d: atan2 of GetPos(d + 5) - GetPos(d - 5).
    float GetAngle(int smooth, float d);
    // The index of the point nearest to p (screen units), when closer than 6 / dynamic
    // scale; -1 otherwise or without points.
    int GetPointAt(vec2_t p);

    int selected_point = -1;
    nArray<point_t> points;

private:
    vec2_t EditPoint(const ov_event_t *event);
};

#endif
