// Number reading of the data files, the one rule every loader follows: a value is read
// as its leading decimal number (blanks, sign, digits, fraction, exponent), 0 when there
// is none; "inf", "nan" and hexadecimal are not numbers here. A decimal number beyond
// the float range also reads 0 (kept finite, it would turn into infinity at the first
// sum); whole numbers saturate at the int32 limits. A node's key that is absent (or a
// null node) gives the caller's fallback instead.
//
// Pure functions: any thread.
#ifndef APP_SERVICES_DATA_NUMBERS_H
#define APP_SERVICES_DATA_NUMBERS_H

class DMNode;

// The leading decimal number of the text; 0 for null, for text without one and for a
// value out of the float range.
float DataLeadingFloat(const char *text);
// The same in double precision (0 for a value out of the double range).
double DataLeadingDouble(const char *text);
// The leading decimal whole number (blanks, sign, digits; "3.9" reads 3), saturated at
// the int32 limits; 0 for null or text without one.
int DataLeadingInt(const char *text);
// value clamped to [low, high].
int DataClampInt(int value, int low, int high);

// The node's value of key; null for a null node or an absent key.
const char *NodeText(const DMNode *node, const char *key);
// The node's value of key read by DataLeadingFloat / DataLeadingInt; fallback for a null
// node or an absent key.
float NodeFloat(const DMNode *node, const char *key, float fallback);
int NodeInt(const DMNode *node, const char *key, int fallback);

#endif
