// The data registry and the records of its databases (the file readers and the writer
// are in dbfiles.cpp).
#include "app/services/dataman.h"

#include "app/services/data-numbers.h"
#include "nstring.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// --- DMValue

DMValue::DMValue(const DMValue &other)
    : key(nStringDuplicate(other.key)), value(nStringDuplicate(other.value))
{
}

DMValue &DMValue::operator=(const DMValue &other)
{
    if (this != &other) {
        char *k = nStringDuplicate(other.key);
        char *v = nStringDuplicate(other.value);
        nStringFree(key);
        nStringFree(value);
        key = k;
        value = v;
    }
    return *this;
}

DMValue::~DMValue()
{
    nStringFree(key);
    nStringFree(value);
}

int DMValue::GetValueInt() const
{
    return DataLeadingInt(value);
}

// Kept on atof, not the data-number rule: the player's settings are read through it,
// and a stored "inf" volume is clamped to full by the settings loader, not read as 0.
float DMValue::GetValueFloat() const
{
    return value ? (float)atof(value) : 0.0f;
}

void DMValue::SetValue(const char *text)
{
    if (!text)
        return;
    char *copy = nStringDuplicate(text);
    nStringFree(value);
    value = copy;
}

void DMValue::SetValueInt(int number)
{
    char text[16];
    snprintf(text, sizeof text, "%d", number);
    SetValue(text);
}

void DMValue::SetValueFloat(float number)
{
    char text[32];
    snprintf(text, sizeof text, "%g", (double)number);
    SetValue(text);
}

// --- DMNode

DMNode::~DMNode()
{
    nStringFree(id);
    delete[] pairs;
}

const char *DMNode::GetValue(const char *key) const
{
    if (!key)
        return nullptr;
    for (int i = 0; i < count; i++)
        if (nStringsMatch(pairs[i].key, key))
            return pairs[i].value;
    return nullptr;
}

// The block is reallocated with exactly one more pair; the old pairs move over.
void DMNode::AppendPair(const char *key, const char *value)
{
    DMValue *block = new DMValue[count + 1];
    for (int i = 0; i < count; i++) {
        block[i].key = pairs[i].key;
        block[i].value = pairs[i].value;
        pairs[i].key = nullptr;
        pairs[i].value = nullptr;
    }
    block[count].key = nStringDuplicate(key);
    block[count].value = nStringDuplicate(value);
    delete[] pairs;
    pairs = block;
    count++;
}

void DMNode::SetValue(const char *key, const char *value)
{
    if (!key)
        return;
    if (strcmp(key, "id") == 0) {
        char *copy = nStringDuplicate(value);
        nStringFree(id);
        id = copy;
    }
    for (int i = 0; i < count; i++) {
        if (nStringsMatch(pairs[i].key, key)) {
            pairs[i].SetValue(value);
            return;
        }
    }
    AppendPair(key, value);
}

void DMNode::RemoveValue(const char *key)
{
    if (!key)
        return;
    for (int i = 0; i < count; i++) {
        if (!nStringsMatch(pairs[i].key, key))
            continue;
        nStringFree(pairs[i].key);
        nStringFree(pairs[i].value);
        for (int j = i; j + 1 < count; j++) {
            pairs[j].key = pairs[j + 1].key;
            pairs[j].value = pairs[j + 1].value;
        }
        count--;
        pairs[count].key = nullptr;
        pairs[count].value = nullptr;
        return;
    }
}

// --- DMArray

DMArray::DMArray()
{
    nodes.SetShrink(true);
}

DMArray::~DMArray()
{
    for (int i = 0; i < nodes.Count(); i++)
        delete nodes[i];
    nStringFree(id);
}

DMNode *DMArray::GetNode(int index) const
{
    return index >= 0 && index < nodes.Count() ? nodes[index] : nullptr;
}

DMNode *DMArray::GetNode(const char *node_id) const
{
    int i = GetNodeIndexById(node_id);
    return i >= 0 ? nodes[i] : nullptr;
}

int DMArray::GetNodeIndexById(const char *node_id) const
{
    if (!node_id)
        return -1;
    for (int i = 0; i < nodes.Count(); i++)
        if (nStringsMatch(nodes[i]->id, node_id))
            return i;
    return -1;
}

const char *DMArray::GetNodeValue(int index, const char *key) const
{
    DMNode *node = GetNode(index);
    return node ? node->GetValue(key) : nullptr;
}

const char *DMArray::GetNodeValue(const char *node_id, const char *key) const
{
    DMNode *node = GetNode(node_id);
    return node ? node->GetValue(key) : nullptr;
}

DMNode *DMArray::AddNode(const char *node_id)
{
    if (DMNode *existing = GetNode(node_id))
        return existing;
    DMNode *node = new DMNode;
    if (node_id) {
        node->id = nStringDuplicate(node_id);
        node->AppendPair("id", node_id);
    }
    nodes.InsertLast(node);
    return node;
}

void DMArray::SetValue(const char *node_id, const char *key, const char *value)
{
    if (!node_id)
        return;
    AddNode(node_id)->SetValue(key, value);
}

void DMArray::RemoveNode(int index)
{
    if (index < 0 || index >= nodes.Count())
        return;
    DMNode *node = nodes[index];
    nodes.Remove(index);
    delete node;
}

bool DMArray::RemoveNode(const char *node_id)
{
    int i = GetNodeIndexById(node_id);
    if (i < 0)
        return false;
    RemoveNode(i);
    return true;
}

// --- DMDatabase

DMDatabase::DMDatabase()
{
    arrays.SetShrink(true);
}

DMDatabase::~DMDatabase()
{
    Free();
}

DMArray *DMDatabase::GetArray(const char *array_id) const
{
    for (int i = 0; i < arrays.Count(); i++) {
        const char *id = arrays[i]->id;
        if (array_id ? nStringsMatch(id, array_id) : id == nullptr)
            return arrays[i];
    }
    return nullptr;
}

DMArray *DMDatabase::GetArray(int index) const
{
    return index >= 0 && index < arrays.Count() ? arrays[index] : nullptr;
}

int DMDatabase::GetArraySize(const char *array_id) const
{
    DMArray *array = GetArray(array_id);
    return array ? array->GetSize() : 0;
}

const char *DMDatabase::GetValue(const char *array_id, const char *node_id, const char *key) const
{
    if (!node_id)
        return nullptr;
    DMArray *array = GetArray(array_id);
    return array ? array->GetNodeValue(node_id, key) : nullptr;
}

const char *DMDatabase::GetValue(const char *array_id, int node_index, const char *key) const
{
    DMArray *array = GetArray(array_id);
    return array ? array->GetNodeValue(node_index, key) : nullptr;
}

DMArray *DMDatabase::AddArray(const char *array_id)
{
    DMArray *array = new DMArray;
    array->id = nStringDuplicate(array_id);
    arrays.InsertLast(array);
    return array;
}

bool DMDatabase::RemoveArray(const char *array_id)
{
    if (!array_id)
        return false;
    for (int i = 0; i < arrays.Count(); i++) {
        if (nStringsMatch(arrays[i]->id, array_id)) {
            DMArray *array = arrays[i];
            arrays.Remove(i);
            delete array;
            return true;
        }
    }
    return false;
}

void DMDatabase::SetValue(const char *array_id, const char *node_id, const char *key, const char *value)
{
    DMArray *array = GetArray(array_id ? array_id : "");
    if (!array)
        array = AddArray(array_id);
    array->SetValue(node_id, key, value);
}

void DMDatabase::Free()
{
    for (int i = 0; i < arrays.Count(); i++)
        delete arrays[i];
    arrays.Clear();
    nStringFree(name);
    name = nullptr;
}

// --- DataMan

DataMan::DataMan()
{
    databases_.SetShrink(true);
}

DataMan::~DataMan()
{
    ReleaseAllDatabases();
}

void DataMan::ReleaseAllDatabases()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = 0; i < databases_.Count(); i++)
        delete databases_[i];
    databases_.Clear();
}

// Caller holds the mutex.
DMDatabase *DataMan::Find(const char *name)
{
    for (int i = 0; i < databases_.Count(); i++)
        if (nStringsMatch(databases_[i]->name, name))
            return databases_[i];
    return nullptr;
}

DMDatabase *DataMan::GetDatabase(const char *name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (DMDatabase *db = Find(name))
        return db;
    DMDatabase *db = new DMDatabase;
    db->Load(name);
    databases_.InsertLast(db);
    return db;
}

DMDatabase *DataMan::CreateDatabase(const char *name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (DMDatabase *db = Find(name))
        return db;
    DMDatabase *db = new DMDatabase;
    db->name = nStringDuplicate(name);
    databases_.InsertLast(db);
    return db;
}

// Caller holds the mutex.
void DataMan::Remove(DMDatabase *db)
{
    for (int i = 0; i < databases_.Count(); i++) {
        if (databases_[i] == db) {
            databases_.Remove(i);
            delete db;
            return;
        }
    }
}

void DataMan::ReleaseDatabase(DMDatabase *db)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Remove(db);
}

void DataMan::ReleaseDatabase(const char *name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (DMDatabase *db = Find(name))
        Remove(db);
}

DMArray *DataMan::GetArray(const char *file, const char *array_id)
{
    return GetDatabase(file)->GetArray(array_id);
}

int DataMan::GetArraySize(const char *file, const char *array_id)
{
    return GetDatabase(file)->GetArraySize(array_id);
}

const char *DataMan::GetValue(const char *file, const char *array_id, const char *node_id, const char *key)
{
    return GetDatabase(file)->GetValue(array_id, node_id, key);
}

const char *DataMan::GetValue(const char *file, const char *array_id, int node_index, const char *key)
{
    return GetDatabase(file)->GetValue(array_id, node_index, key);
}

int DataMan::GetNumberOfDatabases()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return databases_.Count();
}

DataMan &dman()
{
    static DataMan registry;
    return registry;
}
