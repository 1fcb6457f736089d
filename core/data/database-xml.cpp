// Reading and writing data-manifest databases as engine XML: the file-type dispatch,
// the array/node reader over OV_XMLReader blocks and the fixed writer layout (values
// escaped so that what is written reads back the same).
#include "core/data/dataman.h"
#include "core/data/xml-reader.h"

#include "core/fs/fs.h"
#include "core/ov_state.h"
#include "nstring.h"

#include <stdio.h>
#include <string.h>

namespace {

// Helpers (defined after the public functions).
bool EndsWithXml(const char *name);
bool IsElement(const ov_xml_block_t *b, const char *name);
const char *AttributeValue(const ov_xml_block_t *b, const char *name, bool last);
OV_DMNode *NodeFromTag(const ov_xml_block_t *b);
void AppendPair(OV_DMNode *node, const char *key, const char *value);
void WriteEscaped(FILE *f, const char *text);

}  // namespace

bool OV_DMDatabase::Load(const char *file)
{
    char *copy = nStringDuplicate(file);
    nStringFree(name);
    name = copy;
    if (EndsWithXml(name))
        return LoadXML(file);
    if (nStringLength(name) > 3)
        OV_Popupf(OV_WARNING, "Unknown database file type '%s'.\nSupported formats are: .xml", name);
    return false;
}

bool OV_DMDatabase::LoadXML(const char *file)
{
    OV_XMLReader reader;
    if (!reader.OpenFile(file, ov == nullptr)) {
        if (ov)
            OV_Popupf(OV_WARNING, "OV_XML Array File '%s' not found!\n", name ? name : (file ? file : ""));
        return false;
    }
    return ReadArrays(reader, file);
}

bool OV_DMDatabase::LoadXMLFromMemory(const char *file, const void *data, int size)
{
    if (file) {
        char *copy = nStringDuplicate(file);
        nStringFree(name);
        name = copy;
    }
    OV_XMLReader reader;
    if (!reader.OpenFileInMemory(data, size))
        return false;
    return ReadArrays(reader, file ? file : "FromMem");
}

bool OV_DMDatabase::ReadArrays(OV_XMLReader &reader, const char *file)
{
    int arrays_ended = 0;
    int nodes_read = 0;

    // Only an XML declaration and the root element are skipped at the start; a file
    // that begins with an array keeps it.
    ov_xml_block_t *b = reader.ReadNextBlock();
    if (b && b->name && b->name[0] == '?')
        b = reader.ReadNextBlock();
    if (b && b->name && !b->closing && !IsElement(b, "array"))
        b = reader.ReadNextBlock();

    while (b) {
        if (!IsElement(b, "array") || b->end_tag) {
            b = reader.ReadNextBlock();
            continue;
        }
        OV_DMArray *array = new OV_DMArray();
        const char *id = AttributeValue(b, "id", false);
        array->id = id ? nStringDuplicate(id) : nullptr;
        arrays.InsertLast(array);
        bool self_closing = b->closing;
        b = reader.ReadNextBlock();
        if (self_closing) {
            arrays_ended++;
            continue;
        }

        while (b) {
            if (IsElement(b, "array") && b->closing) {
                arrays_ended++;
                b = reader.ReadNextBlock();
                break;
            }
            if (!IsElement(b, "node") || b->end_tag) {
                b = reader.ReadNextBlock();  // text and other tags are not part of an array
                continue;
            }
            bool has_content = !b->closing;
            OV_DMNode *node = NodeFromTag(b);
            array->nodes.InsertLast(node);
            nodes_read++;

            b = reader.ReadNextBlock();
            if (!b) {
                OV_Popupf(OV_WARNING, "Error parsing file '%s'\n", file ? file : "");
                arrays_ended++;
                break;
            }
            if (has_content && !b->name) {
                // Text between the node's tags becomes its DATA pair; its end tag is skipped.
                AppendPair(node, "DATA", b->attr_values[0]);
                b = reader.ReadNextBlock();
                if (b && IsElement(b, "node") && b->end_tag)
                    b = reader.ReadNextBlock();
            }
        }
    }

    OV_Printf("%d Arrays loaded with total %d nodes.\n", arrays_ended, nodes_read);
    return true;
}

bool OV_DMDatabase::Save(const char *file)
{
    if (nStringLength(file) < 4)
        return false;
    if (EndsWithXml(file))
        return SaveXML(file);
    OV_Popupf(OV_WARNING, "Unknown database file type '%s'.\nSupported formats are: .xml", file);
    return false;
}

bool OV_DMDatabase::SaveXML(const char *file)
{
    // The whole database goes to the ".tmp" sibling first and replaces the file only
    // when every byte reached the disk: a crash or a full disk keeps the old file.
    FILE *f = file ? OVFS_OpenTempSibling(file, "wt") : nullptr;
    if (!f) {
        OV_Popupf(OV_WARNING, "Unable to open file '%s' for writing.\n", file ? file : "");
        return false;
    }
    fputs("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n", f);
    fputs("<root>\n", f);
    for (int a = 0; a < arrays.Count(); a++) {
        OV_DMArray *array = arrays[a];
        fputs("\n", f);
        if (array->id) {
            fputs("\t<array id=\"", f);
            WriteEscaped(f, array->id);
            fputs("\">\n", f);
        } else {
            fputs("\t<array>\n", f);  // so that it reads back without an id
        }
        for (int n = 0; n < array->nodes.Count(); n++) {
            OV_DMNode *node = array->nodes[n];
            bool several_lines = node->count > 3;
            fputs("\t\t<node ", f);
            for (int p = 0; p < node->count; p++) {
                fprintf(f, "%s=\"", node->pairs[p].key ? node->pairs[p].key : "");
                WriteEscaped(f, node->pairs[p].value);
                fputs("\" ", f);
                if (several_lines)
                    fputs("\n\t\t ", f);
            }
            fputs("/>\n", f);
            if (several_lines)
                fputs("\n", f);
        }
        fputs("\t</array>\n", f);
    }
    fputs("</root>\n", f);
    // The stream's error flag is sticky: it covers every write above.
    if (!OVFS_FinishTempSibling(f, file, true)) {
        OV_Popupf(OV_WARNING, "Unable to save database '%s'. The file is unchanged.\n", file);
        return false;
    }
    return true;
}

namespace {

bool EndsWithXml(const char *name)
{
    int n = nStringLength(name);
    return n >= 4 && nStringsMatchIncaseSensitive(name + n - 4, ".xml");
}

bool IsElement(const ov_xml_block_t *b, const char *name)
{
    return b && b->name && nStringsMatchIncaseSensitive(b->name, name);
}

// The value of the first (or last) attribute with this name, ignoring case.
const char *AttributeValue(const ov_xml_block_t *b, const char *name, bool last)
{
    const char *found = nullptr;
    for (int i = 0; i < b->count; i++) {
        if (nStringsMatchIncaseSensitive(b->attr_names[i], name)) {
            found = b->attr_values[i];
            if (!last)
                break;
        }
    }
    return found;
}

// A node with a copy of every attribute of the tag, in order.
OV_DMNode *NodeFromTag(const ov_xml_block_t *b)
{
    OV_DMNode *node = new OV_DMNode();
    if (b->count > 0) {
        node->pairs = new OV_DMValue[b->count];
        for (int i = 0; i < b->count; i++) {
            node->pairs[i].key = nStringDuplicate(b->attr_names[i]);
            node->pairs[i].value = nStringDuplicate(b->attr_values[i]);
        }
        node->count = b->count;
    }
    const char *id = AttributeValue(b, "id", true);
    node->id = id ? nStringDuplicate(id) : nullptr;
    return node;
}

// Appends a pair without looking for an existing key.
void AppendPair(OV_DMNode *node, const char *key, const char *value)
{
    OV_DMValue *grown = new OV_DMValue[node->count + 1];
    for (int i = 0; i < node->count; i++) {
        grown[i].key = node->pairs[i].key;
        grown[i].value = node->pairs[i].value;
        node->pairs[i].key = node->pairs[i].value = nullptr;
    }
    grown[node->count].key = nStringDuplicate(key);
    grown[node->count].value = nStringDuplicate(value);
    delete[] node->pairs;
    node->pairs = grown;
    node->count++;
}

// Writes a value with the reader's escapes for backslash, quote, LF, CR and tab.
void WriteEscaped(FILE *f, const char *text)
{
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\': fputs("\\\\", f); break;
        case '"': fputs("\\\"", f); break;
        case '\n': fputs("\\n", f); break;
        case '\r': fputs("\\r", f); break;
        case '\t': fputs("\\t", f); break;
        default: fputc(*p, f); break;
        }
    }
}

}  // namespace
