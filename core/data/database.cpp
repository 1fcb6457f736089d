// The in-memory side of the data-manifest databases: values, nodes, arrays and the
// database's array list with their lookups and edits. Reading and writing files is
// in database-xml.cpp, the registry in dataman.cpp.
#include "core/data/dataman.h"

#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// ---- OV_DMValue

OV_DMValue::OV_DMValue() : key(nullptr), value(nullptr) {}

OV_DMValue::OV_DMValue(const OV_DMValue &other)
    : key(nStringDuplicate(other.key)), value(nStringDuplicate(other.value))
{
}

OV_DMValue::~OV_DMValue()
{
    nStringFree(key);
    nStringFree(value);
}

int OV_DMValue::GetValueInt() const
{
    return value ? (int)strtol(value, nullptr, 10) : 0;
}

float OV_DMValue::GetValueFloat() const
{
    return value ? strtof(value, nullptr) : 0.0f;
}

void OV_DMValue::SetValue(const char *text)
{
    if (!text)
        return;
    char *copy = nStringDuplicate(text);  // copied first: text may be our own value
    nStringFree(value);
    value = copy;
}

void OV_DMValue::SetValueInt(int number)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%d", number);
    SetValue(buf);
}

void OV_DMValue::SetValueFloat(float number)
{
    char buf[64];
    snprintf(buf, sizeof buf, "%g", (double)number);
    SetValue(buf);
}

// ---- OV_DMNode

OV_DMNode::OV_DMNode() : id(nullptr), pairs(nullptr), count(0) {}

OV_DMNode::~OV_DMNode()
{
    nStringFree(id);
    delete[] pairs;
}

const char *OV_DMNode::GetValue(const char *key) const
{
    if (!key)
        return nullptr;
    for (int i = 0; i < count; i++)
        if (nStringsMatch(pairs[i].key, key))
            return pairs[i].value;
    return nullptr;
}

void OV_DMNode::SetValue(const char *key, const char *value)
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
    // A new pair: the block is reallocated to exactly count + 1 entries.
    OV_DMValue *grown = new OV_DMValue[count + 1];
    for (int i = 0; i < count; i++) {
        grown[i].key = pairs[i].key;
        grown[i].value = pairs[i].value;
        pairs[i].key = pairs[i].value = nullptr;
    }
    grown[count].key = nStringDuplicate(key);
    grown[count].value = nStringDuplicate(value);
    delete[] pairs;
    pairs = grown;
    count++;
}

bool OV_DMNode::RemoveValue(const char *key)
{
    if (!key)
        return false;
    for (int i = 0; i < count; i++) {
        if (!nStringsMatch(pairs[i].key, key))
            continue;
        OV_DMValue *shrunk = count > 1 ? new OV_DMValue[count - 1] : nullptr;
        for (int j = 0, k = 0; j < count; j++) {
            if (j == i)
                continue;
            shrunk[k].key = pairs[j].key;
            shrunk[k].value = pairs[j].value;
            pairs[j].key = pairs[j].value = nullptr;
            k++;
        }
        delete[] pairs;
        pairs = shrunk;
        count--;
        // The node's id mirrors its "id" pair, so it goes with it.
        if (strcmp(key, "id") == 0) {
            nStringFree(id);
            id = nullptr;
        }
        return true;
    }
    return false;
}

// ---- OV_DMArray

OV_DMArray::OV_DMArray() : id(nullptr)
{
    nodes.SetShrink(true);
}

OV_DMArray::~OV_DMArray()
{
    nStringFree(id);
    for (int i = 0; i < nodes.Count(); i++)
        delete nodes[i];
}

OV_DMNode *OV_DMArray::GetNode(int index) const
{
    if (index < 0 || index >= nodes.Count())
        return nullptr;
    return nodes[index];
}

OV_DMNode *OV_DMArray::GetNode(const char *node_id) const
{
    if (!node_id)
        return nullptr;
    for (int i = 0; i < nodes.Count(); i++)
        if (nodes[i]->id && strcmp(nodes[i]->id, node_id) == 0)
            return nodes[i];
    return nullptr;
}

int OV_DMArray::GetSize() const
{
    return nodes.Count();
}

OV_DMNode *OV_DMArray::AddNode(const char *node_id)
{
    OV_DMNode *node = GetNode(node_id);
    if (node)
        return node;
    node = new OV_DMNode();
    if (node_id)
        node->SetValue("id", node_id);
    nodes.InsertLast(node);
    return node;
}

const char *OV_DMArray::GetNodeValue(int index, const char *key) const
{
    OV_DMNode *node = GetNode(index);
    return node ? node->GetValue(key) : nullptr;
}

const char *OV_DMArray::GetNodeValue(const char *node_id, const char *key) const
{
    OV_DMNode *node = GetNode(node_id);
    return node ? node->GetValue(key) : nullptr;
}

void OV_DMArray::SetValue(const char *node_id, const char *key, const char *value)
{
    if (!node_id)
        return;
    AddNode(node_id)->SetValue(key, value);
}

bool OV_DMArray::RemoveNode(const char *node_id)
{
    if (!node_id)
        return false;
    for (int i = 0; i < nodes.Count(); i++) {
        if (nodes[i]->id && strcmp(nodes[i]->id, node_id) == 0) {
            OV_DMNode *node = nodes[i];
            nodes.Remove(i);
            delete node;
            return true;
        }
    }
    return false;
}

// ---- OV_DMDatabase

OV_DMDatabase::OV_DMDatabase() : name(nullptr)
{
    arrays.SetShrink(true);
}

OV_DMDatabase::~OV_DMDatabase()
{
    Free();
}

void OV_DMDatabase::Free()
{
    for (int i = 0; i < arrays.Count(); i++)
        delete arrays[i];
    arrays.Clear();
    nStringFree(name);
    name = nullptr;
}

OV_DMArray *OV_DMDatabase::GetArray(int index) const
{
    if (index < 0 || index >= arrays.Count())
        return nullptr;
    return arrays[index];
}

int OV_DMDatabase::GetNumberOfArrays() const
{
    return arrays.Count();
}

OV_DMArray *OV_DMDatabase::GetArray(const char *array_id) const
{
    for (int i = 0; i < arrays.Count(); i++) {
        const char *id = arrays[i]->id;
        if (array_id ? (id && strcmp(id, array_id) == 0) : id == nullptr)
            return arrays[i];
    }
    return nullptr;
}

int OV_DMDatabase::GetArraySize(const char *array_id) const
{
    OV_DMArray *array = GetArray(array_id);
    return array ? array->GetSize() : 0;
}

const char *OV_DMDatabase::GetValue(const char *array_id, int index, const char *key) const
{
    OV_DMArray *array = GetArray(array_id);
    return array ? array->GetNodeValue(index, key) : nullptr;
}

const char *OV_DMDatabase::GetValue(const char *array_id, const char *node_id, const char *key) const
{
    OV_DMArray *array = GetArray(array_id);
    return array ? array->GetNodeValue(node_id, key) : nullptr;
}

OV_DMArray *OV_DMDatabase::AddArray(const char *array_id)
{
    OV_DMArray *array = new OV_DMArray();
    array->id = nStringDuplicate(array_id);
    arrays.InsertLast(array);
    return array;
}

bool OV_DMDatabase::RemoveArray(const char *array_id)
{
    for (int i = 0; i < arrays.Count(); i++) {
        const char *id = arrays[i]->id;
        if (array_id ? (id && strcmp(id, array_id) == 0) : id == nullptr) {
            OV_DMArray *array = arrays[i];
            arrays.Remove(i);
            delete array;
            return true;
        }
    }
    return false;
}

void OV_DMDatabase::SetValue(const char *array_id, const char *node_id, const char *key, const char *value)
{
    // A null array id creates its array as "", so it is found again under "".
    const char *wanted = array_id ? array_id : "";
    OV_DMArray *array = GetArray(wanted);
    if (!array)
        array = AddArray(wanted);
    array->SetValue(node_id, key, value);
}
