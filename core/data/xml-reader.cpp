// The engine XML tokenizer: reading a file or memory block whole, cutting it into tag
// and text blocks, parsing attributes with their backslash escapes, and reporting
// what it cannot make sense of (it reports and goes on; only a broken tag ends a read).
#include "core/data/xml-reader.h"

#include "core/ov_state.h"
#include "nstring.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

char kDataKey[] = "DATA";

bool IsXmlSpace(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// True when the character at p is escaped: an odd run of backslashes stands right
// before it (never looking before start). Counting the whole run keeps an escaped
// backslash in front of a closing quote from escaping that quote.
bool IsEscaped(const char *start, const char *p)
{
    int run = 0;
    while (p > start && p[-1] == '\\') {
        run++;
        p--;
    }
    return (run & 1) != 0;
}

}  // namespace

OV_XMLReader::OV_XMLReader()
    : name_(nullptr), depth_(0), size_(0), position_(0), block_(), work_(nullptr), data_(nullptr), written_(0)
{
    work_ = (char *)malloc(OV_XML_WORK_BUFFER);
    if (work_)
        work_[0] = 0;
}

OV_XMLReader::~OV_XMLReader()
{
    free(data_);
    free(work_);
    nStringFree(name_);
}

bool OV_XMLReader::OpenFile(const char *name, bool native)
{
    CloseFile();
    if (!name || !name[0])
        return false;
    free(data_);
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
    name_ = nStringDuplicate(name);
    if (!ReadWhole(name, native))
        return false;
    if (size_ == 0)
        return true;

    int i = 0;
    while (i < size_ && IsXmlSpace(data_[i]))
        i++;
    if (i < size_ && data_[i] != '<') {
        unsigned char c = (unsigned char)data_[i];
        OV_Popupf(OV_WARNING,
                  "First non-whitespace char in XML document needs to be '<'. First char in '%s' is #%d '%c'. Note: UTF8 "
                  "BOM is not supported.\n",
                  name_, (int)c, (char)c);
        return false;
    }
    return true;
}

bool OV_XMLReader::OpenFileInMemory(const void *data, int size)
{
    CloseFile();
    if (!data || size < 4)
        return false;
    free(data_);
    data_ = (char *)malloc((size_t)size + 1);
    if (!data_) {
        size_ = 0;
        return false;
    }
    memcpy(data_, data, (size_t)size);
    data_[size] = 0;
    size_ = size;
    position_ = 0;
    name_ = nStringDuplicate("FromMem");
    return true;
}

void OV_XMLReader::CloseFile()
{
    nStringFree(name_);
    name_ = nullptr;
    depth_ = 0;
}

bool OV_XMLReader::EndOfFile() const
{
    return position_ >= size_;
}

int OV_XMLReader::GetDepth() const
{
    return depth_;
}

const char *OV_XMLReader::GetName() const
{
    return name_;
}

bool OV_XMLReader::OnlyWhitespace(const char *text)
{
    if (!text)
        return true;
    for (; *text; text++)
        if (!IsXmlSpace(*text))
            return false;
    return true;
}

ov_xml_block_t *OV_XMLReader::ReadNextBlock()
{
    if (!work_ || !data_ || position_ >= size_)
        return nullptr;
    char *text = GetNextBlock();
    if (!text)
        return nullptr;

    block_.count = 0;
    block_.name = nullptr;
    block_.closing = 0;
    block_.end_tag = 0;

    if (text[0] != '<') {
        block_.count = 1;
        block_.attr_names[0] = kDataKey;
        block_.attr_values[0] = text;
        return &block_;
    }

    char *p = text + 1;
    if (*p == '/') {
        block_.closing = 1;
        block_.end_tag = 1;
        p++;
    }
    block_.name = p;
    char *end = p + strcspn(p, " >");
    if (*end == ' ') {
        *end = 0;
        return ParseAttributes(end + 1) ? &block_ : nullptr;
    }
    if (*end == '>' && end > p && end[-1] == '/') {
        block_.closing = 1;
        end[-1] = 0;
    }
    *end = 0;
    return &block_;
}

char *OV_XMLReader::SeekParmEnd(char *text)
{
    bool quoted = false;
    char *p = text;
    for (; *p; p++) {
        if (quoted) {
            if (*p == '"' && !IsEscaped(text, p))
                quoted = false;
            continue;
        }
        if (*p == '"')
            quoted = true;
        else if (*p == ' ')
            return p;
        else if (*p == '>')
            return (p > text && p[-1] == '/') ? p - 1 : p;
    }
    return p;
}

void OV_XMLReader::FormattedStringToBinaryString(char *text)
{
    if (!text)
        return;
    char *out = text;
    const char *in = text;
    while (*in) {
        if (*in != '\\') {
            *out++ = *in++;
            continue;
        }
        char next = in[1];
        if (next == 0)
            break;  // a backslash that ends the text escapes nothing
        switch (next) {
        case 'n': *out++ = '\n'; break;
        case 'r': *out++ = '\r'; break;
        case 't': *out++ = '\t'; break;
        case '"': *out++ = '"'; break;
        case '\\': *out++ = '\\'; break;
        default: break;  // an unknown escape drops both characters
        }
        in += 2;
    }
    *out = 0;
}

void OV_XMLReader::PrintParsingError(const char *what, char character)
{
    char context[255];
    int start = position_ > 0 ? position_ - 1 : 0;
    int n = size_ - start;
    if (n > 254)
        n = 254;
    if (n < 0)
        n = 0;
    if (data_ && n > 0)
        memcpy(context, data_ + start, (size_t)n);
    context[n] = 0;
    int line = 0;
    for (int i = 0; data_ && i < position_ && i < size_; i++)
        if (data_[i] == '\n')
            line++;
    OV_Popupf(OV_WARNING, "Parsing error (%s) around line %d in OV_XML '%s'. Unexpected character '%c' (%x) at:\n'%s'\n",
              what, line, name_ ? name_ : "", character, (unsigned)(unsigned char)character, context);
}

char *OV_XMLReader::GetNextBlock()
{
    if (!work_ || !data_)
        return nullptr;
    bool in_string = false;
    bool in_tag = false;
    written_ = 0;
    while (position_ < size_) {
        char c = data_[position_++];

        if (in_string) {
            bool escaped = c == '"' && IsEscaped(work_, work_ + written_);
            Store(c, !in_tag);
            if (c == '"' && !escaped)
                in_string = false;
            continue;
        }
        if (c == '"') {
            Store(c, !in_tag);
            in_string = true;
            continue;
        }

        if (!in_tag) {
            if (c == '<') {
                work_[written_] = 0;
                if (!OnlyWhitespace(work_)) {
                    position_--;  // the '<' starts the next block
                    return work_;
                }
                written_ = 0;
                Store('<', false);
                in_tag = true;
                continue;
            }
            if (c == '>')
                PrintParsingError("not expecting '>'", c);
            Store(c, true);
            continue;
        }

        if (IsXmlSpace(c)) {
            if (written_ == 0)
                continue;
            char before = work_[written_ - 1];
            if (before != ' ' && before != '<' && before != '=')
                Store(' ', false);
            continue;
        }
        if (c == '=') {
            if (written_ > 0 && work_[written_ - 1] == ' ')
                written_--;
            Store('=', false);
            continue;
        }
        if (c == '<' && written_ > 0 && work_[written_ - 1] == '<')
            PrintParsingError("not expecting another '<'", c);
        if (c == '>') {
            if (written_ > 0 && work_[written_ - 1] == '<')
                PrintParsingError("not expecting '<' yet", c);
            if (written_ >= 2 && work_[written_ - 2] == ' ' && work_[written_ - 1] == '/') {
                work_[written_ - 2] = '/';
                work_[written_ - 1] = '>';
            } else if (written_ >= 1 && work_[written_ - 1] == ' ') {
                work_[written_ - 1] = '>';
            } else {
                Store('>', false);
            }
            work_[written_] = 0;
            return work_;
        }
        Store(c, false);

        if (written_ >= 4 && memcmp(work_ + written_ - 4, "<!--", 4) == 0) {
            written_ -= 4;
            // Skip the comment up to and including "-->".
            bool ended = false;
            while (position_ < size_) {
                if (position_ + 3 <= size_ && memcmp(data_ + position_, "-->", 3) == 0) {
                    position_ += 3;
                    ended = true;
                    break;
                }
                if (position_ + 3 <= size_ && memcmp(data_ + position_, "<!-", 3) == 0)
                    PrintParsingError("New comment block start within a comment block.", data_[position_]);
                position_++;
            }
            if (!ended)
                PrintParsingError("Comment block not ended properly.", data_[size_ - 1]);
        }
    }
    return nullptr;
}

// Attributes of the current tag from `at` on. False when the tag was the last thing
// in the data (its block is dropped).
bool OV_XMLReader::ParseAttributes(char *at)
{
    bool reported = false;
    char *cur = at;
    for (;;) {
        if (position_ >= size_)
            return false;

        // The name runs to '='; a blank or the tag's end first means a name without
        // a value, which is reported and skipped.
        char *eq = cur + strcspn(cur, "= >");
        if (*eq != '=') {
            OV_Printf("OV_XMLReader Parsing Error1 at %d/%d\n", position_, size_);
            if (*eq == ' ') {
                cur = eq + 1;
                continue;
            }
            if (*eq == '>' && eq > cur && eq[-1] == '/')
                block_.closing = 1;
            return true;
        }
        *eq = 0;
        char *name = cur;
        char *start = eq + 1;
        bool quoted = *start == '"';
        char *value = quoted ? start + 1 : start;
        char *end = SeekParmEnd(start);
        char terminator = *end;
        *end = 0;
        if (quoted && end > value && end[-1] == '"' && !IsEscaped(value, end - 1))
            end[-1] = 0;
        FormattedStringToBinaryString(value);

        if (block_.count < OV_XML_MAX_ATTRIBUTES) {
            block_.attr_names[block_.count] = name;
            block_.attr_values[block_.count] = value;
            block_.count++;
        } else if (!reported) {
            reported = true;
            OV_Popupf(OV_WARNING, "Too many blocks (%d limit) in object '%s' in xml '%s'.\n", (int)OV_XML_MAX_ATTRIBUTES,
                      block_.name ? block_.name : "", name_ ? name_ : "");
        }

        if (terminator == '/') {
            block_.closing = 1;
            return true;
        }
        if (terminator != ' ')
            return true;
        cur = end + 1;
    }
}

// Reads the whole file into data_ (with a terminating NUL) and rewinds.
bool OV_XMLReader::ReadWhole(const char *name, bool native)
{
    long length = 0;
    size_t got = 0;
    if (native) {
        FILE *f = fopen(name, "rb");
        if (!f)
            return false;
        fseek(f, 0, SEEK_END);
        length = ftell(f);
        fseek(f, 0, SEEK_SET);
        if (length < 0 || length > 0x7ffffffe) {
            fclose(f);
            return false;
        }
        data_ = (char *)malloc((size_t)length + 1);
        if (data_)
            got = fread(data_, 1, (size_t)length, f);
        fclose(f);
    } else {
        if (!ov || !ov->OV_OpenFile)
            return false;
        ov_file_t *f = ov->OV_OpenFile(name, "rb");
        if (!f)
            return false;
        ov->OV_fseek(f, 0, SEEK_END);
        length = ov->OV_ftell(f);
        ov->OV_fseek(f, 0, SEEK_SET);
        if (length < 0 || length > 0x7ffffffe) {
            ov->OV_CloseFile(f);
            return false;
        }
        data_ = (char *)malloc((size_t)length + 1);
        if (data_)
            got = ov->OV_fread(data_, 1, (unsigned)length, f);
        ov->OV_CloseFile(f);
    }
    if (!data_)
        return false;
    data_[got] = 0;
    size_ = (int32_t)got;
    position_ = 0;
    return true;
}

void OV_XMLReader::Store(char c, bool in_text)
{
    if (written_ < OV_XML_WORK_BUFFER - 1) {
        work_[written_++] = c;
        return;
    }
    if (in_text)
        PrintParsingError("buffer overrun", c);
}
