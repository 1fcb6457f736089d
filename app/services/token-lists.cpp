// Word lists (see token-lists.h).
#include "app/services/token-lists.h"

#include <string.h>

bool IsTokenSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';';
}

bool HasWholeToken(const char *list, const char *token)
{
    if (!list || !token || !token[0])
        return false;
    const size_t n = strlen(token);
    // Every occurrence is tried: "AB" in "ABC AB" is found at its second place.
    for (const char *p = strstr(list, token); p; p = strstr(p + 1, token)) {
        const bool starts = p == list || IsTokenSeparator(p[-1]);
        const bool ends = p[n] == '\0' || IsTokenSeparator(p[n]);
        if (starts && ends)
            return true;
    }
    return false;
}
