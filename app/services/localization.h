// Localisation: translates the program's text keys into the player's language, formats
// integers with a thousands separator and durations as hours, minutes and seconds, and,
// while a translation is active, records every key the language file lacks into the
// new-strings file "user://language-new-strings.xml" for translators.
//
// Translation is active only when the program record carries a language code; without
// one every key is shown as written. The table, its use counts and the new-strings file
// are guarded by one mutex, so the loading thread may localise while the main thread
// does. Texts handed out stay valid until the manager is destroyed at program end.
#ifndef APP_SERVICES_LOCALIZATION_H
#define APP_SERVICES_LOCALIZATION_H

#include "narray.h"
#include "nstring.h"

#include <stdint.h>

#include <mutex>

class LocalizationManager {
public:
    LocalizationManager();
    ~LocalizationManager();  // frees every entry
    LocalizationManager(const LocalizationManager &) = delete;
    LocalizationManager &operator=(const LocalizationManager &) = delete;

    // Reads the language file when the program record has a language code (adding
    // "res://data-<code>" in front of the search paths first). True, except when the
    // language file opens but holds no block at all.
    bool Initialize();
    // Deactivates; in developer mode reports the file's translations never used.
    void Shutdown();
    bool IsActive();

    // The translation of the key; the key itself (the very pointer) while inactive or for
    // null, "" and " "; null for a key beginning with '@'. A key the table lacks is added
    // with itself as translation and written to the new-strings file at once.
    const char *Localize(const char *key);
    // Appends a recorded string (copies; "" for null) and rewrites the new-strings file;
    // returns the stored translation.
    const char *AddNewString(const char *key, const char *translation);
    // While active: an empty line in the new-strings file before the next recorded key.
    void LocalizeNewLine();
    // While active: a comment in the new-strings file, once per distinct text.
    void LocalizeComment(const char *text);

    // "1,234,567" with the thousands separator; one of 4 buffers of the calling thread.
    const char *LocalizeNumber(int number);
    // "HH:MM:SS" (hours not wrapped) or "MM:SS" under an hour, with the separators of the
    // time format; one of 4 buffers of the calling thread.
    const char *LocalizeTime(uint32_t milliseconds);
    // Placeholder text: the first n + 1 characters (at most 9) of "Lorem ipsum" in yellow.
    static nString GenerateLoremIpsum(int n);

    // Number of entries, and one entry's fields (for tests and reports); null outside.
    int GetNumberOfEntries();
    const char *GetEntryKey(int index);
    const char *GetEntryTranslation(int index);
    int GetEntryUseCount(int index);
    char GetThousandsSeparator() const { return thousands_separator_; }

private:
    struct Entry {
        char *key;
        char *translation;
        char *comment;  // "@" marks an empty line
        bool from_file;
        int use_count;
    };

    void AppendLocked(const char *key, const char *translation, const char *comment, bool from_file, int use_count);
    const char *AddNewStringLocked(const char *key, const char *translation);
    void WriteLanguageStringTable();
    void FreeEntries();
    void ReadLanguageFile(bool *ok);

    std::mutex mutex_;
    nArray<Entry> entries_;
    char *language_file_ = nullptr;
    char *new_strings_file_ = nullptr;
    char thousands_separator_ = ',';
    char hour_separator_ = ':';
    char minute_separator_ = ':';
    bool active_ = false;
};

// The localisation manager, built on first use and freed at exit.
LocalizationManager &loc_man();

// Escapes a text for the language files (\" \\ \n \r \t; a backslash already followed by
// n, t or r is kept). The result lives in a buffer of the calling thread until its next call.
const char *LOC_StringConverted(const char *text);
// Reverses it: \n \r \t \" \\ become their characters; a backslash before anything else
// is dropped with it; a final backslash is dropped. Buffer of the calling thread.
const char *LOC_StringDeconverted(const char *text);

#endif
