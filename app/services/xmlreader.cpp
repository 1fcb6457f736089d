// The application's XML tokenizer: gathers one block of the data per call (a tag with
// blanks normalised, or a text run), then splits a tag into name and attributes.
#include "app/services/xmlreader.h"

#include "app/services/filehelpers.h"
#include "nstring.h"
#include "orvex.h"

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const int kFirstBuffer = 4096;

bool IsBlank(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// True when the character at index i is preceded by an odd run of backslashes that
// starts at or after index first: such a double quote is escaped.
bool Escaped(const char *text, int first, int i)
{
    int run = 0;
    while (i - 1 - run >= first && text[i - 1 - run] == '\\')
        run++;
    return (run & 1) != 0;
}

}  // namespace

XMLReader::XMLReader()
{
    buffer_ = (char *)malloc(kFirstBuffer);
    buffer_size_ = buffer_ ? kFirstBuffer : 0;
    memset(&block_, 0, sizeof block_);
}

XMLReader::~XMLReader()
{
    CloseFile();
    free(data_);
    free(buffer_);
}

void XMLReader::CloseFile()
{
    nStringFree(file_name_);
    file_name_ = nullptr;
    depth_ = 0;
}

// Installs a new zero-terminated data block (taking ownership) and resets the position.
bool XMLReader::TakeData(char *data, long size)
{
    free(data_);
    data_ = data;
    size_ = (int32_t)size;
    pos_ = 0;
    errors_ = 0;
    lines_pos_ = 0;
    lines_ = 0;
    return true;
}

bool XMLReader::OpenFile(const char *name, bool native)
{
    CloseFile();
    if (!name || !name[0])
        return false;
    char *data = nullptr;
    long size = 0;
    if (native) {
        FILE *f = fopen(name, "rb");
        if (!f)
            return false;
        if (fseek(f, 0, SEEK_END) == 0)
            size = ftell(f);
        if (size < 0 || size >= INT32_MAX || fseek(f, 0, SEEK_SET) != 0) {
            fclose(f);
            return false;
        }
        data = (char *)malloc((size_t)size + 1);
        if (!data || (size > 0 && fread(data, 1, (size_t)size, f) != (size_t)size)) {
            free(data);
            fclose(f);
            return false;
        }
        fclose(f);
        data[size] = '\0';
    } else {
        data = ReadWholeFile(name, &size);
        if (!data)
            return false;
    }
    TakeData(data, size);
    file_name_ = nStringDuplicate(name);
    const char *p = data_;
    while (IsBlank(*p))
        p++;
    if (p - data_ >= size_)
        return true;
    if (*p != '<') {
        ov->OV_Popupf(1,
                      "First non-whitespace char in XML document needs to be '<'. First char in '%s' is #%d '%c'. "
                      "Note: UTF8 BOM is not supported.\n",
                      file_name_, (int)(unsigned char)*p, *p);
        return false;
    }
    return true;
}

bool XMLReader::OpenFileInMemory(const void *data, int size)
{
    CloseFile();
    if (!data || size < 4)
        return false;
    char *copy = (char *)malloc((size_t)size + 1);
    if (!copy)
        return false;
    memcpy(copy, data, (size_t)size);
    copy[size] = '\0';
    TakeData(copy, size);
    file_name_ = nStringDuplicate("FromMem");
    return true;
}

bool XMLReader::EndOfFile() const
{
    return pos_ >= size_;
}

bool XMLReader::OnlyWhitespace(const char *text)
{
    if (!text)
        return true;
    for (; *text; text++)
        if (!IsBlank(*text))
            return false;
    return true;
}

// Reports a complaint about the data at the read position; the line number is counted
// incrementally, so many complaints in one file stay cheap.
void XMLReader::PrintParsingError(const char *description, char c)
{
    errors_++;
    int32_t pos = pos_ < size_ ? pos_ : size_;
    if (pos < lines_pos_) {
        lines_pos_ = 0;
        lines_ = 0;
    }
    for (; lines_pos_ < pos; lines_pos_++)
        if (data_[lines_pos_] == '\n')
            lines_++;
    int32_t from = pos > 0 ? pos - 1 : 0;
    char excerpt[255];
    nStringFormat(excerpt, sizeof excerpt, "%s", data_ + from);
    ov->OV_Popupf(1, "Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'%s'\n",
                  description, (int)lines_, file_name_ ? file_name_ : "", c, (unsigned)(unsigned char)c, excerpt);
}

// Makes room for one more character (and the terminator); false when the block has
// reached its limit, which is reported once per block.
bool XMLReader::EnsureRoom()
{
    if (gathered_ + 1 < buffer_size_)
        return true;
    if (buffer_size_ <= XML_MAX_BLOCK) {
        int32_t grown = buffer_size_ * 2;
        if (grown > XML_MAX_BLOCK + 1)
            grown = XML_MAX_BLOCK + 1;
        if (grown > buffer_size_) {
            char *b = (char *)realloc(buffer_, (size_t)grown);
            if (b) {
                buffer_ = b;
                buffer_size_ = grown;
                return true;
            }
        }
    }
    if (!overrun_) {
        overrun_ = true;
        PrintParsingError("buffer overrun", ' ');
    }
    return false;
}

// Appends a character when there is room; a full block drops it.
bool XMLReader::Gather(char c)
{
    if (!EnsureRoom())
        return false;
    buffer_[gathered_++] = c;
    return true;
}

// Skips a comment whose opening "<!--" has just been gathered; first is the character
// read after it. The end is found in a window that starts with the opening's last '-'.
// False when the data end inside the comment.
bool XMLReader::SkipComment(char first)
{
    char w0 = 0, w1 = '-', w2 = first;
    for (;;) {
        if (w0 == '-' && w1 == '-' && w2 == '>')
            return true;
        if (w0 == '<' && w1 == '!' && w2 == '-')
            PrintParsingError("New comment block start within a comment block.", '<');
        if (pos_ >= size_) {
            PrintParsingError("Comment block not ended properly.", ' ');
            return false;
        }
        w0 = w1;
        w1 = w2;
        w2 = data_[pos_++];
    }
}

// Gathers a character inside a tag, unless the gathered text ends in "<!--": then the
// character opens a comment, which is skipped and removed (*comment_ended set). False
// when the data end inside a comment.
bool XMLReader::TagGather(char c, bool *comment_ended)
{
    *comment_ended = false;
    if (gathered_ >= 4 && memcmp(buffer_ + gathered_ - 4, "<!--", 4) == 0) {
        if (!SkipComment(c))
            return false;
        gathered_ -= 4;
        *comment_ended = true;
        return true;
    }
    Gather(c);
    return true;
}

// Gathers the next block into the buffer; false when the data end first (whatever was
// gathered is dropped; unterminated content counts as an error).
bool XMLReader::GetNextBlock()
{
    if (!buffer_ || !data_)
        return false;
    gathered_ = 0;
    overrun_ = false;
    bool in_quotes = false, in_tag = false;
    int32_t quote_start = 0;
    while (pos_ < size_) {
        int32_t at = pos_;
        char c = data_[pos_++];
        if (in_quotes) {
            if (c == '"' && !Escaped(data_, quote_start, at))
                in_quotes = false;
            Gather(c);
            continue;
        }
        if (c == '"') {
            Gather(c);
            in_quotes = true;
            quote_start = pos_;
            continue;
        }
        if (!in_tag) {
            if (c == '<') {
                buffer_[gathered_] = '\0';
                if (!OnlyWhitespace(buffer_)) {
                    pos_--;
                    return true;
                }
                gathered_ = 0;
                Gather('<');
                in_tag = true;
                continue;
            }
            if (c == '>')
                PrintParsingError("not expecting '>'", '>');
            Gather(c);
            continue;
        }
        char last = gathered_ > 0 ? buffer_[gathered_ - 1] : '\0';
        bool ended = false;
        if (last == '<' && c == '<') {
            PrintParsingError("not expecting another '<'", '<');
            if (!TagGather(c, &ended))
                return false;
            continue;
        }
        if (last == '<' && c == '>')
            PrintParsingError("not expecting '<' yet", '>');
        if (IsBlank(c)) {
            if (gathered_ == 0 || last == ' ' || last == '<' || last == '=')
                continue;
            if (!TagGather(' ', &ended))
                return false;
            continue;
        }
        if (c == '>') {
            if (last == '/' && gathered_ >= 2 && buffer_[gathered_ - 2] == ' ') {
                buffer_[gathered_ - 2] = '/';
                buffer_[gathered_ - 1] = '>';
            } else if (last == ' ') {
                buffer_[gathered_ - 1] = '>';
            } else {
                if (!TagGather('>', &ended))
                    return false;
                if (ended)
                    continue;
                if (buffer_[gathered_ - 1] != '>')
                    buffer_[gathered_ - 1] = '>';  // a cut block still ends its tag
            }
            buffer_[gathered_] = '\0';
            return true;
        }
        if (c == '=' && last == ' ')
            gathered_--;
        if (!TagGather(c, &ended))
            return false;
    }
    buffer_[gathered_] = '\0';
    if (!OnlyWhitespace(buffer_))
        errors_++;  // an unterminated tag or text at the end of the data
    return false;
}

char *XMLReader::SeekParmEnd(char *text)
{
    char *p = text;
    bool quoted = false;
    for (; *p; p++) {
        if (*p == '"') {
            if (!Escaped(text, 0, (int)(p - text)))
                quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (*p == ' ' || *p == '>')
            break;
        if (*p == '/' && p[1] == '>')
            break;
    }
    return p;
}

void XMLReader::FormattedStringToBinaryString(char *text)
{
    if (!text)
        return;
    char *r = text, *w = text;
    while (*r) {
        if (*r != '\\') {
            *w++ = *r++;
            continue;
        }
        char n = r[1];
        if (n == '\0')
            break;  // a backslash before the terminator is dropped
        r += 2;
        switch (n) {
        case 'n': *w++ = '\n'; break;
        case 'r': *w++ = '\r'; break;
        case 't': *w++ = '\t'; break;
        case '"': *w++ = '"'; break;
        case '\\': *w++ = '\\'; break;
        default: break;  // unknown escape: both characters dropped
        }
    }
    *w = '\0';
}

namespace {

// Replaces every occurrence of the entity by the character, scanning on after each.
void ReplaceEntity(char *text, const char *entity, char c)
{
    size_t len = strlen(entity);
    char *r = text, *w = text;
    while (*r) {
        if (*r == '&' && strncmp(r, entity, len) == 0) {
            *w++ = c;
            r += len;
        } else {
            *w++ = *r++;
        }
    }
    *w = '\0';
}

}  // namespace

void XMLReader::ParseXMLEntities(char *text)
{
    if (!text)
        return;
    ReplaceEntity(text, "&quot;", '"');
    ReplaceEntity(text, "&amp;", '&');
}

XMLBlock *XMLReader::ReadNextBlock()
{
    block_.name = nullptr;
    block_.count = 0;
    block_.closing = false;
    if (!GetNextBlock())
        return nullptr;
    char *b = buffer_;
    if (b[0] != '<') {
        static char kData[] = "DATA";
        block_.count = 1;
        block_.attr_names[0] = kData;
        block_.attr_values[0] = b;
        return &block_;
    }
    char *p = b + 1;
    if (*p == '/') {
        block_.closing = true;
        p++;
    }
    block_.name = p;
    while (*p && *p != '>' && *p != ' ')
        p++;
    if (*p != ' ') {
        if (*p == '>') {
            *p = '\0';
            if (p > block_.name && p[-1] == '/') {
                p[-1] = '\0';
                block_.closing = true;
            }
        }
        return &block_;
    }
    *p++ = '\0';
    while (*p) {
        if (pos_ >= size_)
            return nullptr;
        char *name = p;
        char *eq = strchr(p, '=');
        if (!eq) {
            ov->OV_Printf("XMLReader Parsing Error1 at %d/%d\n", (int)pos_, (int)size_);
            errors_++;
            return nullptr;
        }
        *eq = '\0';
        char *start = eq + 1;
        char *value = *start == '"' ? start + 1 : start;
        char *end = SeekParmEnd(start);
        char stop = *end;
        *end = '\0';
        if (end > value && end[-1] == '"')
            end[-1] = '\0';
        FormattedStringToBinaryString(value);
        ParseXMLEntities(value);
        if (block_.count >= XML_MAX_ATTRIBUTES) {
            ov->OV_Popupf(1, "Too many blocks (%d limit) in object '%s' in xml '%s'.\n", (int)XML_MAX_ATTRIBUTES,
                          block_.name, file_name_ ? file_name_ : "");
        } else {
            block_.attr_names[block_.count] = name;
            block_.attr_values[block_.count] = value;
            block_.count++;
        }
        if (stop == '/') {
            block_.closing = true;
            break;
        }
        if (stop != ' ')
            break;
        p = end + 1;
    }
    return &block_;
}
