// Fuzzes the readers of the player's own files, chosen by the input's first byte (its
// value modulo 3; the seeds use the digits '0' to '2'), the rest being the file:
//   0  a profile, "user://profiles/1.xml", listed by a fixed index;
//   1  the profile index, "user://profiles/index.xml", beside a fixed profile;
//   2  the settings block "user/config.dat".
// The profiles are loaded as at start-up (a damaged file is kept aside, the settings of
// the index applied), every profile's name, time, statistics and values are read, and
// the profiles are saved and loaded again; the settings block is read, written and read
// back, which must give the same block.
#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/profiles.h"
#include "fuzz/fuzz_env.h"
#include "game/settings.h"
#include "orvex.h"

#include <limits.h>
#include <string.h>

namespace {

const char kIndex[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n\t<array id=\"!PROFILE_INDEX\">\n"
    "\t\t<node id=\"1.xml\" />\n\t</array>\n\t<array id=\"!STATE\">\n\t\t<node id=\"ACTIVE_PROFILE\" index=\"0\" />\n"
    "\t</array>\n</root>\n";
const char kProfile[] =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n\t<array id=\"!INFO\">\n"
    "\t\t<node id=\"name\" value=\"Player\" />\n\t\t<node id=\"time_active\" value=\"5000\" />\n\t</array>\n</root>\n";

// Writes a whole file through the engine; false when it fails.
bool WriteUser(const char *name, const void *data, size_t size)
{
    ov_file_t *f = ov->OV_OpenFile(name, "wb");
    if (!f)
        return false;
    bool ok = size == 0 || ov->OV_WriteFile(data, (unsigned)size, f) == size;
    return ov->OV_CloseFile(f) == 0 && ok;
}

// Every profile file, index and copy the last input left.
void ClearProfiles()
{
    profile_man().Clear();
    dman().ReleaseAllDatabases();
    for (int n = 1; n <= 64; n++) {
        char name[64];
        snprintf(name, sizeof name, "user://profiles/%d.xml", n);
        ov->OV_DeleteFile(name);
    }
    for (const char *name : {"user://profiles/index.xml", "user://profiles/index.xml.bad",
                             "user://profiles/1.xml.bad", "user://profiles/1.xml.tmp", "user://profiles/index.xml.tmp"})
        ov->OV_DeleteFile(name);
}

// Reads everything a game reads of the profiles.
void ReadProfiles()
{
    for (int i = 0; i < profile_man().GetNumberOfProfiles(); i++) {
        Profile *p = profile_man().GetProfileByIndex(i);
        if (!p)
            __builtin_trap();
        nString name = p->GetName();
        (void)p->GetTimeActive();
        (void)p->GetStatisticsInt("kills");
        p->ChangeStatisticsInt("kills", INT_MAX);
        (void)p->GetValue("missions", "MISSION1_1", "rating");
        for (const char *category : {"missions", "stats", "!TIMELINES", "features"})
            for (int k = 0; k < p->GetNumberOfValuesInCategory(category); k++)
                (void)p->GetValueNameByIndex(category, k);
        p->Update(0.25f);
    }
    (void)profile_man().GetGlobalValue("SOUND_VOLUME");
    (void)profile_man().IsProfileNameValid("Player");
}

void FuzzProfiles(bool index, const uint8_t *data, size_t size)
{
    ClearProfiles();
    ov->OV_CreateDirectory("user://profiles");
    const char *kIndexName = "user://profiles/index.xml", *kProfileName = "user://profiles/1.xml";
    if (!WriteUser(index ? kIndexName : kProfileName, data, size))
        return;
    const char *fixed = index ? kProfile : kIndex;
    if (!WriteUser(index ? kProfileName : kIndexName, fixed, strlen(fixed)))
        return;
    profile_man().LoadProfiles();
    if (!prof || profile_man().GetNumberOfProfiles() < 1)
        __builtin_trap();
    ReadProfiles();
    float volume = aman.GetSoundVolume();
    if (!(volume >= 0.0f && volume <= 1.0f))
        __builtin_trap();
    profile_man().SaveProfiles();
    profile_man().Clear();
    dman().ReleaseAllDatabases();
    profile_man().LoadProfiles();
    if (!prof)
        __builtin_trap();
    ReadProfiles();
    ClearProfiles();
}

void FuzzConfig(const uint8_t *data, size_t size)
{
    char name[512];
    ov->OV_GetPathEx(name, 511, 1, "%s", "user/config.dat");
    ov->OV_CreateDirectory("user://user");
    if (!WriteUser(name, data, size))
        return;
    ScapeConfig config;
    ScapeConfigDefaults(&config);
    bool read = ReadScapeConfig(name, &config);
    if (!WriteScapeConfig(name, &config))
        return;
    ScapeConfig back;
    ScapeConfigDefaults(&back);
    if (!ReadScapeConfig(name, &back))
        __builtin_trap();
    uint8_t a[ScapeConfig::FILE_SIZE], b[ScapeConfig::FILE_SIZE];
    ScapeConfigToBytes(&config, a);
    ScapeConfigToBytes(&back, b);
    if (memcmp(a, b, sizeof a) != 0)
        __builtin_trap();
    (void)read;
    ov->OV_DeleteFile(name);
    std::string bad = std::string(name) + ".bad";
    ov->OV_DeleteFile(bad.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > INT_MAX)
        return 0;
    fuzzenv::BeginInput();
    switch (data[0] % 3) {
    case 0: FuzzProfiles(false, data + 1, size - 1); break;
    case 1: FuzzProfiles(true, data + 1, size - 1); break;
    default: FuzzConfig(data + 1, size - 1); break;
    }
    return 0;
}
