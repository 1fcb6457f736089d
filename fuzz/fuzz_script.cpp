// Fuzzes the headless device layer's event-script reader. A script that parses gives
// steps whose waits lie in the allowed range and parses again to the same steps; one
// that does not leaves the steps untouched and says "line N: <reason>" with N a line of
// the text.
#include "platform/headless.h"

#include <string>
#include <vector>

namespace {

constexpr int kMaxWaitMs = 24 * 60 * 60 * 1000;

bool SameEvent(const ovdev::RawEvent &a, const ovdev::RawEvent &b)
{
    if (a.domain != b.domain || a.code != b.code || a.properties.size() != b.properties.size())
        return false;
    for (size_t i = 0; i < a.properties.size(); i++)
        if (a.properties[i].name != b.properties[i].name || a.properties[i].values != b.properties[i].values)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using ovdev::headless::ScriptStep;
    const std::string text((const char *)data, size);
    std::vector<ScriptStep> steps(1);
    std::string error;
    if (!ovdev::headless::parse_script(text, &steps, &error)) {
        if (steps.size() != 1 || error.compare(0, 5, "line ") != 0)
            __builtin_trap();
        size_t digits = 0;
        long line = 0;
        while (5 + digits < error.size() && error[5 + digits] >= '0' && error[5 + digits] <= '9' && digits < 12)
            line = line * 10 + (error[5 + digits++] - '0');
        size_t lines = 1;
        for (char c : text)
            lines += c == '\n';
        if (digits == 0 || line < 1 || (size_t)line > lines || error.compare(5 + digits, 2, ": ") != 0)
            __builtin_trap();
        return 0;
    }
    for (const ScriptStep &s : steps)
        if (s.delay_ms < 0 || s.delay_ms > kMaxWaitMs)
            __builtin_trap();
    std::vector<ScriptStep> again;
    if (!ovdev::headless::parse_script(text, &again, &error) || again.size() != steps.size())
        __builtin_trap();
    for (size_t i = 0; i < steps.size(); i++)
        if (again[i].delay_ms != steps[i].delay_ms || !SameEvent(again[i].event, steps[i].event))
            __builtin_trap();
    return 0;
}
