// Writing package archives (".pak"), the format the engine's package opener reads.
//
// Layout (numbers unsigned 32-bit little-endian, offsets from the file start): the
// magic "PAK\0V11\0", the directory offset, the total size of the file; the data of
// every entry; at the directory offset the entry count and, per entry, its name with
// a NUL terminator (at most 511 characters, '/' as separator), data offset, data size
// and two reserved words written as 0. The writer puts the directory last.
#ifndef ORVEX_TOOLS_PAKWRITE_H
#define ORVEX_TOOLS_PAKWRITE_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <set>
#include <string>
#include <vector>

namespace ovpak {

enum { kHeaderSize = 16, kMaxNameLength = 511 };

// Writes one archive: Open, any number of Add calls, Finish. An archive that is not
// finished (an error, or the writer destroyed early) is removed from disk.
class Writer {
public:
    Writer() = default;
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;
    ~Writer();

    // Creates the output file and writes a provisional header.
    bool Open(const std::string &path, std::string *error);
    // Adds an entry holding the given bytes.
    bool AddBytes(const std::string &name, const void *data, size_t size, std::string *error);
    // Adds an entry holding the contents of a file on disk.
    bool AddFile(const std::string &name, const std::string &source, std::string *error);
    // Writes the directory and the final header and closes the file.
    bool Finish(std::string *error);

private:
    struct Entry {
        std::string name;
        uint32_t offset;
        uint32_t size;
    };
    bool CheckName(const std::string &name, std::string *error);
    bool Fail(const std::string &message, std::string *error);
    bool Put(const void *data, size_t size, std::string *error);
    bool PutU32(uint32_t value, std::string *error);

    FILE *out_ = nullptr;
    std::string path_;
    std::vector<Entry> entries_;
    std::set<std::string> folded_names_;  // names in lower case: lookups ignore case
    uint64_t position_ = 0;
};

// Packs every regular file below source_dir into the archive at output; entry names
// are paths relative to source_dir with '/' separators, in byte order. The output
// file itself is skipped when it lies inside source_dir. count receives the number of
// entries written (when given).
bool PackDirectory(const std::string &output, const std::string &source_dir, std::string *error, int *count = nullptr);

}  // namespace ovpak

#endif
