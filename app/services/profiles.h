// Player profiles and their index. A profile is one player's persistent data (name,
// time played, statistics and the categories the game keeps), one XML database
// "user://profiles/<n>.xml" with n from 1 to 64. The index "user://profiles/index.xml"
// lists the profiles, remembers the active one and holds the program's global settings
// (sound and music volume, window mode, free keys).
//
// Values are addressed as category (an array), id (a node) and key (a pair). Every
// change made through the profile functions marks the profile dirty; a dirty profile is
// written at every save (atomically: a failed save leaves the old file and the flag).
//
// Main thread only. `prof` is the active profile, null before loading.
#ifndef APP_SERVICES_PROFILES_H
#define APP_SERVICES_PROFILES_H

#include "narray.h"
#include "nstring.h"

class DMDatabase;

enum { PROFILE_MAX_FILES = 64, PROFILE_MAX_NAME = 127 };

class Profile {
public:
    Profile();
    ~Profile();  // the database stays with the registry
    Profile(const Profile &) = delete;
    Profile &operator=(const Profile &) = delete;

    // Takes the database "user://profiles/<file>" from the registry (an empty profile when
    // missing or unreadable; a damaged file is first copied aside as ".bad"); clean.
    void Load(const char *file_name);
    // Starts an empty database under the file name, keeping the player name; dirty.
    void Reset(const char *file_name);
    // Writes the profile when dirty; false (still dirty) when the write fails or there is
    // no database ("Profile has no database set!\n").
    bool Save();
    // Deletes the profile's saved games, its file, and releases its database.
    void Delete();

    nString GetName();
    // Stores the name, cut to 127 characters.
    void SetName(const char *name);
    const char *GetValue(const char *category, const char *id, const char *key);
    // Ignored for a null id or value.
    void SetValue(const char *category, const char *id, const char *key, const char *value);
    void SetValuef(const char *category, const char *id, const char *key, const char *format, ...)
        __attribute__((format(printf, 5, 6)));
    void AddTag(const char *category, const char *id);
    // True when the category holds a node with that id, tagged or not.
    bool TagExists(const char *category, const char *id);
    bool IsAcknowledged(const char *category, const char *id);
    void SetAcknowledged(const char *category, const char *id, bool flag);
    void RemoveValue(const char *category, const char *id, const char *key);
    // Removes the whole node.
    bool RemoveValue(const char *category, const char *id);
    bool RemoveCategory(const char *category);
    int GetNumberOfValuesInCategory(const char *category);
    // The "id" value of the node at that index, null outside.
    const char *GetValueNameByIndex(const char *category, int index);
    int GetStatisticsInt(const char *name);
    void SetStatisticsInt(const char *name, int value);
    // Adds the delta, saturating at the int32 limits.
    void ChangeStatisticsInt(const char *name, int delta);
    // Adds the seconds, in whole milliseconds, to the time active (saturating).
    void Update(float seconds);

    // Direct access; changes made there do not mark the profile dirty.
    DMDatabase *LockDatabase() { return db_; }
    void UnlockDatabase() {}
    void Lock() {}
    void Unlock() {}

    bool IsDirty() const { return dirty_; }
    void MarkDirty() { dirty_ = true; }
    const char *GetFileName() const { return file_name_; }
    int GetTimeActive() const { return time_active_; }
    // The random number drawn when the profile object was made (the analytics "udid").
    int GetRandom() const { return random_; }
    // True when the last Load found the file damaged (and kept a copy of it aside).
    bool HadDamage() const { return damaged_; }

private:
    void ReleaseDatabase();

    DMDatabase *db_ = nullptr;
    int time_active_ = 0;
    int random_;
    bool dirty_ = false;
    bool damaged_ = false;
    char *file_name_ = nullptr;
};

class ProfileManager {
public:
    ProfileManager();
    ~ProfileManager();  // frees the profile objects (their databases stay with the registry)
    ProfileManager(const ProfileManager &) = delete;
    ProfileManager &operator=(const ProfileManager &) = delete;

    // Registers "Player" with localisation, registers the script functions and loads the
    // profiles.
    void Initialize();
    // Loads the index and the profiles it lists (or every numbered file when it lists
    // none), then applies the index's settings: sound and music volume (clamped to
    // [0, 1]) and the window mode, which the engine applies by re-initialising.
    void LoadProfiles();
    // Frees every profile and forgets the index, releasing their databases; the files
    // stay as they are.
    void Clear();
    // Deletes the marked profiles' files, writes the index (with the volumes and the window
    // mode) and every dirty profile; false when any write failed.
    bool SaveProfiles();
    // A new, empty, active profile; null when all 64 file names are taken.
    Profile *CreateNewProfile();
    // Marks a saved profile for deletion at the next save, or deletes a never-saved one;
    // false for null or a profile not listed, and for the only profile when no replacement can be created.
    bool DeleteProfile(Profile *profile);
    // Deletes every listed profile once, then leaves one new profile named the localised
    // "Player", active, and saves.
    void DeleteAllProfiles();

    int GetProfileIndex(Profile *profile);
    Profile *GetProfileByIndex(int index);
    int GetNumberOfProfiles() { return profiles_.Count(); }
    void SetActiveProfile(Profile *profile);
    bool SetActiveProfile(int index);
    // False for an empty name (after trimming) or one that a listed profile has.
    bool IsProfileNameValid(const char *name);
    // Trims leading blanks and trailing spaces after cutting to 127 characters.
    static nString TrimProfileName(const char *name);
    const char *GetGlobalValue(const char *key);
    void SetGlobalValue(const char *key, const char *value);
    // The first free "<n>.xml", null when all 64 are taken (popup). Static buffer.
    const char *GetFreeProfileFilename();
    void Update(float seconds);
    // Number of profiles marked for deletion.
    int GetNumberOfMarkedProfiles() { return marked_.Count(); }
    DMDatabase *GetIndex() { return index_; }

private:
    void FreeProfiles();
    bool NameTaken(const char *file_name);

    nArray<Profile *> profiles_;
    nArray<Profile *> marked_;
    DMDatabase *index_ = nullptr;
};

// The active profile (null when none).
extern Profile *prof;
// The profile manager, built on first use and freed at exit.
ProfileManager &profile_man();

// Registers the profile script functions with the scripting manager (profiles-script.cpp).
void RegisterProfileScriptFunctions();

// True for "<n>.xml" with n from 1 to 64 written without leading zeros.
bool IsProfileFileName(const char *name);
// True for a relative name under "profiles/saves/" without "..", backslashes or ':'.
bool IsSaveFileName(const char *name);

#endif
