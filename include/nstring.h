// String helpers shared by engine and application, and the owning string nString.
//
// Strings are plain 8-bit, NUL-terminated texts. Heap strings come from malloc and go
// back to free (nStringDuplicate / nStringFree, nString). Formatting goes through a
// 1024-byte working buffer: longer text is cut to 1023 characters, and the functions
// that return a length return the length the full text would have had.
#ifndef NSTRING_H
#define NSTRING_H

struct ov_file_t;

#if defined(__GNUC__)
#define NSTRING_PRINTF(fmt_index, first_arg) __attribute__((format(printf, fmt_index, first_arg)))
#else
#define NSTRING_PRINTF(fmt_index, first_arg)
#endif

// Size of the working buffer behind nSprintf, OV_fprintf and nString::Format.
enum { NSTRING_FORMAT_BUFFER = 1024 };

// Size of each shared token buffer: the shared-buffer nStringGetToken takes texts
// of at most NSTRING_TOKEN_BUFFER - 1 characters.
enum { NSTRING_TOKEN_BUFFER = 256, NSTRING_TOKEN_BUFFERS = 8 };

// True when both are non-null and equal byte for byte.
bool nStringsMatch(const char *a, const char *b);
// True when both are non-null and equal ignoring ASCII case.
bool nStringsMatchIncaseSensitive(const char *a, const char *b);

// Heap copy of the text; null gives a heap copy of "". Release with nStringFree.
char *nStringDuplicate(const char *text);
// Copies the text with its terminator (the caller provides room); null text writes "".
// A null destination does nothing.
void nStringCopy(char *dst, const char *src);
// Length of the text, 0 for null.
int nStringLength(const char *text);
// Releases a heap string; null is ignored.
void nStringFree(char *text);
// First occurrence of the needle, null when either is null or nothing is found. Like
// strstr, the result points into the haystack and may be written through when the
// haystack is writable.
char *nStringSearch(const char *haystack, const char *needle);

// Formats (cut to 1023 characters) and copies the text into dst, which must have room
// for it. Returns the length of the full text.
int nSprintf(char *dst, const char *fmt, ...) NSTRING_PRINTF(2, 3);
// Formats into dst, writing at most size bytes including the terminator.
void nStringFormat(char *dst, int size, const char *fmt, ...) NSTRING_PRINTF(3, 4);

// The index-th token of text split at the separator (a substring, not a set of
// characters). Index 0 is the text before the first separator (all of it when there
// is none). A later index is null when there are fewer separators or when nothing
// follows the separator that starts it. A null text gives null.
//
// Shared-buffer form: the text (at most 255 characters, else null) is copied into
// one of 8 buffers of the calling thread, used in turn; the result stays valid for
// 8 further calls on the same thread.
char *nStringGetToken(const char *text, const char *separator, int index);
// Caller-buffer form: the text is copied into buf (null when it does not fit with
// its terminator) and the result points into buf.
char *nStringGetToken(char *buf, int size, const char *text, const char *separator, int index);

// Copies src into dst (size bytes) and replaces each occurrence of find by replace,
// left to right, never rescanning inserted text, for as long as the result still
// fits; the first replacement that would not fit ends the work. Does nothing when
// src or dst is null, size is below 1 or src does not fit. An empty find only copies.
void nStringReplace(const char *src, const char *find, const char *replace, char *dst, int size);

// Formats (cut to 1023 characters) and writes the text without terminator through
// the engine interface's OV_fwrite. Returns the length of the full text.
int OV_fprintf(ov_file_t *file, const char *fmt, ...) NSTRING_PRINTF(2, 3);

// An owned heap text; null means empty. Copies are deep.
class nString {
public:
    nString() = default;
    explicit nString(const char *text);
    nString(const nString &other);
    nString(nString &&other) noexcept;
    nString &operator=(const nString &other);
    nString &operator=(nString &&other) noexcept;
    ~nString();

    // Stores a copy of the text (null empties the string); the old text is released
    // afterwards, so setting a string to its own text is safe.
    void Set(const char *text);
    // Stores the formatted text (cut to 1023 characters).
    void Format(const char *fmt, ...) NSTRING_PRINTF(2, 3);
    // Adds the text at the end; null does nothing.
    void Append(const char *text);
    // Releases the text.
    void Clear();

    // The text, null when empty.
    const char *Get() const { return text_; }
    int Length() const { return nStringLength(text_); }
    bool IsEmpty() const { return text_ == nullptr || text_[0] == '\0'; }

private:
    char *text_ = nullptr;
};

#endif
