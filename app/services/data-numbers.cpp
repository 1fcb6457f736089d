// Number reading of the data files (see data-numbers.h).
#include "app/services/data-numbers.h"

#include "app/services/dataman.h"

#include <ctype.h>
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Length of the leading decimal number at text (after blanks), 0 when there is none.
size_t DecimalSpan(const char *text, bool whole)
{
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        i++;
    size_t digits = 0;
    while (isdigit((unsigned char)text[i])) {
        i++;
        digits++;
    }
    if (!whole && text[i] == '.') {
        size_t j = i + 1;
        size_t fraction = 0;
        while (isdigit((unsigned char)text[j])) {
            j++;
            fraction++;
        }
        if (digits + fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    if (!whole && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-')
            j++;
        if (isdigit((unsigned char)text[j])) {
            while (isdigit((unsigned char)text[j]))
                j++;
            i = j;
        }
    }
    return i;
}

const char *SkipBlanks(const char *text)
{
    while (*text && isspace((unsigned char)*text))
        text++;
    return text;
}

}  // namespace

double DataLeadingDouble(const char *text)
{
    if (!text)
        return 0.0;
    text = SkipBlanks(text);
    size_t n = DecimalSpan(text, false);
    if (n == 0)
        return 0.0;
    double value;
    if (n < 64) {
        char number[64];
        memcpy(number, text, n);
        number[n] = 0;
        value = strtod(number, nullptr);
    } else {
        value = strtod(text, nullptr);  // a decimal number this long reads the same
    }
    return isfinite(value) ? value : 0.0;
}

float DataLeadingFloat(const char *text)
{
    double value = DataLeadingDouble(text);
    if (!isfinite(value) || fabs(value) > 3.4e38)
        return 0.0f;
    return (float)value;
}

int DataLeadingInt(const char *text)
{
    if (!text)
        return 0;
    text = SkipBlanks(text);
    size_t n = DecimalSpan(text, true);
    if (n == 0)
        return 0;
    bool negative = text[0] == '-';
    long long value = 0;
    for (size_t i = (text[0] == '+' || text[0] == '-') ? 1 : 0; i < n; i++) {
        value = value * 10 + (text[i] - '0');
        if (value > (long long)INT_MAX + 1)
            value = (long long)INT_MAX + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

int DataClampInt(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

const char *NodeText(const DMNode *node, const char *key)
{
    return node ? node->GetValue(key) : nullptr;
}

float NodeFloat(const DMNode *node, const char *key, float fallback)
{
    const char *value = NodeText(node, key);
    return value ? DataLeadingFloat(value) : fallback;
}

int NodeInt(const DMNode *node, const char *key, int fallback)
{
    const char *value = NodeText(node, key);
    return value ? DataLeadingInt(value) : fallback;
}
