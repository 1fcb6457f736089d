// The calls between the files of the extension call (OV_CallExtension, slot 22): the
// device part that is asked first, the resource reports and the path switches.
#ifndef OV_EXTENSION_H
#define OV_EXTENSION_H

// The device part of the extension call: links, the on-screen keyboard and mail; a
// reply, or null when the device does not answer the command.
const char *OVD_CallExtension(const char *name, const char *arg);

// Memory estimates of bitmaps, fonts and sounds into key states 2001 to 2005.
void OVI_RefreshMemUsageEstimates(void);
// Writes the developer report of every resource and its memory to the log.
void OVI_ListResourceUsage(void);

// Makes title the program name of the user directories and rebuilds user://; a title
// that is null, empty, absolute, holds ".." or does not fit is refused with a warning.
void OVI_SwitchProgramBasePath(const char *title);
// Makes path the native base directory of a user path kind (0 or 1); command names the
// refusal of a path that is null, empty, absolute, holds ".." or does not fit.
void OVI_SwitchUserDataPath(const char *command, int kind, const char *path);

#endif
