// Writing package archives: the streaming writer (data first, directory last, header
// patched at the end) and packing a whole directory tree.
#include "pakwrite.h"

#include <errno.h>
#include <string.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace ovpak {

namespace {

const unsigned char kMagic[8] = {'P', 'A', 'K', 0, 'V', '1', '1', 0};
const uint64_t kMaxArchiveSize = 0xFFFFFFFFull;

std::string Folded(const std::string &name)
{
    std::string folded = name;
    for (char &c : folded)
        c = (char)std::tolower((unsigned char)c);
    return folded;
}

}  // namespace

Writer::~Writer()
{
    if (out_) {
        fclose(out_);
        remove(path_.c_str());
    }
}

bool Writer::Open(const std::string &path, std::string *error)
{
    if (out_)
        return Fail("the writer already has an open archive", error);
    out_ = fopen(path.c_str(), "wb");
    if (!out_) {
        if (error)
            *error = "cannot create '" + path + "': " + strerror(errno);
        return false;
    }
    path_ = path;
    entries_.clear();
    folded_names_.clear();
    position_ = 0;
    unsigned char header[kHeaderSize] = {};
    memcpy(header, kMagic, sizeof kMagic);
    return Put(header, sizeof header, error);
}

bool Writer::AddBytes(const std::string &name, const void *data, size_t size, std::string *error)
{
    if (!CheckName(name, error))
        return false;
    if (position_ + size > kMaxArchiveSize)
        return Fail("entry '" + name + "' would grow the archive beyond 4 GiB", error);
    Entry entry{name, (uint32_t)position_, (uint32_t)size};
    if (size && !Put(data, size, error))
        return false;
    entries_.push_back(entry);
    folded_names_.insert(Folded(name));
    return true;
}

bool Writer::AddFile(const std::string &name, const std::string &source, std::string *error)
{
    if (!CheckName(name, error))
        return false;
    FILE *in = fopen(source.c_str(), "rb");
    if (!in)
        return Fail("cannot read '" + source + "': " + strerror(errno), error);
    Entry entry{name, (uint32_t)position_, 0};
    uint64_t copied = 0;
    std::vector<unsigned char> chunk(1 << 16);
    bool ok = true;
    for (;;) {
        size_t got = fread(chunk.data(), 1, chunk.size(), in);
        if (got == 0)
            break;
        if (position_ + got > kMaxArchiveSize) {
            ok = Fail("entry '" + name + "' would grow the archive beyond 4 GiB", error);
            break;
        }
        if (!Put(chunk.data(), got, error)) {
            ok = false;
            break;
        }
        copied += got;
    }
    if (ok && ferror(in))
        ok = Fail("error reading '" + source + "'", error);
    fclose(in);
    if (!ok)
        return false;
    entry.size = (uint32_t)copied;
    entries_.push_back(entry);
    folded_names_.insert(Folded(name));
    return true;
}

bool Writer::Finish(std::string *error)
{
    if (!out_)
        return Fail("no archive is open", error);
    uint64_t directory = position_;
    uint64_t directory_size = 4;
    for (const Entry &e : entries_)
        directory_size += e.name.size() + 1 + 16;
    if (directory + directory_size > kMaxArchiveSize)
        return Fail("the directory would grow the archive beyond 4 GiB", error);
    if (!PutU32((uint32_t)entries_.size(), error))
        return false;
    for (const Entry &e : entries_) {
        if (!Put(e.name.c_str(), e.name.size() + 1, error) || !PutU32(e.offset, error) || !PutU32(e.size, error) ||
            !PutU32(0, error) || !PutU32(0, error))
            return false;
    }
    uint64_t total = position_;
    if (fseek(out_, 8, SEEK_SET) != 0)
        return Fail("cannot seek back to the header", error);
    if (!PutU32((uint32_t)directory, error) || !PutU32((uint32_t)total, error))
        return false;
    FILE *out = out_;
    out_ = nullptr;
    if (fclose(out) != 0) {
        remove(path_.c_str());
        if (error)
            *error = "error closing '" + path_ + "': " + strerror(errno);
        return false;
    }
    return true;
}

bool Writer::CheckName(const std::string &name, std::string *error)
{
    if (!out_)
        return Fail("no archive is open", error);
    if (name.empty())
        return Fail("an entry name is empty", error);
    if (name.size() > kMaxNameLength)
        return Fail("entry name '" + name.substr(0, 64) + "...' is longer than 511 characters", error);
    if (name.find('\0') != std::string::npos)
        return Fail("an entry name holds a NUL character", error);
    if (folded_names_.count(Folded(name)))
        return Fail("entry name '" + name + "' is already taken (names are matched ignoring case)", error);
    return true;
}

// Reports the message; an open archive is abandoned and removed.
bool Writer::Fail(const std::string &message, std::string *error)
{
    if (error)
        *error = message;
    if (out_) {
        fclose(out_);
        out_ = nullptr;
        remove(path_.c_str());
    }
    return false;
}

bool Writer::Put(const void *data, size_t size, std::string *error)
{
    if (fwrite(data, 1, size, out_) != size)
        return Fail("error writing '" + path_ + "': " + strerror(errno), error);
    position_ += size;
    return true;
}

bool Writer::PutU32(uint32_t value, std::string *error)
{
    unsigned char b[4] = {(unsigned char)(value & 0xFF), (unsigned char)(value >> 8 & 0xFF), (unsigned char)(value >> 16 & 0xFF),
                          (unsigned char)(value >> 24 & 0xFF)};
    return Put(b, sizeof b, error);
}

bool PackDirectory(const std::string &output, const std::string &source_dir, std::string *error, int *count)
{
    std::error_code ec;
    if (!fs::is_directory(source_dir, ec)) {
        if (error)
            *error = "'" + source_dir + "' is not a directory";
        return false;
    }
    fs::path root = fs::canonical(source_dir, ec);
    fs::path out_path = fs::weakly_canonical(output, ec);
    std::vector<std::pair<std::string, std::string>> files;  // entry name, source path
    for (fs::recursive_directory_iterator it(root, fs::directory_options::follow_directory_symlink, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code entry_ec;
        if (!it->is_regular_file(entry_ec))
            continue;
        if (fs::exists(out_path, entry_ec) && fs::equivalent(it->path(), out_path, entry_ec))
            continue;  // an earlier archive of the same name inside the tree
        files.emplace_back(it->path().lexically_relative(root).generic_string(), it->path().string());
    }
    if (ec) {
        if (error)
            *error = "cannot list '" + source_dir + "': " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());

    Writer writer;
    if (!writer.Open(output, error))
        return false;
    for (const auto &f : files)
        if (!writer.AddFile(f.first, f.second, error))
            return false;
    if (!writer.Finish(error))
        return false;
    if (count)
        *count = (int)files.size();
    return true;
}

}  // namespace ovpak
