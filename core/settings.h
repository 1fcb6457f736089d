// Program settings: reading res://prog.xml (and res://developer.xml) into the engine
// state, the application record and its parameter block, with the build variant of
// the device this program runs on.
#ifndef OV_SETTINGS_H
#define OV_SETTINGS_H

// Names of the two settings files ("res://prog.xml", "res://developer.xml").
extern const char *PLATFORM_PARAMETERS_FILENAME;
extern const char *DEVELOPER_PARAMETERS_FILENAME;

// Reads the settings: 1 once prog.xml was read, 0 when there is no application
// record or prog.xml cannot be opened, -1 when no build variant fits this device
// (the run cannot go on). OVI_ReadProgramSettings calls it, then the settings hook.
int OVI_LoadProgramSettings(void);
// True when the last read found no build variant for this device: pre-initialisation
// must fail.
bool OVI_ProgramSettingsFailed(void);

// The composite variant id "PLATFORM/SIZE" of a platform number and size class.
void OVI_GetVariantId(char *out, int size, int platform_id, int screen_size_id);
// Minimum frame time for a frame-rate limit: (int)(1000 / (fps + 2)), at least 1 ms.
int OVI_MinFrameMsForFpsLimit(float fps);
// Verbose level named in a text: the first of INFO, WARNING, ERROR, SYSTEM found in
// it (tested in that order), 0 when none.
int OVI_ParseVerboseLevel(const char *text);
// Width and height of "WIDTHxHEIGHT" (0 for a missing part; both 0 from 256 characters).
void OVI_ParseResolution(const char *text, int *width, int *height);
// A settings boolean: true when the first character is '1' or 't'.
bool OVI_SettingsBool(const char *text);

#endif
