// Database files: the XML format (read with XMLReader, written here), and the
// ';'-separated format (read with CSVReader, never written).
//
// Written XML: a declaration, "<root>", then per array an empty line, the array tag,
// one "node" element per node (pairs in order; nodes of six pairs or more spread one
// pair a line and followed by an empty line) and the closing tag; then "</root>".
// Ids and values are escaped (\\ \" \n \r \t and "&amp;"), so every value reads back
// exactly; a key that cannot be written as an attribute name is left out.
#include "app/services/dataman.h"

#include "app/services/csvreader.h"
#include "app/services/dev-edit-fallback.h"
#include "app/services/filehelpers.h"
#include "app/services/xmlreader.h"
#include "nstring.h"
#include "orvex.h"

#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <string>

namespace {

const char kUnknownType[] = "Unknown database file type '%s'.\nSupported formats are: .csv .xml";

// True when the name's last four characters equal the ending, ignoring case.
bool EndsWith(const char *name, const char *ending)
{
    size_t n = strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ending) == 0;
}

// A key is written as an attribute name: it must read back as one.
bool KeyWritable(const char *key)
{
    return key && key[0] && !strpbrk(key, " \t\r\n=\"<>/");
}

void AppendEscaped(std::string &out, const char *text)
{
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '&': out += "&amp;"; break;
        default: out += *p; break;
        }
    }
}

void AppendNode(std::string &out, const DMNode *node)
{
    int writable = 0;
    for (int p = 0; p < node->count; p++) {
        if (KeyWritable(node->pairs[p].key))
            writable++;
        else
            ov->OV_Popupf(1, "Skipping key '%s' of node '%s': not writable.\n",
                          node->pairs[p].key ? node->pairs[p].key : "", node->id ? node->id : "");
    }
    bool spread = writable > 5;
    out += "\t\t<node ";
    for (int p = 0; p < node->count; p++) {
        if (!KeyWritable(node->pairs[p].key))
            continue;
        out += node->pairs[p].key;
        out += "=\"";
        AppendEscaped(out, node->pairs[p].value);
        out += "\" ";
        if (spread)
            out += "\n\t\t ";
    }
    out += "/>\n";
    if (spread)
        out += "\n";
}

}  // namespace

bool DMDatabase::Load(const char *file)
{
    char *copy = nStringDuplicate(file);
    nStringFree(name);
    name = copy;
    parse_error = false;
    if (!file || strlen(file) < 4)
        return false;
    if (EndsWith(file, ".xml") || EndsWith(file, ".dat")) {
        bool loaded = LoadXML(file);
        if (!parse_error)
            return loaded;
        // A developer edit that does not read gives way to the shipped file.
        std::string opened = OpenedFileName(file);
        if (!IsDevEditFile(opened.c_str()) || !SetDamagedDevEditAside(opened.c_str(), "its XML does not read whole"))
            return loaded;
        for (int i = 0; i < arrays.Count(); i++)
            delete arrays[i];
        arrays.Clear();
        return LoadXML(file);
    }
    if (EndsWith(file, ".csv"))
        return LoadCSV(file);
    ov->OV_Popupf(1, kUnknownType, file);
    return false;
}

bool DMDatabase::LoadXML(const char *file)
{
    parse_error = false;
    XMLReader reader;
    if (!reader.OpenFile(file)) {
        ov->OV_Popupf(1, "XML Array File '%s' not found!\n", name ? name : "");
        // A file that opens but is not XML (or cannot be read whole) is damaged.
        parse_error = file && file[0] && FileOpens(file);
        return false;
    }
    reader.ReadNextBlock();
    reader.ReadNextBlock();
    int array_count = 0, node_count = 0;
    while (!reader.EndOfFile()) {
        XMLBlock *block = reader.ReadNextBlock();
        if (!block)
            break;
        if (!nStringsMatch(block->name, "array") || block->closing)
            continue;
        DMArray *array = new DMArray;
        for (int i = 0; i < block->count; i++) {
            if (nStringsMatch(block->attr_names[i], "id")) {
                array->id = nStringDuplicate(block->attr_values[i]);
                break;
            }
        }
        arrays.InsertLast(array);
        bool closed = false;
        block = reader.ReadNextBlock();
        while (block) {
            if (nStringsMatch(block->name, "array") && block->closing) {
                closed = true;
                break;
            }
            if (!nStringsMatch(block->name, "node")) {
                block = reader.ReadNextBlock();  // other elements and stray text are skipped
                continue;
            }
            DMNode *node = new DMNode;
            for (int i = 0; i < block->count; i++) {
                node->AppendPair(block->attr_names[i], block->attr_values[i]);
                if (nStringsMatch(block->attr_names[i], "id")) {
                    nStringFree(node->id);
                    node->id = nStringDuplicate(block->attr_values[i]);
                }
            }
            array->nodes.InsertLast(node);
            node_count++;
            block = reader.ReadNextBlock();
            if (!block) {
                ov->OV_Popupf(1, "Error parsing file '%s'\n", file);
                parse_error = true;
                break;
            }
            if (!block->name) {
                node->AppendPair("DATA", block->attr_values[0]);
                reader.ReadNextBlock();  // the closing "node" tag
                block = reader.ReadNextBlock();
            }
        }
        if (!closed)
            parse_error = true;  // cut short inside the array
        array_count++;
    }
    if (reader.GetErrorCount() > 0)
        parse_error = true;
    ov->OV_Printf("%d Arrays loaded with total %d nodes.\n", array_count, node_count);
    return true;
}

bool DMDatabase::LoadCSV(const char *file)
{
    parse_error = false;
    CSVReader reader;
    if (!reader.OpenFile(file)) {
        ov->OV_Popupf(1, "CSV Array File '%s' not found!\n", name ? name : "");
        return false;
    }
    DMArray *array = new DMArray;
    arrays.InsertLast(array);
    int node_count = 0;
    int columns = reader.GetNumberOfColumns();
    char *field = (char *)malloc(4096);
    // Without columns nothing is ever consumed: the reading ends at once.
    while (columns > 0 && !reader.EndOfFile()) {
        int32_t before = reader.GetPosition();
        DMNode *node = new DMNode;
        for (int c = 0; c < columns; c++) {
            const char *value = reader.ReadNextAsString(field, 4096);
            node->AppendPair(reader.GetColumnName(c), value ? value : "");
        }
        if (reader.GetPosition() == before) {
            delete node;
            break;
        }
        array->nodes.InsertLast(node);
        node_count++;
    }
    free(field);
    reader.CloseFile();
    ov->OV_Printf("%d CSV Arrays loaded with total %d nodes.\n", 1, node_count);
    return true;
}

bool DMDatabase::Save(const char *file)
{
    if (!file || strlen(file) < 4)
        return false;
    if (EndsWith(file, ".xml"))
        return SaveXML(file);
    ov->OV_Popupf(1, kUnknownType, file);
    return false;
}

char *DMDatabase::FormatXML(size_t *length) const
{
    std::string out = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n";
    for (int a = 0; a < arrays.Count(); a++) {
        const DMArray *array = arrays[a];
        if (array->id) {
            out += "\n\t<array id=\"";
            AppendEscaped(out, array->id);
            out += "\">\n";
        } else {
            out += "\n\t<array>\n";
        }
        for (int n = 0; n < array->nodes.Count(); n++)
            AppendNode(out, array->nodes[n]);
        out += "\t</array>\n";
    }
    out += "</root>\n";
    *length = out.size();
    char *text = (char *)malloc(out.size() + 1);
    if (text)
        memcpy(text, out.c_str(), out.size() + 1);
    return text;
}

bool DMDatabase::SaveXML(const char *file)
{
    size_t length = 0;
    char *text = FormatXML(&length);
    if (!text)
        return false;
    bool ok = SaveFileReplacing(file, text, length);
    free(text);
    return ok;
}
