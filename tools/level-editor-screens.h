// The editors' developer screens ("LevelEditor", "ObstacleEditor", "AnalyzeMission"),
// registered by name so that the console can push them.
#ifndef TOOLS_LEVEL_EDITOR_SCREENS_H
#define TOOLS_LEVEL_EDITOR_SCREENS_H

// Makes and registers the three screens (once; later calls do nothing).
void RegisterEditorScreens();

#endif
