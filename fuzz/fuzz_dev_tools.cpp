// Fuzzes the developer tools' loaders, chosen by the input's first byte (its value
// modulo 4; the seeds use the digits '0' to '3'), the rest being the file:
//   0  the level editor's asset lists "terrain/assets.xml": every background, decal and
//      obstacle asset selected in turn, as the editor's keys step through them;
//   1  a terrain file imported into the level editor, written back and imported again,
//      which must place as many decals and obstacles;
//   2  a level file in the mission analysis: the starting money and the points at hand
//      before each spawn, with enemies worth up to the most an entity can be worth;
//   3  an obstacle outline read as the obstacle editor and the world read it, written
//      back with the editor's writer and read again, which must give as many edges.
#include "app/services/dataman.h"
#include "fuzz/fuzz_env.h"
#include "game/obstacles.h"
#include "game/scape.h"
#include "ovrecords.h"
#include "tools/level-editor.h"
#include "tools/mission-analysis.h"
#include "tools/obstacle-editor-outline.h"

#include <limits.h>

#include <string>
#include <vector>

namespace {

int Worth(const char *type_name, void *)
{
    return type_name && type_name[0] == 'B' ? INT_MAX : 100;
}

void FuzzAssets(ScreenLevelEditor *editor)
{
    editor->Enter();
    for (int i = -1; i < 40; i++) {
        editor->SetBackground(i);
        editor->SetDecal(i);
        editor->SetObstacle(i);
    }
    editor->ClearPlaced();
}

void FuzzTerrain(ScreenLevelEditor *editor)
{
    editor->ClearPlaced();
    if (!editor->ImportTerrain("res://terrain-in.xml"))
        return;
    int decals = editor->decals.Count(), obstacles = editor->obstacles.Count();
    std::string text = editor->FormatCurrentTerrain();
    if (!fuzzenv::WriteResFile("terrain-out.xml", (const uint8_t *)text.data(), text.size()))
        return;
    editor->ClearPlaced();
    if (!editor->ImportTerrain("res://terrain-out.xml") || editor->decals.Count() != decals ||
        editor->obstacles.Count() != obstacles)
        __builtin_trap();
    editor->ClearPlaced();
}

void FuzzMissionAnalysis()
{
    DMDatabase level;
    level.Load("res://level-in.xml");
    int money = ReadStartingMoney(level);
    std::vector<int> lines = AnalyzeWaves(level.GetArray("waves"), money, Worth, nullptr);
    for (int v : lines)
        (void)v;
}

void FuzzOutline()
{
    ObstacleType type;
    if (!type.Load("res://outline-in.xml")) {
        type.Free();  // a type that did not load keeps its name
        return;
    }
    if (type.num_edges < 0 || (type.num_edges > 0 && !type.edges))
        __builtin_trap();
    std::vector<vec2_t> vertices;
    for (int i = 0; i < type.num_edges; i++)
        vertices.push_back(type.edges[i].p0);
    std::string text = FormatObstacleOutline(type.bitmap ? type.bitmap->name : "", type.hit_points,
                                             vertices.empty() ? nullptr : vertices.data(), (int)vertices.size());
    if (!fuzzenv::WriteResFile("outline-out.xml", (const uint8_t *)text.data(), text.size()))
        return;
    ObstacleType back;
    back.Load("res://outline-out.xml");
    if (back.num_edges > type.num_edges)
        __builtin_trap();
    back.Free();
    type.Free();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    ov->OV_CreateDirectory("res://terrain");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    static const char *const kNames[] = {"terrain/assets.xml", "terrain-in.xml", "level-in.xml", "outline-in.xml"};
    int which = data[0] % 4;
    if (!fuzzenv::WriteResFile(kNames[which], data + 1, size - 1))
        return 0;
    dman().ReleaseAllDatabases();
    ScreenLevelEditor *editor = GetLevelEditorScreen();
    switch (which) {
    case 0: FuzzAssets(editor); break;
    case 1: FuzzTerrain(editor); break;
    case 2: FuzzMissionAnalysis(); break;
    default: FuzzOutline(); break;
    }
    ObstacleType::FreeAll();
    dman().ReleaseAllDatabases();
    return 0;
}
