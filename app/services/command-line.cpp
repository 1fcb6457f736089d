// The application's command-line switches (see command-line.h).
#include "app/services/command-line.h"

#include "app/services/random.h"
#include "orvex.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

std::vector<std::string> SplitCommandLine(const char *line)
{
    std::vector<std::string> out;
    if (!line)
        return out;
    const char *c = line;
    for (;;) {
        while (*c && isspace((unsigned char)*c))
            c++;
        if (!*c)
            break;
        std::string arg;
        if (*c == '"') {
            c++;
            while (*c && *c != '"') {
                if (*c == '\\' && c[1])
                    c++;
                arg += *c++;
            }
            if (*c == '"')
                c++;
        } else {
            while (*c && !isspace((unsigned char)*c))
                arg += *c++;
        }
        out.push_back(arg);
    }
    return out;
}

bool CommandLineHas(const char *line, const char *name)
{
    for (const std::string &arg : SplitCommandLine(line))
        if (arg == name)
            return true;
    return false;
}

bool CommandLineValue(const char *line, const char *name, std::string *value)
{
    std::vector<std::string> args = SplitCommandLine(line);
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] != name)
            continue;
        if (i + 1 >= args.size())
            return false;
        if (value)
            *value = args[i + 1];
        return true;
    }
    return false;
}

bool CommandLineUnsigned(const char *line, const char *name, unsigned long *value)
{
    std::string text;
    if (!CommandLineValue(line, name, &text) || text.empty() || text.size() > 10)
        return false;
    for (char c : text)
        if (!isdigit((unsigned char)c))
            return false;
    errno = 0;
    unsigned long long v = strtoull(text.c_str(), nullptr, 10);
    if (errno || v > 4294967295ull)
        return false;
    if (value)
        *value = (unsigned long)v;
    return true;
}

void ApplyCommandLineSeed(const char *line)
{
    unsigned long seed = 0;
    if (CommandLineUnsigned(line, "--seed", &seed)) {
        AppSetRunSeed(true, (uint32_t)seed);
        AppSeedRandomLogged((uint32_t)seed);
        return;
    }
    AppSetRunSeed(false, 0);
    if (CommandLineHas(line, "--seed"))
        ov->OV_PrintDebugf(1, "WARNING: --seed needs a whole number of 0 to 4294967295; the clock seeds instead.\n");
    // Seeded once here, before anything draws (the profiles draw their identifiers as
    // they load): otherwise every install would draw the same ones.
    AppSeedRandomLogged(AppStartUpSeed());
}
