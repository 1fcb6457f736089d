// The obstacle editor screen (see obstacle-editor.h).
#include "tools/obstacle-editor.h"

#include "app/services/dataman.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "ovrecords.h"
#include "tools/dev-edits.h"
#include "tools/obstacle-editor-outline.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

enum { KEY_BACK = 8, KEY_LEFT = 37, KEY_UP = 38, KEY_RIGHT = 39, KEY_DOWN = 40 };

const char kUnableToSave[] = "Unable to open file for saving";

}  // namespace

ScreenObstacleEditor::ScreenObstacleEditor() : Screen("ObstacleEditor") {}

ScreenObstacleEditor::~ScreenObstacleEditor()
{
    free(working.edges);
    // The name and bitmap belong to the shared type.
    working.edges = nullptr;
    working.name = nullptr;
    working.bitmap = nullptr;
}

bool ScreenObstacleEditor::PreLoad()
{
    LoadUI("ui/obstacle-editor.lua");
    return true;
}

void ScreenObstacleEditor::Enter()
{
    obstacle_list = dman().GetDatabase("terrain/assets.xml")->GetArray("obstacles");
    if (!obstacle_list || obstacle_list->GetSize() == 0) {
        SetFeedback("");
        return;
    }
    SetObstacle(0);
}

void ScreenObstacleEditor::SetFeedback(const char *text)
{
    sman.SetText(GetComp("Feedback"), "%s", text ? text : "");
}

void ScreenObstacleEditor::TempToObstacle()
{
    free(working.edges);
    working.edges = nullptr;
    working.num_edges = num_vertices;
    if (num_vertices == 0)
        return;
    working.edges = (ObstacleEdge *)calloc((size_t)num_vertices, sizeof(ObstacleEdge));
    for (int i = 0; i < num_vertices; i++) {
        working.edges[i].p0 = vertices[i];
        working.edges[i].p1 = vertices[(i + 1) % num_vertices];
    }
}

void ScreenObstacleEditor::SetObstacle(int i)
{
    if (!obstacle_list || obstacle_list->GetSize() == 0)
        return;
    int count = obstacle_list->GetSize();
    index = i < 0 ? 0 : (i >= count ? count - 1 : i);
    ObstacleType *type = ObstacleType::GetObstacleType(obstacle_list->GetNodeValue(index, "obstacle"));

    // Empty first: a type that cannot be edited leaves nothing of the one before.
    num_vertices = 0;
    selected = -1;
    editable = false;
    working.name = nullptr;
    working.bitmap = nullptr;
    working.hit_points = 100.0f;
    working.radius = 0.0f;
    TempToObstacle();
    if (!type) {
        sman.SetText(GetComp("ObstacleInfo"), "%d/%d: '%s'\n", index + 1, count, "");
        return;
    }
    if (type->num_edges > MAX_VERTICES) {
        char text[96];
        snprintf(text, sizeof text, "Obstacle has %d edges; only %d can be edited", (int)type->num_edges,
                 (int)MAX_VERTICES);
        SetFeedback(text);
        sman.SetText(GetComp("ObstacleInfo"), "%d/%d: '%s'\n", index + 1, count, type->name ? type->name : "");
        return;
    }
    working.name = type->name;
    working.bitmap = type->bitmap;
    working.hit_points = type->hit_points;
    working.radius = type->radius;
    for (int e = 0; e < type->num_edges; e++)
        vertices[e] = type->edges[e].p0;
    num_vertices = type->num_edges;
    editable = true;
    TempToObstacle();
    sman.SetText(GetComp("ObstacleInfo"), "%d/%d: '%s'\n", index + 1, count, type->name ? type->name : "");
}

int ScreenObstacleEditor::ComputeZoom()
{
    UIComp *limits = GetComp("GridLimits");
    const ov_bitmap_t *b = working.bitmap;
    if (!limits || !b || b->width <= 0 || b->height <= 0)
        return 1;
    int zh = (int)(limits->height / (float)b->height);
    int zw = (int)(limits->width / (float)b->width);
    int z = zh < zw ? zh : zw;
    return z < 1 ? 1 : z;
}

void ScreenObstacleEditor::Update(float dt)
{
    Screen::Update(dt);
    grid_centre = sman.GetStaticPos(GetComp("GridCenter"));
}

void ScreenObstacleEditor::Draw(float)
{
    DrawUI();
    float fade = trans_phase;
    ov->OV_SetAlpha(fade);
    zoom = ComputeZoom();
    vec2_t c = grid_centre;
    if (working.bitmap) {
        ov->OV_DrawBitmapRS(working.bitmap, c.x, c.y, 0.0f, (float)zoom);
        int w = working.bitmap->width * zoom;
        int h = working.bitmap->height * zoom;
        int x0 = (int)(c.x - w / 2.0f);
        int y0 = (int)(c.y - h / 2.0f);
        ov->OV_SetAlpha(0.35f * fade);
        ov->OV_DrawRect((float)(x0 + 1), (float)y0, (float)(w - 1), 1);
        ov->OV_DrawRect((float)x0, (float)y0, 1, (float)h);
        ov->OV_DrawRect((float)(x0 + w - 1), (float)y0, 1, (float)h);
        ov->OV_DrawRect((float)(x0 + 1), (float)(y0 + h - 1), (float)(w - 1), 1);
    }
    ov->OV_SetAlpha(fade);
    for (int i = 0; i < working.num_edges; i++) {
        const ObstacleEdge &e = working.edges[i];
        vec2_t p = {c.x + zoom * e.p0.x, c.y + zoom * e.p0.y};
        vec2_t q = {c.x + zoom * e.p1.x, c.y + zoom * e.p1.y};
        ov->OV_DrawLine(p.x, p.y, q.x, q.y);
        ov->OV_DrawRect(p.x - 2, p.y - 3, 4, 1);
        ov->OV_DrawRect(p.x - 3, p.y - 3, 1, 5);
        ov->OV_DrawRect(p.x + 1, p.y - 3, 1, 5);
        ov->OV_DrawRect(p.x - 2, p.y + 1, 4, 1);
        if (i == selected) {
            ov->OV_SetColor(0, 1, 0);
            ov->OV_DrawRect(p.x - 3, p.y - 4, 6, 1);
            ov->OV_DrawRect(p.x - 4, p.y - 4, 1, 7);
            ov->OV_DrawRect(p.x + 2, p.y - 4, 1, 7);
            ov->OV_DrawRect(p.x - 3, p.y + 2, 6, 1);
            ov->OV_SetColor(1, 1, 1);
        }
    }
}

int ScreenObstacleEditor::ProcessEvent(ov_event_t *event)
{
    // Without an editable type there are no vertices: only A and Z do something.
    if (event->type == OV_EVENT_BUTTON_DOWN && editable) {
        UIComp *limits = GetComp("GridLimits");
        vec2_t at = {(float)event->x, (float)event->y};
        if (!limits || !limits->IsPointOver(at))
            return 1;
        float z = (float)(zoom < 1 ? 1 : zoom);
        vec2_t p = {(at.x - grid_centre.x) / z, (at.y - grid_centre.y) / z};
        if (event->button == OV_KEY_POINTER_BUTTON) {
            if (num_vertices < MAX_VERTICES) {
                vertices[num_vertices] = p;
                selected = num_vertices++;
                TempToObstacle();
                SetFeedback("Added vertex (press backspace to undo)");
            }
        } else if (event->button == OV_KEY_POINTER_BUTTON + 1 && num_vertices > 0) {
            for (int i = 0; i < num_vertices; i++) {
                if (hypotf(vertices[i].x - p.x, vertices[i].y - p.y) < 3.0f) {
                    selected = i;
                    SetFeedback("Selected vertex");
                }
            }
        }
    } else if (event->type == OV_EVENT_KEY_DOWN) {
        int key = event->key;
        if (key == KEY_BACK && num_vertices > 0) {
            num_vertices--;
            selected = num_vertices - 1;
            TempToObstacle();
            SetFeedback("Removed last vertex");
        }
        if (selected >= 0 && selected < num_vertices) {
            vec2_t before = vertices[selected];
            if (key == KEY_UP)
                vertices[selected].y -= 1.0f;
            else if (key == KEY_DOWN)
                vertices[selected].y += 1.0f;
            else if (key == KEY_LEFT)
                vertices[selected].x -= 1.0f;
            else if (key == KEY_RIGHT)
                vertices[selected].x += 1.0f;
            if (fabsf(vertices[selected].x - before.x) >= 1e-6f || fabsf(vertices[selected].y - before.y) >= 1e-6f)
                SetFeedback("Moved vertex");
            TempToObstacle();
        }
        // A type that cannot be edited keeps its own feedback.
        if (key == 'A') {
            SetObstacle(index + 1);
            if (editable)
                SetFeedback("Set next obstacle");
        } else if (key == 'Z') {
            SetObstacle(index - 1);
            if (editable)
                SetFeedback("Set previous obstacle");
        }
    }
    return 1;
}

bool ScreenObstacleEditor::ProcessUICompClick(UIComp *comp, int)
{
    const char *name = comp && comp->name ? comp->name : "";
    if (strcasecmp(name, "Reset") == 0 && editable) {
        num_vertices = 0;
        selected = -1;
        TempToObstacle();
        SetFeedback("Obstacle edges reset");
    }
    if (strcasecmp(name, "Reload") == 0 && obstacle_list) {
        SetObstacle(index);
        if (editable)
            SetFeedback("Reloaded obstacle");
    }
    if (strcasecmp(name, "Save") == 0)
        SaveObstacle();
    return true;
}

bool ScreenObstacleEditor::SaveObstacle()
{
    if (!editable || !working.name) {
        SetFeedback(kUnableToSave);
        return false;
    }
    std::string text = FormatObstacleOutline(working.bitmap && working.bitmap->name ? working.bitmap->name : "",
                                             working.hit_points, vertices, num_vertices);
    if (!WriteDevEdit(working.name, text, "Unable to save to file '%s'.\n")) {
        SetFeedback(kUnableToSave);
        return false;
    }
    SetFeedback("Saved obstacle");
    return true;
}

ScreenObstacleEditor *GetObstacleEditorScreen()
{
    static ScreenObstacleEditor editor;
    return &editor;
}
