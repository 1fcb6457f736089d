// orvex-assetpack: the content build's steps that need the engine's own image code.
//
//   orvex-assetpack bms <frames-pattern> <out.bms>
//       numbered frames (the pattern's '*' is the four-digit number, e.g.
//       stage/walk-*.png) packed into a sequence by the engine's builder, read back
//   orvex-assetpack tga <in.png> <out.tga>
//       the engine's TGA writer, read back identical
//   orvex-assetpack sheet <out.png> <directory|sequence.bms|image>...
//       a contact sheet to look at
//
// The engine runs headless with the null renderer; its messages are shown only when a
// step failed. Exit status 0 when done, 1 on failure, 2 for a usage error.
#include "assetpack.h"

#include "buildtools/common/tool-engine.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    toolengine::SetName("orvex-assetpack", false);
    if (argc == 4 && !strcmp(argv[1], "bms"))
        return assetpack::PackSequence(argv[2], argv[3]);
    if (argc == 4 && !strcmp(argv[1], "tga"))
        return assetpack::WriteTga(argv[2], argv[3]);
    if (argc >= 4 && !strcmp(argv[1], "sheet"))
        return assetpack::ContactSheet(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    fprintf(stderr,
            "usage: %s bms <frames-pattern> <out.bms>\n"
            "       %s tga <in.png> <out.tga>\n"
            "       %s sheet <out.png> <directory|sequence.bms|image>...\n",
            argv[0], argv[0], argv[0]);
    return 2;
}
