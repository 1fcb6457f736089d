// The settings block and its file "user/config.dat" (see settings.h), and the world's
// two operations that read and write it.
#include "game/settings.h"

#include "app/services/filehelpers.h"
#include "game/scape.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

const char kHeader[] = "CONF-2";  // with its NUL: the seven bytes compared and written
const int kHeaderCompared = 7;

void PutInt32(uint8_t *at, int32_t value)
{
    uint32_t bits = (uint32_t)value;
    for (int i = 0; i < 4; i++)
        at[i] = (uint8_t)(bits >> (8 * i));
}

int32_t GetInt32(const uint8_t *at)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; i++)
        bits |= (uint32_t)at[i] << (8 * i);
    return (int32_t)bits;
}

// The header compared as seven bytes ignoring case: "CONF-2" and its NUL. The file's
// bytes need not hold a terminator, and a short file counts its missing bytes as zero.
bool HeaderMatches(const char *data, long size)
{
    char header[ScapeConfig::HEADER_SIZE] = {0};
    memcpy(header, data, size < (long)sizeof header ? (size_t)size : sizeof header);
    return strncasecmp(header, kHeader, kHeaderCompared) == 0;
}

}  // namespace

void ScapeConfigDefaults(ScapeConfig *config)
{
    memset(config, 0, sizeof *config);
    config->keep_camera = 1;
}

void ScapeConfigToBytes(const ScapeConfig *config, uint8_t bytes[ScapeConfig::FILE_SIZE])
{
    memcpy(bytes + 0, config->header, 8);
    PutInt32(bytes + 8, config->joystick_mode_a);
    PutInt32(bytes + 12, config->joystick_mode_b);
    bytes[16] = config->use_calibration;
    bytes[17] = config->unused_17;
    bytes[18] = config->keep_camera;
    memcpy(bytes + 19, config->unused_19, sizeof config->unused_19);
}

void ScapeConfigFromBytes(const uint8_t bytes[ScapeConfig::FILE_SIZE], ScapeConfig *config)
{
    memcpy(config->header, bytes + 0, 8);
    config->joystick_mode_a = GetInt32(bytes + 8);
    config->joystick_mode_b = GetInt32(bytes + 12);
    config->use_calibration = bytes[16];
    config->unused_17 = bytes[17];
    config->keep_camera = bytes[18];
    memcpy(config->unused_19, bytes + 19, sizeof config->unused_19);
}

bool ReadScapeConfig(const char *file, ScapeConfig *config)
{
    long size = 0;
    char *data = ReadWholeFile(file, &size);
    if (!data)
        return false;
    if (!HeaderMatches(data, size)) {
        ov->OV_PrintDebugf(1, "Incompatible config header.\n");
        free(data);
        return false;
    }
    uint8_t bytes[ScapeConfig::FILE_SIZE];
    ScapeConfigToBytes(config, bytes);
    memcpy(bytes, data, size < ScapeConfig::FILE_SIZE ? (size_t)size : (size_t)ScapeConfig::FILE_SIZE);
    free(data);
    ScapeConfigFromBytes(bytes, config);
    return true;
}

bool WriteScapeConfig(const char *file, ScapeConfig *config)
{
    CreateFolderOf(file);
    // A file that is there but not a settings block of this version is kept aside
    // before it is replaced, never silently wiped.
    long size = 0;
    char *old = ReadWholeFile(file, &size);
    if (old) {
        if (!HeaderMatches(old, size))
            KeepDamagedCopy(file);
        free(old);
    }
    memcpy(config->header, kHeader, kHeaderCompared);
    uint8_t bytes[ScapeConfig::FILE_SIZE];
    ScapeConfigToBytes(config, bytes);
    return SaveFileReplacing(file, bytes, sizeof bytes);
}

const char *ScapeConfigFileName(char *buf, int size)
{
    return ov->OV_GetPathEx(buf, size, 1, "%s", SCAPE_CONFIG_FILE);
}

void Scape::ReadConfig()
{
    char name[512];
    ReadScapeConfig(ScapeConfigFileName(name, 511), &config);
}

bool Scape::WriteConfig()
{
    char name[512];
    return WriteScapeConfig(ScapeConfigFileName(name, 511), &config);
}
