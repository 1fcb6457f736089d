// Shared set-up of the file-layer tests. Each test runs in a fresh temporary working
// directory, so that "./app/native" is res:// and "./data/<developer>/<program>" is
// user://, with the engine pre-initialised on the headless device. Helpers write and
// read native files, build archives with the package writer, read engine files whole
// and look for printed lines in the log console.
#ifndef ORVEX_TESTS_FS_TEST_ENV_H
#define ORVEX_TESTS_FS_TEST_ENV_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fs/ovfile.h"

namespace fstest {

// A fresh working directory and a running engine for every test.
class FsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Shuts the engine down, moves to a new empty working directory and starts again.
    void Restart();
    void StartEngine();
    void StopEngine();

private:
    void EnterNewWorkDir();
    void LeaveWorkDir();

    std::string old_dir_;
    std::string work_dir_;
    bool engine_up_ = false;
};

// Runs after the test settings are applied during the next engine starts (null: none),
// as the program settings would set the engine state.
void SetExtraSettings(void (*extra)(void));

// Native base directories behind res:// and user:// (relative to the working directory).
std::string ResDir();
std::string UserDir();

// Writes bytes to a native path, creating missing parent directories.
void WriteNative(const std::string &path, const std::string &bytes);
// The bytes of a native file ("" when it cannot be read).
std::string ReadNative(const std::string &path);
bool NativeExists(const std::string &path);

// Reads from the current position to the end through OV_fread.
std::string ReadRest(ov_file_t *file);
// Opens the name for reading, reads it whole and closes it; false when it does not open.
bool ReadEngineFile(const char *name, std::string *bytes);

// One archive entry for WritePak.
struct PakEntry {
    std::string name;
    std::string data;
};
// Writes an archive with the package writer (a failure fails the test).
void WritePak(const std::string &native_path, const std::vector<PakEntry> &entries);

// Position in the log console; lines printed later are "since" the mark.
size_t LogMark();
// Whether a console line printed since the mark contains the text.
bool LoggedSince(size_t mark, const std::string &text);
// How many console lines printed since the mark contain the text.
int CountLoggedSince(size_t mark, const std::string &text);
// Every console line since the mark, for failure output.
std::string LogSince(size_t mark);

// The search paths, in order.
std::vector<std::string> SearchPaths();

// Bytes 0..n-1 of a fixed pseudo-random stream.
std::string RandomBytes(size_t n, unsigned seed);

}  // namespace fstest

#endif
