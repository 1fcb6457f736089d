// PNG files of every colour type, bit depth, transparency and interlacing written by
// libpng itself, for the PNG decoder's seed corpus.
#ifndef ORVEX_FUZZ_PNG_SEEDS_H
#define ORVEX_FUZZ_PNG_SEEDS_H

#include <string>
#include <vector>

std::vector<std::string> LibpngSeeds();

#endif
