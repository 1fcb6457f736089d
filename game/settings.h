// The world's device settings block (virtual joysticks, accelerometer calibration,
// whether the camera may move): 148 bytes kept in `Scape::config` and in the player
// file "user/config.dat", byte for byte:
//   0  8  header "CONF-2", a NUL and one further byte
//   8  4  joystick_mode_a (int32, little-endian)
//  12  4  joystick_mode_b (int32, little-endian)
//  16  1  use_calibration
//  17  1  not used
//  18  1  keep_camera (1 by default)
//  19 129 not used
// The record is read and written field by field through the byte layout above, never
// by copying the record's memory. `Scape::ReadConfig` / `Scape::WriteConfig` use the
// file functions below with the engine's name for "user/config.dat". Main thread only.
#ifndef GAME_SETTINGS_H
#define GAME_SETTINGS_H

#include <stdint.h>

#define SCAPE_CONFIG_FILE "user/config.dat"

struct ScapeConfig {
    enum { FILE_SIZE = 148, HEADER_SIZE = 8 };

    char header[8];
    int32_t joystick_mode_a;
    int32_t joystick_mode_b;
    uint8_t use_calibration;
    uint8_t unused_17;
    uint8_t keep_camera;
    uint8_t unused_19[129];
};

// Zeroes the block and sets keep_camera to 1 (what the world starts with).
void ScapeConfigDefaults(ScapeConfig *config);
// The block's 148 file bytes.
void ScapeConfigToBytes(const ScapeConfig *config, uint8_t bytes[ScapeConfig::FILE_SIZE]);
void ScapeConfigFromBytes(const uint8_t bytes[ScapeConfig::FILE_SIZE], ScapeConfig *config);

// Reads the block from an engine file name. A missing file is silent (false, block
// unchanged); a header whose first seven bytes differ from "CONF-2\0" ignoring case
// logs "Incompatible config header.\n" (level 1) and leaves the block unchanged; a
// file shorter than 148 bytes overwrites only the bytes it holds. True when read.
bool ReadScapeConfig(const char *file, ScapeConfig *config);
// Writes the block, header set to "CONF-2\0", atomically (SaveFileReplacing), creating
// the file's folder when missing; an existing file whose header does not match is kept
// aside first (KeepDamagedCopy). False, after the helper's popup, when it could not be
// written.
bool WriteScapeConfig(const char *file, ScapeConfig *config);

// The engine name of "user/config.dat" (OV_GetPathEx kind 1) in buf.
const char *ScapeConfigFileName(char *buf, int size);

#endif
