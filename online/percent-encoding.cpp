// Percent-encoding (see percent-encoding.h).
#include "online/percent-encoding.h"

void AppendPercentEncoded(std::string &out, const char *text)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (const unsigned char *p = (const unsigned char *)(text ? text : ""); *p; p++) {
        const unsigned char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out += (char)c;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

std::string PercentEncoded(const char *text)
{
    std::string out;
    AppendPercentEncoded(out, text);
    return out;
}
