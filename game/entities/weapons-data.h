// Number reading shared by the weapon, power-up and tuning loaders: data values are read
// as their leading decimal number, 0 when there is none; conversions to whole numbers
// are clamped to the target's range first.
#ifndef GAME_ENTITIES_WEAPONS_DATA_H
#define GAME_ENTITIES_WEAPONS_DATA_H

// The leading decimal number of the text (blanks, sign, digits, fraction, exponent);
// 0 for null, for text without one and for a value out of the float range.
float DataLeadingFloat(const char *text);
double DataLeadingDouble(const char *text);
// The leading decimal whole number (blanks, sign, digits), saturated at the int32
// limits; 0 for null or text without one.
int DataLeadingInt(const char *text);
// value clamped to [low, high].
int DataClampInt(int value, int low, int high);
// A finite value truncated toward zero and clamped to the int32 range; NaN gives 0.
int DataTruncate(double value);

#endif
