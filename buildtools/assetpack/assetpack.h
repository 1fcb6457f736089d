// orvex-assetpack's commands (each returns the tool's exit status: 0 done, 1 failed).
#ifndef BUILDTOOLS_ASSETPACK_ASSETPACK_H
#define BUILDTOOLS_ASSETPACK_ASSETPACK_H

#include <string>
#include <vector>

namespace assetpack {

// Packs the numbered frames matched by pattern (a native path whose file name holds
// one '*' for the four-digit number) into a ".bms" file with the engine's sequence
// builder, reads the file back and checks every frame against its source.
int PackSequence(const std::string &pattern, const std::string &out);
// Writes a PNG image as the engine's TGA and checks that it reads back identical.
int WriteTga(const std::string &png, const std::string &out);
// A contact sheet (PNG) of directories of images, ".bms" sequences and image files.
int ContactSheet(const std::string &out, const std::vector<std::string> &inputs);

}  // namespace assetpack

#endif
