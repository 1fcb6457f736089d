// Profiles: one database per player under user://profiles/, the index beside them, and
// the list the manager keeps (with the profiles marked for deletion at the next save).
#include "app/services/profiles.h"

#include "app/services/audioman.h"
#include "app/services/dataman.h"
#include "app/services/player-values.h"
#include "app/services/filehelpers.h"
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "app/services/random.h"
#include "orvex.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

Profile *prof = nullptr;

namespace {

const char kIndexFile[] = "user://profiles/index.xml";

int SaturatingAdd(int a, long long b)
{
    long long sum = (long long)a + b;
    return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : (int)sum;
}

void IgnoreFileName(const char *name)
{
    ov->OV_PrintDebugf(1, "Ignoring file name '%s'.\n", name ? name : "");
}

// The "value" pair of a settings node, null when the node or the pair is missing.
const DMValue *SettingValue(DMArray *settings, const char *key)
{
    DMNode *node = settings->GetNode(key);
    for (int i = 0; node && i < node->count; i++)
        if (nStringsMatch(node->pairs[i].key, "value"))
            return &node->pairs[i];
    return nullptr;
}

// The index's settings: the volumes into the audio manager (which clamps them to [0, 1])
// and the window mode into the program record; the engine then applies the mode.
void ApplySettings(DMDatabase *index)
{
    DMArray *settings = index->GetArray("!SETTINGS");
    if (!settings)
        return;
    if (const DMValue *v = SettingValue(settings, "SOUND_VOLUME"))
        aman.SetSoundVolume(v->GetValueFloat());
    if (const DMValue *v = SettingValue(settings, "MUSIC_VOLUME"))
        aman.SetMusicVolume(v->GetValueFloat());
    if (const DMValue *v = SettingValue(settings, "WINDOWED"))
        prog.parms.windowed = v->GetValueInt() != 0 ? 1 : 0;
    ov->OV_ReInit();
}

void StoreSettings(DMDatabase *index)
{
    char text[32];
    snprintf(text, sizeof text, "%.2f", aman.GetSoundVolume());
    index->SetValue("!SETTINGS", "SOUND_VOLUME", "value", text);
    snprintf(text, sizeof text, "%.2f", aman.GetMusicVolume());
    index->SetValue("!SETTINGS", "MUSIC_VOLUME", "value", text);
    index->SetValue("!SETTINGS", "WINDOWED", "value", prog.parms.windowed ? "1" : "0");
}

}  // namespace

bool IsProfileFileName(const char *name)
{
    if (!name || name[0] < '1' || name[0] > '9')
        return false;
    char *end = nullptr;
    long n = strtol(name, &end, 10);
    return n >= 1 && n <= PROFILE_MAX_FILES && strcmp(end, ".xml") == 0;
}

bool IsSaveFileName(const char *name)
{
    static const char kPrefix[] = "profiles/saves/";
    if (!name || strncmp(name, kPrefix, sizeof kPrefix - 1) != 0 || !name[sizeof kPrefix - 1])
        return false;
    return !strstr(name, "..") && !strchr(name, '\\') && !strchr(name, ':');
}

// --- Profile

Profile::Profile() : random_(AppRandom())
{
}

Profile::~Profile()
{
    nStringFree(file_name_);
}

void Profile::ReleaseDatabase()
{
    if (db_)
        dman().ReleaseDatabase(db_);
    db_ = nullptr;
}

void Profile::Load(const char *file_name)
{
    ReleaseDatabase();
    char *copy = nStringDuplicate(file_name);
    nStringFree(file_name_);
    file_name_ = copy;
    char name[300];
    snprintf(name, sizeof name, "user://profiles/%s", file_name_);
    db_ = dman().GetDatabase(name);
    damaged_ = db_->HadParseError();
    if (damaged_)
        KeepDamagedCopy(name);
    dirty_ = false;
    DMArray *info = db_->GetArray("!INFO");
    DMNode *node = info ? info->GetNode("time_active") : nullptr;
    time_active_ = 0;
    for (int i = 0; node && i < node->count; i++) {
        if (nStringsMatch(node->pairs[i].key, "value")) {
            time_active_ = PlayerTimeMs(PlayerNumber(node->pairs[i].value));
            break;
        }
    }
}

void Profile::Reset(const char *file_name)
{
    nString player = db_ ? GetName() : nString();
    ReleaseDatabase();
    char *copy = nStringDuplicate(file_name);
    nStringFree(file_name_);
    file_name_ = copy;
    char name[300];
    snprintf(name, sizeof name, "user://profiles/%s", file_name_);
    dman().ReleaseDatabase(name);  // no listed profile uses a free name: anything there is stale
    db_ = dman().CreateDatabase(name);
    db_->SetValue("!INFO", "name", "value", player.Get() ? player.Get() : "");
    dirty_ = true;
}

bool Profile::Save()
{
    if (!dirty_)
        return true;
    if (!db_) {
        ov->OV_Popupf(1, "Profile has no database set!\n");
        return false;
    }
    nString name = GetName();
    ov->OV_Printf("Saving profile '%s'\n", name.Get() ? name.Get() : "");
    char text[16];
    snprintf(text, sizeof text, "%d", time_active_);
    db_->SetValue("!INFO", "time_active", "value", text);
    return db_->Save(db_->name);
}

void Profile::Delete()
{
    if (!db_)
        return;
    DMArray *timelines = db_->GetArray("!TIMELINES");
    for (int i = 0; timelines && i < timelines->GetSize(); i++) {
        const char *save = timelines->GetNode(i)->GetValue("savefile");
        if (!save)
            continue;
        if (!IsSaveFileName(save)) {
            IgnoreFileName(save);
            continue;
        }
        char path[600];
        snprintf(path, sizeof path, "user://%s", save);
        if (!ov->OV_DeleteFile(path))
            ov->OV_PrintDebugf(1, "Deleting save file '%s' failed.\n", path);
    }
    ov->OV_Printf("Deleting file '%s'\n", db_->name ? db_->name : "");
    ov->OV_DeleteFile(db_->name);
    ReleaseDatabase();
}

nString Profile::GetName()
{
    return nString(db_ ? db_->GetValue("!INFO", "name", "value") : nullptr);
}

void Profile::SetName(const char *name)
{
    char cut[PROFILE_MAX_NAME + 1];
    snprintf(cut, sizeof cut, "%s", name ? name : "");
    SetValue("!INFO", "name", "value", cut);
}

const char *Profile::GetValue(const char *category, const char *id, const char *key)
{
    return db_ ? db_->GetValue(category, id, key) : nullptr;
}

void Profile::SetValue(const char *category, const char *id, const char *key, const char *value)
{
    if (!id || !value || !db_)
        return;
    db_->SetValue(category, id, key, value);
    dirty_ = true;
}

void Profile::SetValuef(const char *category, const char *id, const char *key, const char *format, ...)
{
    if (!id || !format)
        return;
    char text[1024];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    SetValue(category, id, key, text);
}

void Profile::AddTag(const char *category, const char *id)
{
    SetValue(category, id, "tag", "1");
}

bool Profile::TagExists(const char *category, const char *id)
{
    DMArray *array = db_ ? db_->GetArray(category) : nullptr;
    return array && array->GetNode(id) != nullptr;
}

bool Profile::IsAcknowledged(const char *category, const char *id)
{
    const char *ack = GetValue(category, id, "ack");
    return ack && ack[0] == '1';
}

void Profile::SetAcknowledged(const char *category, const char *id, bool flag)
{
    if (flag) {
        SetValue(category, id, "ack", "1");
        return;
    }
    DMArray *array = db_ ? db_->GetArray(category) : nullptr;
    if (DMNode *node = array ? array->GetNode(id) : nullptr) {
        node->RemoveValue("ack");
        dirty_ = true;
    }
}

void Profile::RemoveValue(const char *category, const char *id, const char *key)
{
    DMArray *array = db_ ? db_->GetArray(category) : nullptr;
    if (DMNode *node = array ? array->GetNode(id) : nullptr) {
        node->RemoveValue(key);
        dirty_ = true;
    }
}

bool Profile::RemoveValue(const char *category, const char *id)
{
    DMArray *array = db_ ? db_->GetArray(category) : nullptr;
    if (!array || !array->RemoveNode(id))
        return false;
    dirty_ = true;
    return true;
}

bool Profile::RemoveCategory(const char *category)
{
    if (!db_ || !db_->RemoveArray(category))
        return false;
    dirty_ = true;
    return true;
}

int Profile::GetNumberOfValuesInCategory(const char *category)
{
    return db_ ? db_->GetArraySize(category) : 0;
}

const char *Profile::GetValueNameByIndex(const char *category, int index)
{
    return db_ ? db_->GetValue(category, index, "id") : nullptr;
}

int Profile::GetStatisticsInt(const char *name)
{
    DMArray *stats = db_ ? db_->GetArray("STATS") : nullptr;
    DMNode *node = stats ? stats->GetNode(name) : nullptr;
    for (int i = 0; node && i < node->count; i++)
        if (nStringsMatch(node->pairs[i].key, "int"))
            return node->pairs[i].GetValueInt();
    return 0;
}

void Profile::SetStatisticsInt(const char *name, int value)
{
    SetValuef("STATS", name, "int", "%d", value);
}

void Profile::ChangeStatisticsInt(const char *name, int delta)
{
    SetStatisticsInt(name, SaturatingAdd(GetStatisticsInt(name), delta));
}

void Profile::Update(float seconds)
{
    double ms = (double)seconds * 1000.0;
    long long step = ms >= 4e9 ? (long long)4e9 : ms <= -4e9 ? (long long)-4e9 : (long long)ms;
    time_active_ = SaturatingAdd(time_active_, step);
}

// --- ProfileManager

ProfileManager::ProfileManager()
{
    profiles_.SetShrink(true);
    marked_.SetShrink(true);
}

ProfileManager::~ProfileManager()
{
    for (int i = 0; i < profiles_.Count(); i++)
        delete profiles_[i];
    for (int i = 0; i < marked_.Count(); i++)
        delete marked_[i];
    profiles_.Clear();
    marked_.Clear();
    prof = nullptr;
}

void ProfileManager::Initialize()
{
    loc_man().Localize("Player");
    RegisterProfileScriptFunctions();
    LoadProfiles();
}

// Frees every profile object (listed and marked) and releases their databases; the
// files stay as they are.
void ProfileManager::FreeProfiles()
{
    for (int i = 0; i < marked_.Count(); i++) {
        Profile *p = marked_[i];
        if (DMDatabase *db = p->LockDatabase())
            dman().ReleaseDatabase(db);
        delete p;
    }
    marked_.Clear();
    for (int i = 0; i < profiles_.Count(); i++) {
        Profile *p = profiles_[i];
        if (DMDatabase *db = p->LockDatabase())
            dman().ReleaseDatabase(db);
        delete p;
    }
    profiles_.Clear();
    prof = nullptr;
}

void ProfileManager::Clear()
{
    FreeProfiles();
    index_ = nullptr;
}

void ProfileManager::LoadProfiles()
{
    ov->OV_Printf("Loading all profiles.\n");
    FreeProfiles();
    ov->OV_CreateDirectory("user://profiles");
    if (!FileOpens(kIndexFile)) {
        ov->OV_PrintDebugf(1, "Profiles database index doesn't exists. Creating new.\n");
        index_ = dman().CreateDatabase(kIndexFile);
    } else {
        index_ = dman().GetDatabase(kIndexFile);
        if (index_->HadParseError())
            KeepDamagedCopy(kIndexFile);
    }
    DMArray *list = index_->GetArray("!PROFILE_INDEX");
    if (!list)
        list = index_->AddArray("!PROFILE_INDEX");
    char name[300];
    if (list->GetSize() == 0) {
        for (int n = 1; n <= PROFILE_MAX_FILES; n++) {
            char file[16];
            snprintf(file, sizeof file, "%d.xml", n);
            snprintf(name, sizeof name, "user://profiles/%s", file);
            if (!FileOpens(name))
                continue;
            Profile *p = new Profile;
            p->Load(file);
            profiles_.InsertLast(p);
            list->AddNode(file);
        }
    } else {
        for (int i = 0; i < list->GetSize(); i++) {
            const char *file = list->GetNode(i)->GetValue("id");
            // Only "<n>.xml", each once: anything else could name another file, and two
            // profiles must never share one database.
            if (!IsProfileFileName(file) || NameTaken(file)) {
                IgnoreFileName(file);
                continue;
            }
            snprintf(name, sizeof name, "user://profiles/%s", file);
            if (!FileOpens(name))
                continue;
            Profile *p = new Profile;
            p->Load(file);
            profiles_.InsertLast(p);
        }
    }
    if (profiles_.Count() == 0) {
        if (Profile *p = CreateNewProfile()) {
            SetActiveProfile(p);
            p->SetName(loc_man().Localize("Player"));
        }
    }
    ApplySettings(index_);
    const char *active = index_->GetValue("!STATE", "ACTIVE_PROFILE", "index");
    if (active) {
        DMValue v;
        v.SetValue(active);
        SetActiveProfile(v.GetValueInt());
    }
    if (!prof && profiles_.Count() > 0)
        prof = profiles_[0];
}

bool ProfileManager::SaveProfiles()
{
    ov->OV_Printf("Saving all profiles.\n");
    if (marked_.Count() > 0) {
        ov->OV_Printf("Deleting profiles marked for deletion.\n");
        for (int i = 0; i < marked_.Count(); i++) {
            marked_[i]->Delete();
            delete marked_[i];
        }
        marked_.Clear();
    }
    if (!index_)
        index_ = dman().CreateDatabase(kIndexFile);
    index_->RemoveArray("!PROFILE_INDEX");
    DMArray *list = index_->AddArray("!PROFILE_INDEX");
    for (int i = 0; i < profiles_.Count(); i++)
        list->AddNode(profiles_[i]->GetFileName());
    index_->RemoveArray("!STATE");
    index_->AddArray("!STATE");
    if (prof) {
        char text[16];
        snprintf(text, sizeof text, "%d", GetProfileIndex(prof));
        index_->SetValue("!STATE", "ACTIVE_PROFILE", "index", text);
    }
    StoreSettings(index_);
    bool ok = index_->Save(index_->name);
    for (int i = 0; i < profiles_.Count(); i++)
        ok = profiles_[i]->Save() && ok;
    return ok;
}

bool ProfileManager::NameTaken(const char *file_name)
{
    for (int i = 0; i < profiles_.Count(); i++)
        if (nStringsMatch(profiles_[i]->GetFileName(), file_name))
            return true;
    for (int i = 0; i < marked_.Count(); i++)
        if (nStringsMatch(marked_[i]->GetFileName(), file_name))
            return true;
    return false;
}

const char *ProfileManager::GetFreeProfileFilename()
{
    static char file[512];
    for (int n = 1; n <= PROFILE_MAX_FILES; n++) {
        snprintf(file, sizeof file, "%d.xml", n);
        char name[64];
        snprintf(name, sizeof name, "user://profiles/%d.xml", n);
        if (!NameTaken(file) && !FileOpens(name))
            return file;
    }
    ov->OV_Popupf(1, "Too many profiles files in <userdata>/profiles folder.\n");
    return nullptr;
}

Profile *ProfileManager::CreateNewProfile()
{
    ov->OV_CreateDirectory("user://profiles");
    const char *file = GetFreeProfileFilename();
    if (!file)
        return nullptr;
    Profile *p = new Profile;
    p->Reset(file);
    profiles_.InsertLast(p);
    SetActiveProfile(p);
    if (profiles_.Count() >= 2 && profiles_[0]->GetName().IsEmpty()) {
        ov->OV_Printf("Detecting temporary profile at index #0, deleting it..\n");
        DeleteProfile(profiles_[0]);
    }
    return p;
}

bool ProfileManager::DeleteProfile(Profile *profile)
{
    int index = GetProfileIndex(profile);
    if (index < 0)
        return false;  // null, already marked, or not ours
    bool was_active = profile == prof;
    // The last active profile goes only when a replacement can be made.
    if (was_active && profiles_.Count() == 1 && !GetFreeProfileFilename())
        return false;
    nString name = profile->GetName();
    const char *shown = name.Get() ? name.Get() : "";
    char file[300];
    snprintf(file, sizeof file, "user://profiles/%s", profile->GetFileName() ? profile->GetFileName() : "");
    if (profile->GetFileName() && FileOpens(file)) {
        ov->OV_Printf("Marking profile '%s' for deletion.\n", shown);
        marked_.InsertLast(profile);
        profiles_.Remove(index);
    } else {
        ov->OV_Printf("Deleting profile '%s' (#%d)\n", shown, index);
        profiles_.Remove(index);
        profile->Delete();
        delete profile;
    }
    if (was_active) {
        prof = nullptr;
        if (profiles_.Count() == 0)
            CreateNewProfile();
        else
            prof = profiles_[0];
    }
    return true;
}

void ProfileManager::DeleteAllProfiles()
{
    nArray<Profile *> listed = profiles_;
    for (int i = 0; i < listed.Count(); i++)
        if (GetProfileIndex(listed[i]) >= 0)
            DeleteProfile(listed[i]);
    if (profiles_.Count() == 0)
        CreateNewProfile();
    if (prof) {
        SetActiveProfile(prof);
        prof->SetName(loc_man().Localize("Player"));
    }
    SaveProfiles();
}

int ProfileManager::GetProfileIndex(Profile *profile)
{
    for (int i = 0; i < profiles_.Count(); i++)
        if (profiles_[i] == profile)
            return i;
    return -1;
}

Profile *ProfileManager::GetProfileByIndex(int index)
{
    return index >= 0 && index < profiles_.Count() ? profiles_[index] : nullptr;
}

void ProfileManager::SetActiveProfile(Profile *profile)
{
    if (!profile) {
        ov->OV_Popupf(1, "ProfileManager::SetActiveProfile Trying to set null profile!");
        return;
    }
    prof = profile;
    profile->MarkDirty();
}

bool ProfileManager::SetActiveProfile(int index)
{
    Profile *p = GetProfileByIndex(index);
    if (!p)
        return false;
    SetActiveProfile(p);
    return true;
}

nString ProfileManager::TrimProfileName(const char *name)
{
    char cut[PROFILE_MAX_NAME + 1];
    snprintf(cut, sizeof cut, "%s", name ? name : "");
    const char *p = cut;
    while (*p == ' ' || *p == '\t')
        p++;
    size_t n = strlen(p);
    while (n > 0 && p[n - 1] == ' ')
        n--;
    nString out;
    out.Format("%.*s", (int)n, p);
    return out;
}

bool ProfileManager::IsProfileNameValid(const char *name)
{
    nString trimmed = TrimProfileName(name);
    if (trimmed.IsEmpty())
        return false;
    for (int i = 0; i < profiles_.Count(); i++) {
        nString other = profiles_[i]->GetName();
        if (nStringsMatch(other.Get(), trimmed.Get()))
            return false;
    }
    return true;
}

const char *ProfileManager::GetGlobalValue(const char *key)
{
    return index_ ? index_->GetValue("!SETTINGS", key, "value") : nullptr;
}

void ProfileManager::SetGlobalValue(const char *key, const char *value)
{
    if (!index_)
        index_ = dman().CreateDatabase(kIndexFile);
    index_->SetValue("!SETTINGS", key, "value", value);
}

void ProfileManager::Update(float seconds)
{
    if (prof)
        prof->Update(seconds);
}

ProfileManager &profile_man()
{
    static ProfileManager manager;
    return manager;
}
