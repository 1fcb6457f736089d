// XMLReader: the application's pull tokenizer for its XML data files.
//
// The whole file is read into memory and handed out one block per call: an element
// tag (opening, closing or empty) with its attributes, or a run of text between two
// tags. Nesting is not checked; there is no DTD, namespace or CDATA support. Attribute
// values are unescaped (\n \r \t \" \\) and two entities are decoded ("&quot;" and
// "&amp;"); text runs come back raw. Malformed markup raises a developer popup and the
// reading goes on; only an attribute without '=' stops it.
//
// Each reader is used by one thread at a time; the database loader and the language
// reader keep one per file.
#ifndef APP_SERVICES_XMLREADER_H
#define APP_SERVICES_XMLREADER_H

#include <stdint.h>

enum {
    XML_MAX_ATTRIBUTES = 256,
    // A block grows its buffer up to this many characters; beyond it the block is cut
    // with the "buffer overrun" error (values of a few thousand characters read whole).
    XML_MAX_BLOCK = 1 << 20,
};

// One block. Every string points into the reader's block buffer and stays valid until
// the next ReadNextBlock.
struct XMLBlock {
    char *name;                                 // element name; null for a text run
    int32_t count;                              // attributes stored (a text run has 1: "DATA")
    char *attr_names[XML_MAX_ATTRIBUTES];
    char *attr_values[XML_MAX_ATTRIBUTES];
    bool closing;                               // closing tag or empty element
};

class XMLReader {
public:
    XMLReader();
    ~XMLReader();
    XMLReader(const XMLReader &) = delete;
    XMLReader &operator=(const XMLReader &) = delete;

    // Reads a whole file, through the engine's files (native false) or as an operating
    // system path (native true). False for a null or empty name, a file that does not
    // open or is too large, or one whose first non-blank character is not '<' (popup).
    // An empty or blank-only file opens and yields no blocks.
    bool OpenFile(const char *name, bool native = false);
    // Takes a copy of size bytes named "FromMem"; false under 4 bytes.
    bool OpenFileInMemory(const void *data, int size);
    // Forgets the name; the data stay until the next open or the destructor.
    void CloseFile();
    // The next block, or null at the end of the data, after a broken attribute, or
    // for a tag with attributes that ends exactly at the end of the data.
    XMLBlock *ReadNextBlock();
    // True when the read position has reached the end of the data.
    bool EndOfFile() const;
    // Always 0: the reader keeps no nesting depth.
    int GetDepth() const { return depth_; }
    // The name given to OpenFile ("FromMem" for memory), or null once closed.
    const char *GetFileName() const { return file_name_; }
    // Parsing errors raised and unterminated blocks dropped since the last open: a
    // non-zero count tells a loader that the file is damaged.
    int GetErrorCount() const { return errors_; }

    // True when the text is null, empty or holds only tab, space, CR and LF.
    static bool OnlyWhitespace(const char *text);
    // Unescapes in place: \n \r \t \" \\ become their characters; a backslash before any
    // other character is dropped with it; a backslash at the very end is dropped.
    static void FormattedStringToBinaryString(char *text);
    // Decodes in place every "&quot;" to '"', then every "&amp;" to '&'.
    static void ParseXMLEntities(char *text);
    // The end of an attribute value whose quoted part may begin at text: the first space,
    // '>' or '/' of "/>" outside double quotes, or the terminator.
    static char *SeekParmEnd(char *text);

private:
    bool GetNextBlock();
    bool Gather(char c);
    bool TagGather(char c, bool *comment_ended);
    bool SkipComment(char first);
    bool EnsureRoom();
    void PrintParsingError(const char *description, char c);
    bool TakeData(char *data, long size);

    char *file_name_ = nullptr;
    int32_t depth_ = 0;
    int32_t size_ = 0;
    int32_t pos_ = 0;
    XMLBlock block_;
    char *buffer_ = nullptr;     // the block being gathered
    int32_t buffer_size_ = 0;    // its allocation
    int32_t gathered_ = 0;
    bool overrun_ = false;
    char *data_ = nullptr;       // the whole file, zero-terminated
    int errors_ = 0;
    int32_t lines_pos_ = 0;      // line count of the data before lines_pos_
    int32_t lines_ = 0;
};

#endif
