// The database registry `ov_dman` and the data manifest. Every call takes the
// registry's lock, so worker threads that load resources may ask for databases and
// manifest nodes while the main thread does; a database is loaded once, under the
// lock, by whichever thread asks first.
#include "core/data/dataman.h"

#include "core/ov_state.h"
#include "nstring.h"

#include <string.h>

OV_DataMan ov_dman;

OV_DMNode *OVI_GetDataManifestNode(const char *id)
{
    return ov_dman.FindManifestNode(id);
}

OV_DataMan::OV_DataMan()
{
    databases_.SetShrink(true);
}

OV_DataMan::~OV_DataMan()
{
    ReleaseAll();
}

OV_DMDatabase *OV_DataMan::GetDatabase(const char *file)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    OV_DMDatabase *db = FindLocked(file, nullptr);
    if (db)
        return db;
    db = new OV_DMDatabase();
    db->Load(file);
    if (!db->name)
        db->name = nStringDuplicate(file);
    databases_.InsertLast(db);
    return db;
}

OV_DMDatabase *OV_DataMan::CreateDatabase(const char *file)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    OV_DMDatabase *db = FindLocked(file, nullptr);
    if (db)
        return db;
    db = new OV_DMDatabase();
    db->name = nStringDuplicate(file);
    databases_.InsertLast(db);
    return db;
}

void OV_DataMan::ReleaseDatabase(const char *file)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    int index = -1;
    OV_DMDatabase *db = FindLocked(file, &index);
    if (!db)
        return;
    DropManifestArraysOf(db);
    databases_.Remove(index);
    db->Free();
    delete db;
}

void OV_DataMan::ReleaseAll()
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    manifest_.Clear();
    for (int i = 0; i < databases_.Count(); i++) {
        databases_[i]->Free();
        delete databases_[i];
    }
    databases_.Clear();
}

int OV_DataMan::GetNumberOfDatabases()
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return databases_.Count();
}

int OV_DataMan::GetArraySize(const char *file, const char *array_id)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return GetDatabase(file)->GetArraySize(array_id);
}

const char *OV_DataMan::GetValue(const char *file, const char *array_id, const char *node_id, const char *key)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return GetDatabase(file)->GetValue(array_id, node_id, key);
}

const char *OV_DataMan::GetValue(const char *file, const char *array_id, int index, const char *key)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return GetDatabase(file)->GetValue(array_id, index, key);
}

const char *OV_DataMan::QueryValue(const char *command)
{
    OV_Popupf(OV_WARNING, "OV_DataMan::QueryValue (const char *command) is unimplemented.\n");
    return nullptr;
}

int OV_DataMan::QueryArraySize(const char *command)
{
    OV_Popupf(OV_WARNING, "OV_DataMan::QueryArraySize (const char *command) is unimplemented.\n");
    return 0;
}

bool OV_DataMan::AddManifestDatabase(OV_DMDatabase *db)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (!db || db->GetNumberOfArrays() < 1)
        return false;
    manifest_.InsertFirst(db->GetArray(0));
    return true;
}

OV_DMNode *OV_DataMan::FindManifestNode(const char *id)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    for (int i = 0; i < manifest_.Count(); i++) {
        OV_DMNode *node = manifest_[i]->GetNode(id);
        if (node)
            return node;
    }
    return nullptr;
}

int OV_DataMan::GetNumberOfManifestArrays()
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return manifest_.Count();
}

OV_DMArray *OV_DataMan::GetManifestArray(int index)
{
    std::lock_guard<std::recursive_mutex> hold(lock_);
    return index >= 0 && index < manifest_.Count() ? manifest_[index] : nullptr;
}

// The registered database with this name (ignoring ASCII case); the caller holds the lock.
OV_DMDatabase *OV_DataMan::FindLocked(const char *file, int *index)
{
    if (!file)
        return nullptr;
    for (int i = 0; i < databases_.Count(); i++) {
        if (nStringsMatchIncaseSensitive(databases_[i]->name, file)) {
            if (index)
                *index = i;
            return databases_[i];
        }
    }
    return nullptr;
}

// Takes the arrays of a database that is going away out of the manifest.
void OV_DataMan::DropManifestArraysOf(OV_DMDatabase *db)
{
    for (int i = manifest_.Count() - 1; i >= 0; i--) {
        for (int a = 0; a < db->GetNumberOfArrays(); a++) {
            if (manifest_[i] == db->GetArray(a)) {
                manifest_.Remove(i);
                break;
            }
        }
    }
}
