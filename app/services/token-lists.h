// Lists of words in the data and the product's settings ("BETA, NO_ADS", "ADDITIVE
// DISABLED", "WAVE_START;BOSS"): the one rule for whether a list names a word.
//
// Pure functions: any thread.
#ifndef APP_SERVICES_TOKEN_LISTS_H
#define APP_SERVICES_TOKEN_LISTS_H

// Whether a list separator: a blank (space, tab, carriage return, line feed), ',' or ';'.
bool IsTokenSeparator(char c);

// Whether the list holds the token whole: bounded by the start or end of the list or by
// a separator on each side ("NO_ADS" is not in "NO_ADS_EVER"); case counts. False for a
// null list, a null token or an empty one.
bool HasWholeToken(const char *list, const char *token);

#endif
