// Fuzzes the language-file reader: the input is the language file of an active
// translation; after initialisation every entry is looked up and the formatting calls
// run with the separators it set.
#include "app/services/localization.h"
#include "app/services/prog.h"
#include "fuzz/fuzz_env.h"
#include "orvex.h"

#include <string.h>
#include <sys/stat.h>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzenv::Start();
    mkdir(fuzzenv::ResPath("data-fz").c_str(), 0755);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzenv::BeginInput();
    if (!fuzzenv::WriteResFile("data-fz/language.xml", data, size))
        return 0;
    prog.parms.locale = "fz";
    LocalizationManager &loc = loc_man();
    loc.Initialize();
    int entries = loc.GetNumberOfEntries();
    for (int i = 0; i < entries; i++) {
        const char *key = loc.GetEntryKey(i);
        const char *text = loc.Localize(key);
        if (key && key[0] && key[0] != '@' && !text)
            __builtin_trap();
    }
    (void)loc.LocalizeNumber(-2147483647 - 1);
    (void)loc.LocalizeTime(0xffffffffu);
    loc.Shutdown();
    prog.parms.locale = nullptr;
    return 0;
}
