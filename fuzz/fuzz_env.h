// The environment every fuzz program runs its loader in: the engine pre-initialised
// once per process on the headless device, inside a scratch working directory (so
// res:// is <scratch>/app/native), with developer popups on (their formatting runs on
// every hostile input) and the log console off (nothing is kept or printed).
#ifndef ORVEX_FUZZ_ENV_H
#define ORVEX_FUZZ_ENV_H

#include <stddef.h>
#include <stdint.h>

#include <string>

struct lua_State;

namespace fuzzenv {

// Starts the engine once (later calls do nothing); exits the process when it cannot.
void Start();
// Called before each input: forgets the popups shown so far (each text is shown
// once per run, which would otherwise grow without bound) and restores the print
// switches that a settings file may have changed.
void BeginInput();
// Writes bytes to a file under res:// (the name relative to it); false when it fails.
bool WriteResFile(const std::string &name, const uint8_t *data, size_t size);
// The native path of a file under res:// (for the stdio writers).
std::string ResPath(const std::string &name);
// Removes a file under res:// (missing is fine).
void RemoveResFile(const std::string &name);
// The whole text of a file read by its native path (the shipped sources under
// ORVEX_CONTENT_DIR); empty when it cannot be read.
std::string ReadText(const std::string &path);
// Puts a memory limit (64 MiB, counted from what the state holds now) and an
// instruction budget on a Lua state, so that a script looping for ever or growing
// without end ends its run with a Lua error, not the fuzzer. One state at a time:
// the count belongs to the state limited last.
void LimitLua(lua_State *L);

}  // namespace fuzzenv

#endif
