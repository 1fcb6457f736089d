// String helpers, the token splitter, the bounded replace, OV_fprintf and nString.
#include "nstring.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvex.h"

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Formats into a working buffer of NSTRING_FORMAT_BUFFER bytes; returns the length of
// the full text (the buffer holds at most 1023 characters of it).
int FormatToWorkBuffer(char *work, const char *fmt, va_list args) {
    int full = vsnprintf(work, NSTRING_FORMAT_BUFFER, fmt, args);
    if (full < 0) {
        work[0] = '\0';
    }
    return full;
}

// Splits the text already copied into buf (which it modifies) and returns the token.
char *TokenInPlace(char *buf, const char *separator, int index) {
    if (index < 0) {
        return nullptr;
    }
    int sep_len = nStringLength(separator);
    if (sep_len == 0) {
        // No separator can occur: the whole text is token 0 and there is no other.
        return index == 0 ? buf : nullptr;
    }
    char *token = buf;
    for (int i = 0; i < index; i++) {
        char *sep = strstr(token, separator);
        if (sep == nullptr) {
            return nullptr;
        }
        token = sep + sep_len;
        if (*token == '\0') {
            return nullptr;
        }
    }
    char *end = strstr(token, separator);
    if (end != nullptr) {
        *end = '\0';
    }
    return token;
}

// Each thread turns through its own buffers, so the result of one thread is never
// overwritten by another.
thread_local char token_buffers[NSTRING_TOKEN_BUFFERS][NSTRING_TOKEN_BUFFER];
thread_local int token_next = 0;

}  // namespace

bool nStringsMatch(const char *a, const char *b) {
    return a != nullptr && b != nullptr && strcmp(a, b) == 0;
}

bool nStringsMatchIncaseSensitive(const char *a, const char *b) {
    if (a == nullptr || b == nullptr) {
        return false;
    }
    for (; *a != '\0' && *b != '\0'; a++, b++) {
        if (AsciiLower(*a) != AsciiLower(*b)) {
            return false;
        }
    }
    return *a == *b;
}

char *nStringDuplicate(const char *text) {
    if (text == nullptr) {
        text = "";
    }
    size_t size = strlen(text) + 1;
    char *copy = static_cast<char *>(malloc(size));
    memcpy(copy, text, size);
    return copy;
}

void nStringCopy(char *dst, const char *src) {
    if (dst == nullptr) {
        return;
    }
    if (src == nullptr) {
        dst[0] = '\0';
        return;
    }
    memmove(dst, src, strlen(src) + 1);
}

int nStringLength(const char *text) {
    return text == nullptr ? 0 : static_cast<int>(strlen(text));
}

void nStringFree(char *text) {
    free(text);
}

char *nStringSearch(const char *haystack, const char *needle) {
    if (haystack == nullptr || needle == nullptr) {
        return nullptr;
    }
    return const_cast<char *>(strstr(haystack, needle));
}

int nSprintf(char *dst, const char *fmt, ...) {
    char work[NSTRING_FORMAT_BUFFER];
    va_list args;
    va_start(args, fmt);
    int full = FormatToWorkBuffer(work, fmt, args);
    va_end(args);
    nStringCopy(dst, work);
    return full;
}

void nStringFormat(char *dst, int size, const char *fmt, ...) {
    if (dst == nullptr || size < 1) {
        return;
    }
    va_list args;
    va_start(args, fmt);
    if (vsnprintf(dst, static_cast<size_t>(size), fmt, args) < 0) {
        dst[0] = '\0';
    }
    va_end(args);
}

char *nStringGetToken(const char *text, const char *separator, int index) {
    // The rotation moves on with every call, also with ones that yield null.
    char *buf = token_buffers[token_next];
    token_next = (token_next + 1) % NSTRING_TOKEN_BUFFERS;
    return nStringGetToken(buf, NSTRING_TOKEN_BUFFER, text, separator, index);
}

char *nStringGetToken(char *buf, int size, const char *text, const char *separator, int index) {
    if (buf == nullptr || text == nullptr || nStringLength(text) >= size) {
        return nullptr;
    }
    memcpy(buf, text, strlen(text) + 1);
    return TokenInPlace(buf, separator, index);
}

void nStringReplace(const char *src, const char *find, const char *replace, char *dst, int size) {
    if (src == nullptr || dst == nullptr || size < 1) {
        return;
    }
    int len = nStringLength(src);
    if (len >= size) {
        return;
    }
    memmove(dst, src, static_cast<size_t>(len) + 1);
    int find_len = nStringLength(find);
    if (find_len == 0) {
        return;
    }
    if (replace == nullptr) {
        replace = "";
    }
    int replace_len = nStringLength(replace);
    char *scan = dst;
    for (char *hit = strstr(scan, find); hit != nullptr; hit = strstr(scan, find)) {
        int new_len = len - find_len + replace_len;
        if (new_len + 1 > size) {
            break;
        }
        // Move the tail (with its terminator) to its new place, then drop the
        // replacement into the gap and scan on behind it.
        char *tail = hit + find_len;
        memmove(hit + replace_len, tail, strlen(tail) + 1);
        memcpy(hit, replace, static_cast<size_t>(replace_len));
        scan = hit + replace_len;
        len = new_len;
    }
}

int OV_fprintf(ov_file_t *file, const char *fmt, ...) {
    char work[NSTRING_FORMAT_BUFFER];
    va_list args;
    va_start(args, fmt);
    int full = FormatToWorkBuffer(work, fmt, args);
    va_end(args);
    if (ov != nullptr && ov->OV_fwrite != nullptr) {
        ov->OV_fwrite(work, 1, static_cast<unsigned>(strlen(work)), file);
    }
    return full;
}

nString::nString(const char *text) {
    Set(text);
}

nString::nString(const nString &other) {
    Set(other.text_);
}

nString::nString(nString &&other) noexcept : text_(other.text_) {
    other.text_ = nullptr;
}

nString &nString::operator=(const nString &other) {
    Set(other.text_);
    return *this;
}

nString &nString::operator=(nString &&other) noexcept {
    if (this != &other) {
        nStringFree(text_);
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

nString::~nString() {
    nStringFree(text_);
}

void nString::Set(const char *text) {
    char *copy = text == nullptr ? nullptr : nStringDuplicate(text);
    nStringFree(text_);
    text_ = copy;
}

void nString::Format(const char *fmt, ...) {
    char work[NSTRING_FORMAT_BUFFER];
    va_list args;
    va_start(args, fmt);
    FormatToWorkBuffer(work, fmt, args);
    va_end(args);
    Set(work);
}

void nString::Append(const char *text) {
    if (text == nullptr) {
        return;
    }
    if (text_ == nullptr) {
        Set(text);
        return;
    }
    size_t old_len = strlen(text_);
    size_t add_len = strlen(text);
    char *joined = static_cast<char *>(malloc(old_len + add_len + 1));
    memcpy(joined, text_, old_len);
    memcpy(joined + old_len, text, add_len + 1);
    nStringFree(text_);
    text_ = joined;
}

void nString::Clear() {
    nStringFree(text_);
    text_ = nullptr;
}
