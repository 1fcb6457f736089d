// CSVReader: reads the application's ';'-separated text databases. The first line
// holds the column names; every later field belongs to the next record in turn, ';'
// and a line feed both ending a field; carriage returns are ignored; there is no
// quoting or escaping.
#ifndef APP_SERVICES_CSVREADER_H
#define APP_SERVICES_CSVREADER_H

#include <stdint.h>

struct ov_file_t;

class CSVReader {
public:
    CSVReader() = default;
    ~CSVReader();
    CSVReader(const CSVReader &) = delete;
    CSVReader &operator=(const CSVReader &) = delete;

    // Opens the engine file, counts the columns (';' on the first line plus one; a file
    // without a line feed counts only its ';') and reads their names. False when the file
    // does not open or is too large for 32-bit positions.
    bool OpenFile(const char *name);
    void CloseFile();
    bool EndOfFile() const { return pos_ >= size_; }
    int GetNumberOfColumns() const { return columns_; }
    // Null outside 0..columns-1 or when no names are read.
    const char *GetColumnName(int index) const;
    // The next field, zero-terminated in the buffer (at most size - 1 characters kept),
    // or null when nothing is open, there are no columns, the buffer is unusable or the
    // data are at their end. A last field without a separator after it counts only
    // when it holds at least two characters.
    char *ReadNextAsString(char *buffer, int size);
    int ReadNextAsInt();
    float ReadNextAsFloat();
    // Bytes consumed so far.
    int32_t GetPosition() const { return pos_; }

private:
    int NextByte();

    int columns_ = 0;
    char **names_ = nullptr;
    ov_file_t *file_ = nullptr;
    char field_separator_ = ';';
    char record_separator_ = '\n';
    int32_t size_ = 0;
    int32_t pos_ = 0;
};

#endif
