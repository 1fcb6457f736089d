// orvex-contentcheck: checks a built program directory before it ships.
//
//   orvex-contentcheck [--ignore <check-ignore.txt>] [--music]
//                      [--source-root <dir> --code <dir>...] <program dir>
//
// Prints "content: <file>: <problem>" per problem, then "content check: <n> problems in
// <m> files" (m: the files of the program directory), and exits 1 when there is any
// problem (2 for a usage error or when the check cannot run). --music requires the
// game's music tracks (given when the build makes the music package); --code names the
// application source directories whose asset names must resolve (messages name the
// source files relative to --source-root); --ignore lists deliberate exceptions.
#include "contentcheck.h"

#include "app/services/dataman.h"

#include <stdio.h>
#include <string.h>

using namespace contentcheck;

namespace {

int Usage()
{
    fprintf(stderr,
            "usage: orvex-contentcheck [--ignore <check-ignore.txt>] [--music] [--source-root <dir> --code <dir>...] "
            "<program dir>\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string root, ignore, source_root;
    std::vector<std::string> code;
    bool music = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--music") {
            music = true;
        } else if ((a == "--ignore" || a == "--source-root" || a == "--code") && i + 1 < argc) {
            std::string v = argv[++i];
            if (a == "--ignore")
                ignore = v;
            else if (a == "--source-root")
                source_root = v;
            else
                code.push_back(v);
        } else if (!a.empty() && a[0] != '-' && root.empty()) {
            root = a;
        } else {
            return Usage();
        }
    }
    if (root.empty())
        return Usage();
    Tree tree;
    if (!tree.Load(root)) {
        fprintf(stderr, "contentcheck: %s is not a directory\n", root.c_str());
        return 2;
    }
    Report report;
    if (!ignore.empty())
        LoadIgnoreList(ignore, &tree, &report);
    Facts facts;
    {
        Engine engine;
        if (!engine.Start(tree.Root()))
            return 2;
        CheckText(tree, &report);
        CheckXml(tree, &engine, &report);
        CheckLua(tree, &facts, &report);
        CheckMedia(tree, &engine, &facts, &report, music);
        CheckCrossReferences(tree, facts, &report);
        CheckArtSizes(tree, facts, &report);
        CheckAiPlayer(tree, facts, &report);
        dman().ReleaseAllDatabases();
    }
    CheckCodeNames(tree, source_root, code, &report);
    for (const std::string &line : report.Lines())
        fputs(line.c_str(), stdout);
    printf("content check: %d problems in %d files\n", report.Count(), (int)tree.Files().size());
    fflush(stdout);
    return report.Count() > 0 ? 1 : 0;
}
