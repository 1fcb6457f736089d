// Registration of the editors' developer screens (see level-editor-screens.h).
#include "tools/level-editor-screens.h"

#include "tools/level-editor.h"
#include "tools/mission-analysis.h"
#include "tools/obstacle-editor.h"

void RegisterEditorScreens()
{
    GetLevelEditorScreen();
    GetObstacleEditorScreen();
    GetAnalyzeMissionScreen();
}
