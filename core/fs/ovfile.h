// Open files and file openers: the engine's file handle `ov_file_t`, the abstract open
// file `ovFile` behind it and the abstract `ovFileOpener` that turns a name into one.
// The concrete files and openers (archive entries, stdio files, the download cache)
// live in their own sources and are reached through the factories below.
#ifndef OV_FS_OVFILE_H
#define OV_FS_OVFILE_H

#include "orvex.h"
#include "ovrecords.h"

// An open file of some kind. Positions and sizes are in bytes.
class ovFile {
public:
    virtual ~ovFile() = default;
    // whence 0 from the start, 1 from the current position, 2 from the end; true on success.
    virtual bool SetPosition(long offset, int whence) = 0;
    virtual long GetPosition() = 0;
    virtual long GetSize() = 0;
    virtual const char *GetName() = 0;
    // True when whatever was buffered reached the file (or nothing needed writing).
    virtual bool Flush() = 0;
    // Bytes read.
    virtual unsigned Read(void *buffer, unsigned bytes) = 0;
    // Bytes written.
    virtual unsigned Write(const void *buffer, unsigned bytes) = 0;
    // Closes the file and deletes the object; false when something written earlier or
    // still buffered did not reach the file (a full disk, an I/O error).
    virtual bool Close() = 0;
};

// Something that can open names of one kind; the engine keeps a list and asks in order.
class ovFileOpener {
public:
    virtual ~ovFileOpener() = default;
    // An open file, or null when this opener does not take the name.
    virtual ovFile *OpenFile(const char *name, const char *mode) = 0;
    virtual bool Init() { return true; }
    virtual void Free() {}
    // Whether relative names looked up along the search paths are offered to it.
    virtual bool AllowSearchPaths() { return true; }
};

// The three openers, in the order the engine registers them.
ovFileOpener *OVFS_CreatePakOpener(void);
ovFileOpener *OVFS_CreatePosixOpener(void);
ovFileOpener *OVFS_CreateHttpOpener(void);

// Opens the native file behind a static name with stdio; null when the name has no
// recognised prefix, the file does not open or it is not a regular file.
ovFile *OVFS_OpenPosixFile(const char *name, const char *mode);

#endif
