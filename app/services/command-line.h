// Reading the application's switches from the process command line the engine hands
// over (`command_line` of the program record: arguments separated by blanks, quoted
// with '"' when they hold blanks, quotes or backslashes, which are then escaped).
#ifndef APP_SERVICES_COMMAND_LINE_H
#define APP_SERVICES_COMMAND_LINE_H

#include <string>
#include <vector>

// The arguments of a command-line text, unquoted; none for null.
std::vector<std::string> SplitCommandLine(const char *line);
// Whether the switch is one of the arguments.
bool CommandLineHas(const char *line, const char *name);
// The argument after the first occurrence of the switch; false when the switch is
// missing or last.
bool CommandLineValue(const char *line, const char *name, std::string *value);
// The switch's value as a whole decimal number of 0..4294967295; false when missing
// or not such a number.
bool CommandLineUnsigned(const char *line, const char *name, unsigned long *value);

// The run's switches the application reads at start: "--seed N" (logged and used as
// the random seed, see random.h); without it the start-up seed (random.h), logged
// likewise. Called by the service manager before any service starts.
void ApplyCommandLineSeed(const char *line);

#endif
