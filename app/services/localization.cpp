// Localisation: the string table read from "language.xml", the recorded new strings and
// their file, and the number and time formatting.
#include "app/services/localization.h"

#include "app/services/filehelpers.h"
#include "app/services/prog.h"
#include "app/services/xmlreader.h"
#include "orvex.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char kSeparator[] = "@";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// One of four 64-byte buffers of the calling thread, used in turn.
char *RotatingBuffer(char (*buffers)[64], int *turn)
{
    *turn = (*turn + 1) & 3;
    return buffers[*turn];
}

}  // namespace

const char *LOC_StringConverted(const char *text)
{
    thread_local std::string out;
    out.clear();
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\':
            if (p[1] == 'n' || p[1] == 't' || p[1] == 'r')
                out += '\\';
            else
                out += "\\\\";
            break;
        default: out += *p; break;
        }
    }
    return out.c_str();
}

const char *LOC_StringDeconverted(const char *text)
{
    thread_local std::string out;
    out.clear();
    for (const char *p = text ? text : ""; *p; p++) {
        if (*p != '\\') {
            out += *p;
            continue;
        }
        char n = p[1];
        if (n == '\0')
            break;  // a final backslash is dropped
        p++;
        switch (n) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        default: break;  // unknown escape: both dropped
        }
    }
    return out.c_str();
}

LocalizationManager::LocalizationManager()
{
    entries_.SetShrink(true);
    language_file_ = nStringDuplicate("none.xml");
    new_strings_file_ = nStringDuplicate("none-new.xml");
}

LocalizationManager::~LocalizationManager()
{
    FreeEntries();
    nStringFree(language_file_);
    nStringFree(new_strings_file_);
}

void LocalizationManager::FreeEntries()
{
    for (int i = 0; i < entries_.Count(); i++) {
        nStringFree(entries_[i].key);
        nStringFree(entries_[i].translation);
        nStringFree(entries_[i].comment);
    }
    entries_.Clear();
}

// Caller holds the mutex. Null key, translation or comment stay null.
void LocalizationManager::AppendLocked(const char *key, const char *translation, const char *comment, bool from_file,
                                       int use_count)
{
    Entry e;
    e.key = key ? nStringDuplicate(key) : nullptr;
    e.translation = translation ? nStringDuplicate(translation) : nullptr;
    e.comment = comment ? nStringDuplicate(comment) : nullptr;
    e.from_file = from_file;
    e.use_count = use_count;
    entries_.InsertLast(e);
}

bool LocalizationManager::IsActive()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return active_;
}

// Reads the entries of "language.xml"; *ok becomes false when it opens but yields no
// first block.
void LocalizationManager::ReadLanguageFile(bool *ok)
{
    *ok = true;
    XMLReader reader;
    if (!reader.OpenFile(language_file_)) {
        ov->OV_Printf("Language file not found.\n");
        return;
    }
    if (!reader.ReadNextBlock()) {
        reader.CloseFile();
        *ok = false;
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    while (!reader.EndOfFile()) {
        XMLBlock *block = reader.ReadNextBlock();
        if (block && nStringsMatch(block->name, "array"))
            block = reader.ReadNextBlock();
        if (!block)
            break;
        if (!nStringsMatch(block->name, "node") && !nStringsMatch(block->name, "String"))
            continue;
        std::string key, translation;
        bool has_key = false, has_translation = false;
        for (int i = 0; i < block->count; i++) {
            const char *name = block->attr_names[i];
            if (nStringsMatch(name, "id") || nStringsMatch(name, "from")) {
                key = LOC_StringDeconverted(block->attr_values[i]);
                has_key = true;
            } else if (nStringsMatch(name, "to")) {
                translation = LOC_StringDeconverted(block->attr_values[i]);
                has_translation = true;
                break;
            }
        }
        if (has_key || has_translation)
            AppendLocked(has_key ? key.c_str() : nullptr, has_translation ? translation.c_str() : nullptr, nullptr, true,
                         0);
    }
}

bool LocalizationManager::Initialize()
{
    const char *code = prog.parms.locale;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        thousands_separator_ = ',';
        hour_separator_ = ':';
        minute_separator_ = ':';
        if (code && code[0])
            active_ = true;
        else if (!active_)
            return true;
    }
    ov->OV_Printf("Initializing language translation.\n");
    if (code && code[0]) {
        char path[300];
        snprintf(path, sizeof path, "res://data-%s", code);
        ov->OV_AddSearchPath(path, true);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nStringFree(language_file_);
        nStringFree(new_strings_file_);
        language_file_ = nStringDuplicate("language.xml");
        new_strings_file_ = nStringDuplicate("user://language-new-strings.xml");
        FreeEntries();
    }
    bool ok = true;
    ReadLanguageFile(&ok);
    if (!ok)
        return false;

    const char *thousands = Localize("THOUSANDS_SEPARATOR");
    const char *pattern = Localize("TIME_FORMAT");
    if (!pattern)
        pattern = "HH:MM:SS";
    std::lock_guard<std::mutex> lock(mutex_);
    thousands_separator_ = thousands ? thousands[0] : ',';
    size_t length = strlen(pattern);
    if (length >= 3)
        hour_separator_ = pattern[2];
    if (length >= 6)
        minute_separator_ = pattern[5];
    return true;
}

void LocalizationManager::Shutdown()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_)
        return;
    ov->OV_Printf("LocalizationManager::Shutdown\n");
    if (prog.parms.developer_mode) {
        for (int i = 0; i < entries_.Count(); i++)
            if (entries_[i].key && entries_[i].use_count == 0)
                ov->OV_PrintDebugf(1, "Translation #%d: '%s' never used.\n", i, entries_[i].key);
    }
    active_ = false;
}

const char *LocalizationManager::Localize(const char *key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_ || !key || !key[0] || (key[0] == ' ' && key[1] == '\0'))
        return key;
    if (key[0] == '@')
        return nullptr;
    for (int i = 0; i < entries_.Count(); i++) {
        Entry &e = entries_[i];
        if (e.key && e.translation && strcmp(e.key, key) == 0) {
            e.use_count++;
            return e.translation;
        }
    }
    if (strcmp(key, "THOUSANDS_SEPARATOR") == 0) {
        AppendLocked(nullptr, nullptr, kSeparator, false, 0);
        return AddNewStringLocked(key, ",");
    }
    if (strcmp(key, "TIME_FORMAT") == 0) {
        AppendLocked(nullptr, nullptr, kSeparator, false, 0);
        return AddNewStringLocked(key, "HH:MM:SS");
    }
    return AddNewStringLocked(key, key);
}

const char *LocalizationManager::AddNewString(const char *key, const char *translation)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return AddNewStringLocked(key, translation);
}

const char *LocalizationManager::AddNewStringLocked(const char *key, const char *translation)
{
    AppendLocked(key ? key : "", translation ? translation : "", nullptr, false, 1);
    const char *stored = entries_[entries_.Count() - 1].translation;
    WriteLanguageStringTable();
    return stored;
}

void LocalizationManager::LocalizeNewLine()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_)
        AppendLocked(nullptr, nullptr, kSeparator, false, 0);
}

void LocalizationManager::LocalizeComment(const char *text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!active_)
        return;
    for (int i = 0; i < entries_.Count(); i++)
        if (nStringsMatch(entries_[i].comment, text ? text : ""))
            return;
    AppendLocked(nullptr, nullptr, text ? text : "", false, 0);
}

// Caller holds the mutex. Rewrites the whole file, crash-safely like every other file
// the program writes; a failure is reported (by the writer) and the table stays in
// memory for the next try.
void LocalizationManager::WriteLanguageStringTable()
{
    std::string out = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root>\n<array id=\"STRINGS\">\n";
    int words = 0, strings = 0;
    for (int i = 0; i < entries_.Count(); i++) {
        const Entry &e = entries_[i];
        if (e.from_file)
            continue;
        strings++;
        if (e.comment && strcmp(e.comment, kSeparator) == 0) {
            out += "\n";
        } else if (e.comment) {
            out += " <!-- ";
            out += LOC_StringConverted(e.comment);
            out += " -->\n";
        } else {
            out += " <node\n  id = \"";
            out += LOC_StringConverted(e.key);
            out += "\"\n  to = \"";
            out += LOC_StringConverted(e.translation);
            out += "\" />\n";
        }
        bool in_word = false;
        for (const char *p = e.key ? e.key : ""; *p; p++) {
            if (!IsBlank(*p) && !in_word)
                words++;
            in_word = !IsBlank(*p);
        }
    }
    char tail[160];
    snprintf(tail, sizeof tail, "\n\n <!-- %d ref words in total. -->\n <!-- %d ref strings in total. -->\n", words,
             strings);
    out += tail;
    out += "</array>\n</root>\n";
    SaveFileReplacing(new_strings_file_, out.data(), out.size(), false);  // the translators', not the player's
}

const char *LocalizationManager::LocalizeNumber(int number)
{
    thread_local char buffers[4][64];
    thread_local int turn = 0;
    char *out = RotatingBuffer(buffers, &turn);
    char digits[16];
    snprintf(digits, sizeof digits, "%d", number);
    char separator;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        separator = thousands_separator_;
    }
    int length = (int)strlen(digits), w = 0;
    for (int i = 0; i < length; i++) {
        out[w++] = digits[i];
        int after = length - 1 - i;
        if (separator && digits[i] != '-' && after > 0 && after % 3 == 0)
            out[w++] = separator;
    }
    out[w] = '\0';
    return out;
}

const char *LocalizationManager::LocalizeTime(uint32_t milliseconds)
{
    thread_local char buffers[4][64];
    thread_local int turn = 0;
    char *out = RotatingBuffer(buffers, &turn);
    char hour_sep, minute_sep;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hour_sep = hour_separator_;
        minute_sep = minute_separator_;
    }
    unsigned h = milliseconds / 3600000u;
    unsigned m = (milliseconds / 1000u % 3600u) / 60u;
    unsigned s = milliseconds / 1000u % 60u;
    if (h != 0)
        snprintf(out, 64, "%.2u%c%.2u%c%.2u", h, hour_sep, m, minute_sep, s);
    else
        snprintf(out, 64, "%.2u%c%.2u", m, minute_sep, s);
    return out;
}

nString LocalizationManager::GenerateLoremIpsum(int n)
{
    int count = n + 1;
    if (count < 0)
        count = 0;
    if (count > 9)
        count = 9;
    nString text;
    text.Format("|#ffff00|%.*s|#ffffff|", count, "Lorem ipsum");
    return text;
}

int LocalizationManager::GetNumberOfEntries()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.Count();
}

const char *LocalizationManager::GetEntryKey(int index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index >= 0 && index < entries_.Count() ? entries_[index].key : nullptr;
}

const char *LocalizationManager::GetEntryTranslation(int index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index >= 0 && index < entries_.Count() ? entries_[index].translation : nullptr;
}

int LocalizationManager::GetEntryUseCount(int index)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return index >= 0 && index < entries_.Count() ? entries_[index].use_count : 0;
}

LocalizationManager &loc_man()
{
    static LocalizationManager manager;
    return manager;
}
