// Percent-encoding of the values the online services put into an address: the
// unreserved characters (letters, digits, '-', '.', '_', '~') stay, every other byte,
// the blank included, becomes %XX with upper-case hexadecimal. A blank is "%20", never
// '+': '+' means a blank only in form bodies, and the values here go into queries, where
// a server may keep it as a plus.
//
// Pure functions: any thread.
#ifndef ONLINE_PERCENT_ENCODING_H
#define ONLINE_PERCENT_ENCODING_H

#include <string>

// Appends the encoded text to out; null appends nothing.
void AppendPercentEncoded(std::string &out, const char *text);
// The encoded text; "" for null.
std::string PercentEncoded(const char *text);

#endif
