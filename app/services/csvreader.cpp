// The ';'-separated reader: counts and names the columns, then hands out one field
// per call, read byte by byte through the engine's file calls.
#include "app/services/csvreader.h"
#include "app/services/data-numbers.h"

#include "nstring.h"
#include "orvex.h"

#include <limits.h>
#include <stdlib.h>

CSVReader::~CSVReader()
{
    CloseFile();
}

int CSVReader::NextByte()
{
    if (pos_ >= size_)
        return -1;
    int c = ov->OV_fgetc(file_);
    if (c < 0) {
        pos_ = size_;  // a read error ends the data
        return -1;
    }
    pos_++;
    return c;
}

bool CSVReader::OpenFile(const char *name)
{
    CloseFile();
    if (!name)
        return false;
    file_ = ov->OV_OpenFile(name, "rb");
    if (!file_)
        return false;
    long size = -1;
    if (ov->OV_SetFilePosition(file_, 0, 2))
        size = ov->OV_GetFilePosition(file_);
    if (size < 0 || size >= INT32_MAX || !ov->OV_SetFilePosition(file_, 0, 0)) {
        CloseFile();
        return false;
    }
    size_ = (int32_t)size;
    pos_ = 0;
    for (int c = NextByte(); c >= 0; c = NextByte()) {
        if (c == field_separator_) {
            columns_++;
        } else if (c == record_separator_) {
            columns_++;
            break;
        }
    }
    ov->OV_fseek(file_, 0, 0);
    pos_ = 0;
    if (columns_ > 0) {
        names_ = (char **)calloc((size_t)columns_, sizeof(char *));
        char field[512];
        for (int i = 0; i < columns_; i++)
            names_[i] = nStringDuplicate(ReadNextAsString(field, sizeof field));
    }
    return true;
}

void CSVReader::CloseFile()
{
    if (file_)
        ov->OV_CloseFile(file_);
    file_ = nullptr;
    if (names_) {
        for (int i = 0; i < columns_; i++)
            nStringFree(names_[i]);
        free(names_);
    }
    names_ = nullptr;
    columns_ = 0;
    size_ = 0;
    pos_ = 0;
}

const char *CSVReader::GetColumnName(int index) const
{
    if (!names_ || index < 0 || index >= columns_)
        return nullptr;
    return names_[index];
}

char *CSVReader::ReadNextAsString(char *buffer, int size)
{
    if (!file_ || columns_ <= 0 || !buffer || size < 1 || EndOfFile())
        return nullptr;
    int stored = 0, taken = 0;
    for (;;) {
        int c = NextByte();
        if (c < 0)
            break;
        if (c == '\r')
            continue;
        if (c == field_separator_ || c == record_separator_) {
            buffer[stored] = '\0';
            return buffer;
        }
        taken++;
        if (stored < size - 1)
            buffer[stored++] = (char)c;
    }
    buffer[stored] = '\0';
    return taken >= 2 ? buffer : nullptr;
}

int CSVReader::ReadNextAsInt()
{
    char field[256];
    const char *text = ReadNextAsString(field, sizeof field);
    return DataLeadingInt(text);
}

float CSVReader::ReadNextAsFloat()
{
    char field[256];
    const char *text = ReadNextAsString(field, sizeof field);
    return DataLeadingFloat(text);
}
