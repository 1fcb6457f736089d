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

#include "core/ov_state.h"

#include <stdio.h>
#include <string.h>

namespace {

ov_prog_t s_record;

int AppInit()
{
    return 1;
}
void AppDraw(float)
{
}
int AppEvent(ov_event_t)
{
    return 0;
}

}  // namespace

extern "C" ov_prog_t *OV_GetInterface(void)
{
    memset(&s_record, 0, sizeof s_record);
    s_record.interface_version = OV_INTERFACE_VERSION;
    s_record.parms.width = 1024;
    s_record.parms.height = 600;
    s_record.parms.reference_counting = 1;
    strcpy(s_record.title, "orvex-assetpack");
    strcpy(s_record.id, "orvex.assetpack");
    strcpy(s_record.version, "1.0");
    strcpy(s_record.developer_name, "Orvex");
    s_record.Init = AppInit;
    s_record.Draw = AppDraw;
    s_record.EventProc = AppEvent;
    return &s_record;
}

int main(int argc, char **argv)
{
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
