// The obstacle editor: a developer screen ("ObstacleEditor", UI
// "ui/obstacle-editor.lua") for drawing the collision outline of an obstacle over its
// bitmap, a closed polygon of at most 32 vertices, saved as the obstacle's outline file
// (tools/obstacle-editor-outline.h) under the developer edits folder. The obstacles it
// offers are the "obstacles" of "terrain/assets.xml".
//
// Main thread only. The editor lives for the run.
#ifndef TOOLS_OBSTACLE_EDITOR_H
#define TOOLS_OBSTACLE_EDITOR_H

#include "app/ui/screen.h"
#include "game/obstacles.h"

class DMArray;

class ScreenObstacleEditor : public Screen {
public:
    enum { MAX_VERTICES = 32 };

    ScreenObstacleEditor();
    ~ScreenObstacleEditor() override;

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

    // Chooses obstacle i of the list (clamped). A type with more edges than can be
    // edited, or none of that name, leaves the editor empty (and Save refused).
    void SetObstacle(int i);
    // Rebuilds the working edges from the vertices.
    void TempToObstacle();
    void SetFeedback(const char *text);
    // Writes the outline under the developer edits folder; false (with the feedback
    // "Unable to open file for saving") when it could not.
    bool SaveObstacle();
    // The whole-number magnification of the bitmap in the "GridLimits" box, at least 1.
    int ComputeZoom();

    int zoom = 1;
    ObstacleType working;  // name, bitmap, hit points shared with the type; edges owned
    vec2_t grid_centre = {0, 0};
    DMArray *obstacle_list = nullptr;
    int index = 0;
    vec2_t vertices[MAX_VERTICES] = {};
    int num_vertices = 0;
    int selected = -1;
    bool editable = false;  // a type is loaded and fits the vertex slots
};

ScreenObstacleEditor *GetObstacleEditorScreen();

#endif
