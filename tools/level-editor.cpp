// The level editor screen (see level-editor.h): asset choice, placing, drawing.
#include "tools/level-editor.h"

#include "app/services/data-numbers.h"
#include "app/services/dataman.h"
#include "app/services/prog.h"
#include "app/services/small-maths.h"
#include "app/ui/screen-manager.h"
#include "app/ui/ui-comps.h"
#include "game/entities/stock.h"
#include "game/scape.h"
#include "ovrecords.h"
#include "tools/dev-edits.h"

#include <math.h>
#include <string.h>
#include <strings.h>

namespace {

const char kAssetsFile[] = "terrain/assets.xml";

enum {
    KEY_BACK = 8,
    KEY_ESCAPE = 27,
    KEY_LEFT = 37,
    KEY_UP = 38,
    KEY_RIGHT = 39,
    KEY_DOWN = 40,
    KEY_HELP = 112,
};

// The index clamped into the array; -1 for an empty or missing one.
int ClampIndex(const DMArray *array, int i)
{
    int count = array ? array->GetSize() : 0;
    if (count <= 0)
        return -1;
    return i < 0 ? 0 : (i >= count ? count - 1 : i);
}

ov_font_t *EditorFont()
{
    Scape *world = GetScape();
    if (world && world->stock && world->stock->font_medium)
        return world->stock->font_medium;
    return sman.default_font;
}

}  // namespace

const char ScreenLevelEditor::kExportName[] = "terrain-export.xml";

ScreenLevelEditor::ScreenLevelEditor() : Screen("LevelEditor") {}

ScreenLevelEditor::~ScreenLevelEditor()
{
    ClearPlaced();
    preview.Free();
}

bool ScreenLevelEditor::PreLoad()
{
    LoadUI("ui/level-editor.lua");
    return true;
}

void ScreenLevelEditor::Enter()
{
    Scape *world = GetScape();
    if (world && !world->stock)
        world->Init(8, 6, 128.0f);
    offset = {0, 0};
    mouse = {0, 0};
    mode = MODE_DECALS;
    bunker_bitmap = nullptr;  // looked up again: the engine may have restarted since
    bunker = {prog.parms.width * 0.5f, prog.parms.height * 0.5f};

    DMDatabase *assets = dman().GetDatabase(kAssetsFile);
    backgrounds = assets->GetArray("backgrounds");
    decal_assets = assets->GetArray("decals");
    obstacle_assets = assets->GetArray("obstacles");
    for (DMArray *array : {backgrounds, decal_assets}) {
        for (int i = 0; array && i < array->GetSize(); i++) {
            const char *name = array->GetNodeValue(i, "bitmap");
            if (name)
                ov->OV_LoadBitmap(name, 4);
        }
    }
    SetDecal(0);
    SetBackground(0);
    SetObstacle(0);
}

void ScreenLevelEditor::SetBackground(int i)
{
    int index = ClampIndex(backgrounds, i);
    if (index < 0)
        return;
    background_index = index;
    const char *name = backgrounds->GetNodeValue(index, "bitmap");
    background = name ? ov->OV_GetBitmap(name) : nullptr;
}

void ScreenLevelEditor::SetDecal(int i)
{
    int index = ClampIndex(decal_assets, i);
    if (index < 0)
        return;
    decal_index = index;
    const DMNode *node = decal_assets->GetNode(index);
    const char *name = node->GetValue("bitmap");
    decal_bitmap = name ? ov->OV_GetBitmap(name) : nullptr;
    brush.bitmap = decal_bitmap;
    brush.r = NodeFloat(node, "r", 1.0f);
    brush.g = NodeFloat(node, "g", 1.0f);
    brush.b = NodeFloat(node, "b", 1.0f);
    brush.a = NodeFloat(node, "a", 1.0f);
    brush.scale = NodeFloat(node, "scale", 1.0f);
    brush.angle = TerrainDegreesToRadians(NodeFloat(node, "angle", 0.0f));
    const char *blend = node->GetValue("blend_mode");
    brush.blend = blend && strcmp(blend, "ADDITIVE") == 0 ? 1 : 0;
}

void ScreenLevelEditor::SetObstacle(int i)
{
    int index = ClampIndex(obstacle_assets, i);
    if (index < 0)
        return;
    obstacle_index = index;
    ObstacleType *type = ObstacleType::GetObstacleType(obstacle_assets->GetNodeValue(index, "obstacle"));
    if (!type) {
        // Nothing to place: the preview is emptied rather than kept from another type.
        preview.Free();
        preview.type = nullptr;
        return;
    }
    preview.Init(type, mouse, 0.0f, 1.0f);
}

void ScreenLevelEditor::ClearPlaced()
{
    for (int i = 0; i < obstacles.Count(); i++) {
        obstacles[i]->Free();
        delete obstacles[i];
    }
    obstacles.Clear();
    decals.Clear();
}

bool ScreenLevelEditor::ImportTerrain(const char *name)
{
    if (!name)
        return false;
    // A private database: the registry's copy of a level may be the one the running
    // battle holds, and a name that does not load must not look like an empty level.
    DMDatabase db;
    db.Load(name);
    TerrainImport terrain;
    if (!ReadTerrain(db, &terrain))
        return false;

    ClearPlaced();
    if (terrain.has_background)
        background = ov->OV_GetBitmap(terrain.background.c_str());
    bunker = terrain.bunker;
    for (const TerrainImport::Decal &d : terrain.decals) {
        TerrainDecal decal = {d.x, d.y, ov->OV_GetBitmap(d.bitmap.c_str()), d.r, d.g, d.b, d.a,
                              d.angle, d.scale, d.blend};
        decals.InsertLast(decal);
    }
    for (const TerrainImport::Placed &p : terrain.obstacles) {
        ObstacleType *type = ObstacleType::GetObstacleType(p.obstacle.c_str());
        if (!type)
            continue;
        Obstacle *o = new Obstacle;
        o->Init(type, {p.x, p.y}, p.angle, p.scale);
        obstacles.InsertLast(o);
    }
    return true;
}

std::string ScreenLevelEditor::FormatCurrentTerrain() const
{
    nArray<Obstacle> placed;
    for (int i = 0; i < obstacles.Count(); i++)
        placed.InsertLast(*obstacles[i]);  // shallow copies: only read for their fields
    std::string text = FormatTerrain(background ? background->name : "", bunker,
                                     decals.Count() ? &decals[0] : nullptr, decals.Count(),
                                     placed.Count() ? &placed[0] : nullptr, placed.Count());
    return text;
}

bool ScreenLevelEditor::ExportTerrain(const char *relative_name)
{
    ov->OV_Printf("Exporting terrain...\n");
    return WriteDevEdit(relative_name, FormatCurrentTerrain(), "Unable to save to file '%s'.\n");
}

namespace {

// The levels filter of the file choosers: NUL-terminated strings ended by an empty one.
const char kLevelsFilter[] = "All\0*.*\0Korvald Levels\0*.xml\0";

const char kOutsideData[] = "The file needs to be located under 'data/' directory.\nThis isn't: '%s'\n";

// The chooser's reply with backslashes made '/', or the empty text for no reply.
std::string AskChooser(const char *command)
{
    const char *reply = ov->OV_CallExtension(command, kLevelsFilter);
    ov->OV_Printf("Selected '%s'\n", reply ? reply : "(null)");
    std::string path = reply ? reply : "";
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}  // namespace

void ScreenLevelEditor::BrowseExportTerrain()
{
    ov->OV_Printf("Save level as..\n");
    std::string path = AskChooser("SaveFileDialog");
    if (path.empty()) {
        ExportTerrain(kExportName);
        return;
    }
    size_t data = path.find("data/");
    if (data == std::string::npos) {
        ov->OV_Popupf(1, kOutsideData, path.c_str());
        return;
    }
    ExportTerrain(path.c_str() + data + 5);
}

void ScreenLevelEditor::BrowseForLevel()
{
    ov->OV_Printf("Browsing for level..\n");
    std::string path = AskChooser("OpenFileDialog");
    if (path.empty()) {
        ImportTerrain(DevEditPath(kExportName).c_str());
        return;
    }
    size_t data = path.find("data/");
    if (data == std::string::npos) {
        ov->OV_Popupf(1, kOutsideData, path.c_str());
        return;
    }
    ImportTerrain(path.c_str() + data + 5);
}

bool ScreenLevelEditor::PanelHidden()
{
    UIComp *panel = GetComp("panel");
    return !panel || panel->fading;
}

bool ScreenLevelEditor::AbovePanel(float y)
{
    UIComp *panel = GetComp("panel");
    return panel && y < sman.GetStaticPos(panel).y;
}

void ScreenLevelEditor::PlaceAtPointer()
{
    if (mode == MODE_DECALS) {
        decals.InsertLast(brush);
    } else if (preview.type) {
        Obstacle *o = new Obstacle;
        o->Init(preview.type, preview.pos, preview.angle, preview.scale);
        obstacles.InsertLast(o);
    }
}

void ScreenLevelEditor::Update(float dt)
{
    Screen::Update(dt);
    float turn = 0.0f, grow = 0.0f;
    if (ov->OV_GetKeyStatef('D') != 0.0f)
        turn -= 0.1f * dt;
    if (ov->OV_GetKeyStatef('C') != 0.0f)
        turn += 0.1f * dt;
    if (ov->OV_GetKeyStatef('F') != 0.0f)
        grow -= 0.25f * dt;
    if (ov->OV_GetKeyStatef('V') != 0.0f)
        grow += 0.25f * dt;
    if (mode == MODE_DECALS) {
        brush.angle += turn;
        brush.scale += grow;
    } else if (preview.type && (turn != 0.0f || grow != 0.0f)) {
        preview.Init(preview.type, preview.pos, preview.angle + turn, preview.scale + grow);
    }
}

int ScreenLevelEditor::ProcessEvent(ov_event_t *event)
{
    if (event->type == OV_EVENT_KEY_DOWN) {
        int key = event->key;
        if (key == KEY_ESCAPE) {
            if (UIComp *panel = GetComp("panel"))
                panel->fading = !panel->fading;
        } else if (key >= '1' && key <= '7') {
            SetBackground(key - '1');
        } else if (key == KEY_LEFT) {
            offset.x -= 1.0f;
        } else if (key == KEY_RIGHT) {
            offset.x += 1.0f;
        } else if (key == KEY_UP) {
            offset.y -= 1.0f;
        } else if (key == KEY_DOWN) {
            offset.y += 1.0f;
        } else if (key == 'B') {
            bunker = mouse;
        } else if (key == 'L') {
            BrowseForLevel();
        }
        if (mode == MODE_DECALS) {
            if (key == 'A')
                SetDecal(decal_index - 1);
            else if (key == 'Z')
                SetDecal(decal_index + 1);
            else if (key == KEY_BACK && decals.Count() > 0)
                decals.Remove(decals.Count() - 1);
        } else if (mode == MODE_OBSTACLES) {
            if (key == 'A') {
                SetObstacle(obstacle_index - 1);
            } else if (key == 'Z') {
                SetObstacle(obstacle_index + 1);
            } else if (key == KEY_BACK && obstacles.Count() > 0) {
                Obstacle *last = obstacles[obstacles.Count() - 1];
                obstacles.Remove(obstacles.Count() - 1);
                last->Free();
                delete last;
            }
        }
        if (key == 'S')
            ExportTerrain(kExportName);
        else if (key == 'I')
            brush.blend = brush.blend == 1 ? 0 : 1;
        else if (key == 'M')
            mode = mode == MODE_DECALS ? MODE_OBSTACLES : MODE_DECALS;
    } else if (event->type == 4) {  // mouse wheel
        float turn = (float)event->wheel / 120.0f * kPi * 0.0625f;
        if (mode == MODE_DECALS)
            brush.angle -= turn;
        else if (preview.type)
            preview.Init(preview.type, preview.pos, preview.angle - turn, preview.scale);
    } else if (event->type == OV_EVENT_BUTTON_DOWN) {
        if (PanelHidden() || AbovePanel((float)event->y))
            PlaceAtPointer();
    } else if (event->type == OV_EVENT_POINTER_MOVE) {
        mouse.x = (float)event->x / sman.reference_scale_x;
        mouse.y = (float)event->y / sman.reference_scale_y;
    }
    return 1;
}

bool ScreenLevelEditor::ProcessUICompClick(UIComp *comp, int)
{
    const char *name = comp && comp->name ? comp->name : "";
    if (strcasecmp(name, "Save") == 0)
        BrowseExportTerrain();
    else if (strcasecmp(name, "Load") == 0)
        BrowseForLevel();
    else if (strcasecmp(name, "Switch") == 0)
        mode = mode == MODE_DECALS ? MODE_OBSTACLES : MODE_DECALS;
    else if (strcasecmp(name, "New") == 0)
        ClearPlaced();
    return true;
}

void ScreenLevelEditor::Draw(float)
{
    vec2_t m = {ov->OV_GetKeyStatef(OV_KEY_POINTER_X), ov->OV_GetKeyStatef(OV_KEY_POINTER_Y)};
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    ov->OV_SetBlend(0);
    if (background)
        ov->OV_DrawBitmap(background, 0, 0);
    for (int i = 0; i < decals.Count(); i++) {
        const TerrainDecal &d = decals[i];
        ov->OV_SetAlpha(d.a);
        ov->OV_SetBlend(d.blend);
        ov->OV_SetColor(d.r, d.g, d.b);
        if (d.bitmap)
            ov->OV_DrawBitmapRS(d.bitmap, d.x, d.y, d.angle, d.scale);
        ov->OV_SetBlend(0);
    }
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    for (int i = 0; i < obstacles.Count(); i++) {
        const Obstacle *o = obstacles[i];
        if (o->type && o->type->bitmap)
            ov->OV_DrawBitmapRS(o->type->bitmap, o->pos.x, o->pos.y, o->angle, o->scale);
    }
    if (PanelHidden() || AbovePanel(m.y)) {
        vec2_t at = {m.x + offset.x, m.y + offset.y};
        if (mode == MODE_DECALS) {
            brush.x = at.x;
            brush.y = at.y;
            ov->OV_SetAlpha(brush.a);
            ov->OV_SetBlend(brush.blend);
            ov->OV_SetColor(brush.r, brush.g, brush.b);
            if (brush.bitmap)
                ov->OV_DrawBitmapRS(brush.bitmap, brush.x, brush.y, brush.angle, brush.scale);
            ov->OV_SetBlend(0);
            ov->OV_SetColor(1, 1, 1);
            ov->OV_SetAlpha(1);
        } else if (preview.type) {
            preview.Init(preview.type, at, preview.angle, preview.scale);
            if (preview.type->bitmap)
                ov->OV_DrawBitmapRS(preview.type->bitmap, at.x, at.y, preview.angle, preview.scale);
        }
    }
    if (!bunker_bitmap)
        bunker_bitmap = ov->OV_GetBitmap("bunker/bunker-0001.png");  // kept for the run
    if (bunker_bitmap)
        ov->OV_DrawBitmapRS(bunker_bitmap, bunker.x, bunker.y, 0.0f, 1.0f);
    DrawUI();
    DrawReadouts();
}

void ScreenLevelEditor::DrawReadouts()
{
    ov_font_t *font = EditorFont();
    if (!font)
        return;
    ov->OV_SetColor(1, 1, 1);
    ov->OV_SetAlpha(1);
    if (ov->OV_GetKeyStatef(KEY_HELP) == 0.0f) {
        vec2_t at = sman.GetStaticPos(GetComp("mode"));
        const char *mode_name = mode == MODE_DECALS ? "Decals" : (mode == MODE_OBSTACLES ? "Obstacles" : "UNKNOWN");
        ov->OV_SetTextAlign(12);
        ov->OV_SetTextTransform(0.65f, 0.65f, 0.0f);
        ov->OV_DrawTextf(font, at.x, at.y, "MODE: %s", mode_name);
        ov->OV_SetTextTransform(1.0f, 1.0f, 0.0f);
        ov->OV_SetTextAlign(0);
    } else {
        static const char *const kHelp[][2] = {
            {"1..9", "Change background bitmap."},
            {"a/z", "Set next/prev asset."},
            {"f/v", "Scale asset bigger/smaller."},
            {"d/c", "Rotate asset left/right."},
            {"s", "Exports terrain to terrain-export.xml."},
            {"m", "Switchs mode between decals and obstacles."},
            {"b", "Sets bunker position to mouse position."},
        };
        ov->OV_SetColor(0, 0, 0);
        ov->OV_SetAlpha(0.8f);
        ov->OV_DrawRect(100, 100, 800, 500);
        ov->OV_SetColor(1, 1, 1);
        ov->OV_SetAlpha(1);
        ov->OV_DrawTextf(font, 130, 130, "INSTRUCTIONS");
        float line = ov->OV_GetTextHeightf(font, "X");
        float y = 130 + 2 * line;
        for (const auto &entry : kHelp) {
            ov->OV_DrawTextf(font, 130, y, "%s", entry[0]);
            ov->OV_DrawTextf(font, 230, y, "%s", entry[1]);
            y += line;
        }
    }
    ov->OV_DrawTextf(font, 0, 10, "x %.2f\r\ny %.2f", mouse.x / 1024.0f, mouse.y / 768.0f);
    ov->OV_DrawTextf(font, 75, 10, "x %.0f\r\ny %.0f", mouse.x, mouse.y);
}

ScreenLevelEditor *GetLevelEditorScreen()
{
    // Made on first use, so only a run that asks for the developer screens has it.
    static ScreenLevelEditor editor;
    return &editor;
}
