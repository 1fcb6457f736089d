// The level editor: a developer screen ("LevelEditor", UI "ui/level-editor.lua") that
// lays out the ground of a battle (background, decals, obstacles, bunker position) and
// writes it as a terrain file (tools/terrain-format.h), or reads one back. Its assets
// are the arrays "backgrounds", "decals" and "obstacles" of "terrain/assets.xml".
//
// Files: a chosen path must lie under "data/"; the export lands in the developer
// edits folder under the text after "data/" (the running game never writes into the
// program directory). Without a chooser reply "Save", "Load" and L use
// "user://dev-edits/terrain-export.xml", which is also what S writes.
//
// Main thread only. The editor lives for the run; its placed items survive leaving.
#ifndef TOOLS_LEVEL_EDITOR_H
#define TOOLS_LEVEL_EDITOR_H

#include "app/ui/screen.h"
#include "game/obstacles.h"
#include "narray.h"
#include "tools/terrain-format.h"

class DMArray;

class ScreenLevelEditor : public Screen {
public:
    enum { MODE_DECALS = 1, MODE_OBSTACLES = 2 };

    ScreenLevelEditor();
    ~ScreenLevelEditor() override;

    bool PreLoad() override;
    void Draw(float dt) override;
    void Update(float dt) override;
    void Enter() override;
    bool ProcessUICompClick(UIComp *comp, int flags) override;
    int ProcessEvent(ov_event_t *event) override;

    // Select an asset by index, clamped to the array; an empty or missing array
    // selects nothing.
    void SetBackground(int i);
    void SetDecal(int i);
    void SetObstacle(int i);
    // Reads a terrain file by its data-registry name into a private database. False,
    // keeping the placed items, when the file has none of the terrain arrays.
    bool ImportTerrain(const char *name);
    // The file-chooser steps (a null reply uses the fixed export file).
    void BrowseForLevel();
    void BrowseExportTerrain();
    // Writes the terrain text to that name under the developer edits folder; false
    // (and the message) when the write failed or the name is refused.
    bool ExportTerrain(const char *relative_name);
    // The terrain text of what is placed now.
    std::string FormatCurrentTerrain() const;
    // Empties the placed decals and obstacles.
    void ClearPlaced();

    // The fixed export file, relative to the developer edits folder.
    static const char kExportName[];

    DMArray *backgrounds = nullptr;
    DMArray *decal_assets = nullptr;
    DMArray *obstacle_assets = nullptr;
    int mode = MODE_DECALS;
    nArray<TerrainDecal> decals;
    int background_index = 0;
    ov_bitmap_t *background = nullptr;
    int decal_index = 0;
    ov_bitmap_t *decal_bitmap = nullptr;
    int obstacle_index = 0;
    Obstacle preview;
    nArray<Obstacle *> obstacles;
    TerrainDecal brush = {0, 0, nullptr, 1, 1, 1, 1, 0, 1, 0};
    vec2_t offset = {0, 0};
    vec2_t bunker = {0, 0};
    vec2_t mouse = {0, 0};
    ov_bitmap_t *bunker_bitmap = nullptr;  // the bunker's picture, looked up on the first draw after Enter

private:
    bool PanelHidden();
    bool AbovePanel(float y);
    void PlaceAtPointer();
    void DrawReadouts();
};

// The level editor screen, made and registered on first use.
ScreenLevelEditor *GetLevelEditorScreen();

#endif
