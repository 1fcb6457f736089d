// The engine's data-manifest databases and their registry.
//
// A database is a named list of arrays, an array a list of nodes, a node an ordered
// list of key/value strings. Databases are read from and written to the engine's XML
// files. `ov_dman` loads each database on its first request and keeps it; its
// registry is locked, so loaders on worker threads may ask for databases while the
// main thread does. The data manifest is the list of arrays that the program settings
// name; bitmaps and fonts look up the node carrying their own name there.
#ifndef OV_DATAMAN_H
#define OV_DATAMAN_H

#include "narray.h"

#include <mutex>

class OV_XMLReader;

// One key and its value, both heap strings. Numbers are converted on read.
class OV_DMValue {
public:
    OV_DMValue();
    OV_DMValue(const OV_DMValue &other);  // deep copy; null texts become ""
    OV_DMValue &operator=(const OV_DMValue &) = delete;
    ~OV_DMValue();

    // The value text (may be null for a default-constructed pair).
    const char *GetValue() const { return value; }
    // Decimal conversion of the value; 0 when null or not a number.
    int GetValueInt() const;
    // Floating conversion of the value; 0 when null or not a number.
    float GetValueFloat() const;
    // Stores a copy of the text; null is ignored.
    void SetValue(const char *text);
    void SetValueInt(int number);      // "%d"
    void SetValueFloat(float number);  // "%g"

    char *key;
    char *value;
};

// A node: its id (a copy of the value of its "id" pair, when it has one) and its pairs.
class OV_DMNode {
public:
    OV_DMNode();
    OV_DMNode(const OV_DMNode &) = delete;
    OV_DMNode &operator=(const OV_DMNode &) = delete;
    ~OV_DMNode();

    // Value of the first pair with this key (case-sensitive), or null.
    const char *GetValue(const char *key) const;
    // Sets the pair's value, or appends a new pair; the key "id" also renames the node.
    void SetValue(const char *key, const char *value);
    // Removes the first pair with this key; true when one was removed.
    bool RemoveValue(const char *key);

    char *id;
    OV_DMValue *pairs;  // exactly count entries
    int count;
};

// An array: its id and the nodes it owns, in order.
class OV_DMArray {
public:
    OV_DMArray();
    OV_DMArray(const OV_DMArray &) = delete;
    OV_DMArray &operator=(const OV_DMArray &) = delete;
    ~OV_DMArray();

    // Node by position, null out of range.
    OV_DMNode *GetNode(int index) const;
    // First node with this id; nodes without id never match, a null id gives null.
    OV_DMNode *GetNode(const char *id) const;
    int GetSize() const;
    // The node with this id, or a new one appended (with the pair "id" when id is set).
    OV_DMNode *AddNode(const char *id);
    const char *GetNodeValue(int index, const char *key) const;
    const char *GetNodeValue(const char *id, const char *key) const;
    // Finds or adds the node and sets its value; a null node id does nothing.
    void SetValue(const char *node_id, const char *key, const char *value);
    // Removes and deletes the first node with this id; true when one was removed.
    bool RemoveNode(const char *id);

    char *id;
    nArray<OV_DMNode *> nodes;
};

// A database: the file name it belongs to and the arrays it owns, in order.
class OV_DMDatabase {
public:
    OV_DMDatabase();
    OV_DMDatabase(const OV_DMDatabase &) = delete;
    OV_DMDatabase &operator=(const OV_DMDatabase &) = delete;
    ~OV_DMDatabase();

    // Deletes every array and forgets the name.
    void Free();
    OV_DMArray *GetArray(int index) const;
    int GetNumberOfArrays() const;
    // First array with this id (case-sensitive); a null id finds the first array without one.
    OV_DMArray *GetArray(const char *id) const;
    // Node count of the array, 0 when it is missing.
    int GetArraySize(const char *id) const;
    const char *GetValue(const char *array_id, int index, const char *key) const;
    const char *GetValue(const char *array_id, const char *node_id, const char *key) const;
    // Appends a new array (no duplicate test); a null id becomes "".
    OV_DMArray *AddArray(const char *id);
    // Removes and deletes the first array with this id; true when one was removed.
    bool RemoveArray(const char *id);
    // Finds or creates the array, then sets the node's value.
    void SetValue(const char *array_id, const char *node_id, const char *key, const char *value);

    // Remembers the name and loads the file by its type (".xml" only).
    bool Load(const char *file);
    // Loads an engine XML file: through the engine's file calls, or from the native
    // path while the engine interface does not exist.
    bool LoadXML(const char *file);
    // Loads engine XML held in memory (name is used in messages).
    bool LoadXMLFromMemory(const char *name, const void *data, int size);
    // Writes the database to a native path by its type (".xml" only).
    bool Save(const char *file);
    // Writes the engine XML layout to a native path; true when it was written.
    bool SaveXML(const char *file);

    char *name;
    nArray<OV_DMArray *> arrays;

private:
    bool ReadArrays(OV_XMLReader &reader, const char *file);
};

// The registry of databases by file name (names compare ignoring ASCII case).
class OV_DataMan {
public:
    OV_DataMan();
    OV_DataMan(const OV_DataMan &) = delete;
    OV_DataMan &operator=(const OV_DataMan &) = delete;
    ~OV_DataMan();

    // The registered database, or a new one loaded and registered (empty when the
    // file does not load).
    OV_DMDatabase *GetDatabase(const char *file);
    // The registered database, or a new empty one registered under the name.
    OV_DMDatabase *CreateDatabase(const char *file);
    // Unregisters, frees and deletes the database (and drops its manifest arrays).
    void ReleaseDatabase(const char *file);
    // Unregisters and deletes every database and empties the manifest.
    void ReleaseAll();
    int GetNumberOfDatabases();
    int GetArraySize(const char *file, const char *array_id);
    const char *GetValue(const char *file, const char *array_id, const char *node_id, const char *key);
    const char *GetValue(const char *file, const char *array_id, int index, const char *key);
    // Command queries are not offered: each reports so and answers 0.
    const char *QueryValue(const char *command);
    int QueryArraySize(const char *command);

    // Inserts a database's first array at the front of the manifest (one loaded
    // later is searched first); false when the database has no array.
    bool AddManifestDatabase(OV_DMDatabase *db);
    // First manifest node with this id, or null.
    OV_DMNode *FindManifestNode(const char *id);
    int GetNumberOfManifestArrays();
    OV_DMArray *GetManifestArray(int index);

private:
    OV_DMDatabase *FindLocked(const char *file, int *index);
    void DropManifestArraysOf(OV_DMDatabase *db);

    std::recursive_mutex lock_;
    nArray<OV_DMDatabase *> databases_;
    nArray<OV_DMArray *> manifest_;
};

extern OV_DataMan ov_dman;

// First node with this id in the manifest arrays, searched in order; null when none.
OV_DMNode *OVI_GetDataManifestNode(const char *id);

#endif
