// OV_XMLReader: the engine's pull tokenizer for its own XML data files.
//
// The whole file (or a memory block) is copied into memory and handed out one block
// per call: a tag with its attributes, or a run of text between tags. Only what the
// engine's files use is understood: elements with quoted or unquoted attribute values,
// self-closing tags, text and comments. Character entities are not decoded; attribute
// values take backslash escapes instead (\n, \r, \t, \", \\). Bytes are taken as they
// are (the engine writes ISO-8859-1); a UTF-8 byte-order mark is refused.
#ifndef OV_XML_READER_H
#define OV_XML_READER_H

#include <stdint.h>

enum { OV_XML_MAX_ATTRIBUTES = 128, OV_XML_WORK_BUFFER = 4096 };

// One block. Every pointer points into the reader's work buffer and stays valid
// until the next ReadNextBlock.
struct ov_xml_block_t {
    char *name;                                  // element name; null for a text block
    int32_t count;                               // attributes stored
    char *attr_names[OV_XML_MAX_ATTRIBUTES];     // a text block has one: "DATA"
    char *attr_values[OV_XML_MAX_ATTRIBUTES];    // a text block's value is the raw text
    uint8_t closing;                             // a closing tag or a self-closing tag
    uint8_t end_tag;                             // written as "</name>" (closing without content)
};

class OV_XMLReader {
public:
    OV_XMLReader();
    ~OV_XMLReader();
    OV_XMLReader(const OV_XMLReader &) = delete;
    OV_XMLReader &operator=(const OV_XMLReader &) = delete;

    // Reads a whole file: a native path through stdio, or an engine name through the
    // engine's file calls. False when it does not open or does not start with '<'.
    bool OpenFile(const char *name, bool native);
    // Takes a copy of size bytes (at least 4, the length of "<x/>") named "FromMem".
    bool OpenFileInMemory(const void *data, int size);
    // Forgets the name; the data stay until the next open.
    void CloseFile();
    // The next tag or text block, null at the end of the data or on a broken tag.
    ov_xml_block_t *ReadNextBlock();
    // The normalised text of the next block in the work buffer, null at the end.
    char *GetNextBlock();
    // True when every byte has been read.
    bool EndOfFile() const;
    // Nesting depth; the reader does not track nesting, so always 0.
    int GetDepth() const;
    // The name the data were opened under ("FromMem" for memory), or null.
    const char *GetName() const;

    // True when the text holds only tab, space, CR and LF (an empty text included).
    static bool OnlyWhitespace(const char *text);
    // End of an attribute value starting at text: the ' ' after it, the '/' of "/>",
    // the '>', or the terminator; quoted parts are skipped.
    static char *SeekParmEnd(char *text);
    // Turns the escapes \n \r \t \" \\ into their characters, in place; a backslash
    // before any other character is dropped with that character.
    static void FormattedStringToBinaryString(char *text);
    // Reports a tokenizer complaint with the line and the data around the position.
    void PrintParsingError(const char *what, char character);

private:
    bool ReadWhole(const char *name, bool native);
    bool ParseAttributes(char *at);
    void Store(char c, bool in_text);

    char *name_;
    int32_t depth_;
    int32_t size_;
    int32_t position_;
    ov_xml_block_t block_;
    char *work_;
    char *data_;
    int32_t written_;  // write index into the work buffer while a block is built
};

#endif
