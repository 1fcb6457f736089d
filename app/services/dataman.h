// The data registry and its records: every content file and every player profile is a
// database (`DMDatabase`), a named list of arrays; an array (`DMArray`) is an
// identified list of nodes; a node (`DMNode`) an ordered list of key/value string
// pairs (`DMValue`). `DataMan` loads each file once, on first request, and hands the
// same database to every later caller.
//
// All values are strings; every string is an owned heap copy (a null given where a copy
// is made becomes ""). Names, ids and keys compare exactly; lookups are linear and the
// first match wins. Strings handed out by the getters point into the records and stay
// valid until the record changes or is freed.
//
// Threads: the registry (lookup, load, registration, release) is guarded by one mutex,
// so the loading thread and the main thread may ask for databases together; a database
// is registered only once loaded. The records themselves are not locked: two threads
// must not change the same database at the same time.
#ifndef APP_SERVICES_DATAMAN_H
#define APP_SERVICES_DATAMAN_H

#include "narray.h"

#include <mutex>

// One owned key/value pair.
class DMValue {
public:
    DMValue() = default;
    DMValue(const DMValue &other);
    DMValue &operator=(const DMValue &other);
    ~DMValue();

    const char *GetValue() const { return value; }
    // Decimal integer as atoi reads it, saturated at the int32 limits; 0 for null.
    int GetValueInt() const;
    // As atof reads it, narrowed to float; 0 for null.
    float GetValueFloat() const;
    // Replaces the value by a copy; null is ignored.
    void SetValue(const char *text);
    void SetValueInt(int number);      // "%d"
    void SetValueFloat(float number);  // "%g"

    char *key = nullptr;
    char *value = nullptr;
};

// One record: an id (the value of its "id" key, null for CSV nodes) and its pairs.
class DMNode {
public:
    DMNode() = default;
    DMNode(const DMNode &) = delete;
    DMNode &operator=(const DMNode &) = delete;
    ~DMNode();

    // The value of the first pair with that key; null when absent or the key is null.
    const char *GetValue(const char *key) const;
    // Sets or appends a pair; "id" also renames the node. A null key is ignored; a null
    // value keeps an existing value and gives "" to a new pair.
    void SetValue(const char *key, const char *value);
    // Appends a pair without looking for an existing key (loaders).
    void AppendPair(const char *key, const char *value);
    // Removes the first pair with that key; the node's id stays.
    void RemoveValue(const char *key);

    char *id = nullptr;
    DMValue *pairs = nullptr;  // exactly `count` live pairs
    int count = 0;
};

class DMArray {
public:
    DMArray();
    DMArray(const DMArray &) = delete;
    DMArray &operator=(const DMArray &) = delete;
    ~DMArray();

    int GetSize() const { return nodes.Count(); }
    // Null outside 0..GetSize()-1.
    DMNode *GetNode(int index) const;
    // The first node with that id; null for a null id (nodes without id never match).
    DMNode *GetNode(const char *id) const;
    int GetNodeIndexById(const char *id) const;
    const char *GetNodeValue(int index, const char *key) const;
    const char *GetNodeValue(const char *id, const char *key) const;
    // The existing node with that id, or a new one appended (with its ("id", id) pair,
    // or without id and pairs for a null id).
    DMNode *AddNode(const char *id);
    // Ignored for a null node id; otherwise sets the key on the node (created when absent).
    void SetValue(const char *node_id, const char *key, const char *value);
    void RemoveNode(int index);
    bool RemoveNode(const char *id);

    char *id = nullptr;
    nArray<DMNode *> nodes;
};

class DMDatabase {
public:
    DMDatabase();
    DMDatabase(const DMDatabase &) = delete;
    DMDatabase &operator=(const DMDatabase &) = delete;
    ~DMDatabase();

    // The first array with that id; a null id finds the first array without id.
    DMArray *GetArray(const char *id) const;
    DMArray *GetArray(int index) const;
    int GetNumberOfArrays() const { return arrays.Count(); }
    int GetArraySize(const char *id) const;
    const char *GetValue(const char *array_id, const char *node_id, const char *key) const;
    const char *GetValue(const char *array_id, int node_index, const char *key) const;
    // Appends a new empty array (id "" for null), never checking for an existing one.
    DMArray *AddArray(const char *id);
    bool RemoveArray(const char *id);
    // Finds or appends the array, then DMArray::SetValue.
    void SetValue(const char *array_id, const char *node_id, const char *key, const char *value);
    // Frees every array and the name (which becomes null).
    void Free();

    // Files (see dbfiles.cpp). Load chooses the reader by the ending (.xml/.dat XML,
    // .csv CSV); false when the file does not open or the ending is unknown. Save writes
    // XML only (".xml"), atomically; false with the file on disk unchanged on failure.
    bool Load(const char *file);
    bool LoadXML(const char *file);
    bool LoadCSV(const char *file);
    bool Save(const char *file);
    bool SaveXML(const char *file);
    // The XML text SaveXML writes.
    char *FormatXML(size_t *length) const;
    // True when the last load found the file but it was malformed or cut short.
    bool HadParseError() const { return parse_error; }

    char *name = nullptr;
    nArray<DMArray *> arrays;
    bool parse_error = false;
};

// The registry (global `dman()`).
class DataMan {
public:
    DataMan();
    ~DataMan();  // frees every registered database

    // The registered database of that name, or a new one loaded from the file and
    // registered even when the load failed. Never null.
    DMDatabase *GetDatabase(const char *name);
    // The registered database of that name, or a new empty one (nothing read).
    DMDatabase *CreateDatabase(const char *name);
    // Unregisters and frees; nothing when not registered.
    void ReleaseDatabase(DMDatabase *db);
    void ReleaseDatabase(const char *name);
    DMArray *GetArray(const char *file, const char *array_id);
    int GetArraySize(const char *file, const char *array_id);
    const char *GetValue(const char *file, const char *array_id, const char *node_id, const char *key);
    const char *GetValue(const char *file, const char *array_id, int node_index, const char *key);
    // Number of registered databases.
    int GetNumberOfDatabases();
    // Unregisters and frees every database (end of a run, or a fresh start in tests).
    void ReleaseAllDatabases();

private:
    DMDatabase *Find(const char *name);
    void Remove(DMDatabase *db);

    std::mutex mutex_;
    nArray<DMDatabase *> databases_;
};

// The registry, built on first use and freed at exit.
DataMan &dman();

#endif
