// Fixture of the data-service tests: the engine pre-initialised on the headless device
// in a scratch directory (res:// is <dir>/app/native, user:// is <dir>/data/<dev>/<prog>),
// the logging and popup slots of `ov` wrapped so tests read every message as formatted,
// and the data registry emptied after each test.
#ifndef TESTS_APP_SERVICES_DATA_FIXTURE_H
#define TESTS_APP_SERVICES_DATA_FIXTURE_H

#include "orvex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace datatest {

// One captured message: which slot ("popup", "print", "debug"), its level and text.
struct Message {
    std::string kind;
    int level;
    std::string text;
};

// Every message since the test started (thread-safe copy).
std::vector<Message> Messages();
// Number of captured messages whose text equals the text exactly.
int CountMessages(const std::string &text);
// Number of captured messages containing the fragment.
int CountContaining(const std::string &fragment);
void ClearMessages();
// All captured texts, one a line, for failure output.
std::string Dump();

// The application's record `prog`, which the engine asks for.
ov_prog_t &Record();

class DataTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Native path of a res:// or user:// file name.
    std::string ResPath(const std::string &name) const;
    std::string UserPath(const std::string &name) const;
    // Writes a whole file (native path); creates no directories.
    static bool WriteNative(const std::string &path, const std::string &text);
    static std::string ReadNative(const std::string &path);
    static bool ExistsNative(const std::string &path);
    // The native file's inode, 0 while it does not exist: each atomic save renames a new
    // file over the old one, so a new inode means a save landed.
    static unsigned long InodeOf(const std::string &path);
    // Waits, up to a minute, while the child `writer` runs, until the native file is no
    // longer the one of inode `before`: the writer's first save landed. False when the
    // writer stopped or the minute passed. Tests that kill a writer at a random moment of
    // its saves wait so, not a fixed time, since its start-up can take longer than that
    // on a slow machine or in a sanitizer build.
    static bool WaitForReplacement(const std::string &path, unsigned long before, pid_t writer);
    // Sorted names in a native directory (recursively, with sub-paths).
    static std::vector<std::string> ListTree(const std::string &dir);
    std::string dir;
};

}  // namespace datatest

#endif
