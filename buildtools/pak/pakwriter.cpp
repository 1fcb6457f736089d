// orvex-pak: packs a directory into a package archive for the engine to read.
// Usage: orvex-pak OUTPUT.pak SOURCE_DIR
#include "pakwrite.h"

#include <stdio.h>

#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s OUTPUT.pak SOURCE_DIR\n", argc > 0 ? argv[0] : "orvex-pak");
        return 2;
    }
    std::string error;
    int count = 0;
    if (!ovpak::PackDirectory(argv[1], argv[2], &error, &count)) {
        fprintf(stderr, "orvex-pak: %s\n", error.c_str());
        return 1;
    }
    printf("orvex-pak: wrote %d entries to %s\n", count, argv[1]);
    return 0;
}
