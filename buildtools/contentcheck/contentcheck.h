// orvex-contentcheck: the build-time check of a program directory (res://). Every rule
// reports its problems as "content: <file>: <problem>" through one `Report`; the checks
// share the `Tree` (the files of the program directory and how names resolve in it).
#ifndef BUILDTOOLS_CONTENTCHECK_CONTENTCHECK_H
#define BUILDTOOLS_CONTENTCHECK_CONTENTCHECK_H

#include "buildtools/common/tool-engine.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class DMDatabase;

namespace contentcheck {

// The sound and music packages the engine adds as search paths.
extern const char kSoundPackage[];  // "data-sfx-WAV_22050_MONO"
extern const char kMusicPackage[];  // "data-music-MP3_22050_STEREO"

// Problems found so far; each distinct (file, problem) pair is reported once.
class Report {
public:
    void Add(const std::string &file, const std::string &problem);
    int Count() const { return (int)seen_.size(); }
    // The lines in the order found.
    const std::vector<std::string> &Lines() const { return lines_; }

private:
    std::set<std::string> seen_;
    std::vector<std::string> lines_;
};

// printf into a std::string.
std::string Format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
bool ReadFile(const std::string &path, std::string *bytes);
bool EndsWith(const std::string &text, const std::string &end);
bool StartsWith(const std::string &text, const std::string &start);

// The program directory: its files (relative names, '/'-separated, sorted) and the
// names the check may ignore (content/check-ignore.txt).
class Tree {
public:
    // Lists every regular file under root (symbolic links followed); false when root
    // is not a directory.
    bool Load(const std::string &root);
    const std::string &Root() const { return root_; }
    const std::vector<std::string> &Files() const { return files_; }
    std::string Native(const std::string &rel) const { return root_ + "/" + rel; }
    bool Has(const std::string &rel) const { return set_.count(rel) != 0; }

    // True when a name looks like an asset name: it ends ".png", ".tga", ".bms",
    // ".mft", ".lua" or ".xml", or starts "sfx/" or "music/"; no '%', '*' or blank,
    // not "user://", and more than its ending.
    static bool LooksLikeAsset(const std::string &name);
    // The file a name resolves to ("" when none): "res://" is dropped; "sfx/<x>" and
    // "music/<x>" without an ending are tried with ".wav", ".ogg", ".mp3" along the
    // search paths (the program directory, the sound package, the music package), as
    // the sound cache does; other names as they are along the same paths.
    std::string Resolve(const std::string &name) const;
    // The problem text for a name that does not resolve.
    static std::string MissingText(const std::string &name);

    // Deliberate exceptions: names never reported as missing.
    void Ignore(const std::string &name) { ignored_.insert(name); }
    bool Ignored(const std::string &name) const { return ignored_.count(name) != 0; }

    // Reports name under file when it is not ignored and does not resolve; true when
    // it resolves (or is ignored).
    bool CheckName(Report *report, const std::string &file, const std::string &name) const;

private:
    void Walk(const std::string &sub);
    std::string root_;
    std::vector<std::string> files_;
    std::set<std::string> set_;
    std::set<std::string> ignored_;
};

// Reads the ignore list ("<name> <reason>" per line, '#' comments); malformed lines
// are problems of "check-ignore.txt".
void LoadIgnoreList(const std::string &path, Tree *tree, Report *report);

// Shared results the later rules read.
struct Facts {
    // Effect slots (bursts) per effect file.
    std::map<std::string, int> effect_slots;
    // Component templates of "ui/templates.lua": name (lower case) -> type word (lower case).
    std::map<std::string, std::string> templates;
    // Scripted screens created by "ui/autoexec.lua": name -> layout file.
    std::map<std::string, std::string> scripted_screens;
    // Decoded image sizes: name -> (width, height) of the image or sequence atlas.
    std::map<std::string, std::pair<int, int>> image_sizes;
};

// The headless engine the loaders and the application's data reader run in: its res://
// is a scratch directory in which the checked tree appears as "tree/".
class Engine {
public:
    ~Engine();
    bool Start(const std::string &tree_root);
    // The engine file name of a tree file.
    static std::string Name(const std::string &rel) { return "tree/" + rel; }
    // Messages the engine and the application code gave (popups, warnings and
    // debug lines of level warning and above) since the last call, "tree/" removed.
    std::vector<std::string> TakeMessages();

private:
    toolengine::Session session_;
    bool running_ = false;
};

// The rules, in the order main runs them.
void CheckText(const Tree &tree, Report *report);                                  // ASCII only
void CheckXml(const Tree &tree, Engine *engine, Report *report);                   // rule 3 and XML names
void CheckLua(const Tree &tree, Facts *facts, Report *report);                     // rule 4 and Lua names
void CheckMedia(const Tree &tree, Engine *engine, Facts *facts, Report *report, bool music);  // rules 6-8
void CheckCrossReferences(const Tree &tree, const Facts &facts, Report *report);   // rule 5
// Rule 6 for pictures the data names for fixed-size slots (shop icons, achievement
// icons, mission pictures).
void CheckArtSizes(const Tree &tree, const Facts &facts, Report *report);
// Rule 5 for the battle's data: entities, weapons, power-ups and the shop's REARM ids.
void CheckBattleData(const Tree &tree, Report *report);
// The numbers of the battle data and the gameplay tuning within the sane range of their
// keys, and the weapons as "inherit" builds them (numbers.cpp).
void CheckDataNumbers(const Tree &tree, Report *report);
// The same for one level file's arrays.
void CheckLevelNumbers(DMDatabase *level, const std::string &rel, Report *report);
// Rule 5 for "missions.xml" and the level files (missions.cpp); categories are the
// leaderboard categories in file order (empty when there is no leaderboards file).
void CheckMissions(const Tree &tree, const std::vector<std::string> &categories, Report *report);
// The test player's navigation hints ("ai-player.xml") against the screens' layouts.
void CheckAiPlayer(const Tree &tree, const Facts &facts, Report *report);
// Rule 1: string literals of the application sources under each root (relative file
// names in messages are relative to base).
void CheckCodeNames(const Tree &tree, const std::string &base, const std::vector<std::string> &roots,
                    Report *report);

}  // namespace contentcheck

#endif
