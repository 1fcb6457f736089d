// orvex-artgen's work, apart from its command line: expanding our SVG sources (palette
// colours and includes), posing the groups of an SVG for each frame of an animation,
// and the first outline of an obstacle from the polygon drawn in its SVG.
//
// Every function reports a failure by returning false with one line in *error, the
// text the tool prints ("art: <file>: <problem>"); nothing throws.
#ifndef BUILDTOOLS_ARTGEN_ARTGEN_H
#define BUILDTOOLS_ARTGEN_ARTGEN_H

#include <map>
#include <string>
#include <vector>

namespace artgen {

// Colour names and their values, from "palette.txt": one "name value" per line (the
// value is written into the SVG as it stands, e.g. "#3a5f2b"); lines whose first word
// starts with '#' are comments.
typedef std::map<std::string, std::string> Palette;

bool ReadTextFile(const std::string &path, std::string *text);
bool ParsePalette(const std::string &name, const std::string &text, Palette *out, std::string *error);
bool LoadPalette(const std::string &path, Palette *out, std::string *error);

// Where includes are looked for and what an expansion read.
struct ExpandContext {
    const Palette *palette = nullptr;
    // Tried in turn after the including file's own directory.
    std::vector<std::string> include_dirs;
    // Every included file (filled by the expansion, for the build's dependency file).
    std::vector<std::string> read;
};

// Replaces every "{{name}}" by the palette's value and every <!--#include "file"-->
// by the expanded text of that file (relative to the including file's directory, then
// to the include directories). name is the file the text came from (its directory is
// where includes are looked for first). Errors: "art: %s: unknown colour '%s'",
// "art: %s: cannot include '%s'" (also for includes nested too deep, i.e. a cycle).
bool ExpandText(const std::string &name, const std::string &text, ExpandContext *ctx, std::string *out,
                std::string *error);
bool ExpandFile(const std::string &path, ExpandContext *ctx, std::string *out, std::string *error);

// An animation (".anim"): one command per line, '#' comments.
//   source <file>.svg
//   frames <n>
//   <group-id> rotate|translate|scale|opacity|visible <frame>:<value> ... [pivot x,y]
//   loop
// rotate is in degrees about the pivot (default 0,0); translate "x,y"; scale "s" or
// "sx,sy" about the pivot; opacity 0..1; visible 0 or 1 (held until the next key).
enum class Channel { Rotate, Translate, Scale, Opacity, Visible };

struct Key {
    int frame;
    double a, b;  // b only for translate and scale
};

struct Track {
    std::string group;
    Channel channel;
    std::vector<Key> keys;  // in rising frame order
    double pivot_x = 0, pivot_y = 0;
};

struct Anim {
    std::string source;
    int frames = 0;
    bool loop = false;
    std::vector<Track> tracks;
};

bool ParseAnim(const std::string &name, const std::string &text, Anim *out, std::string *error);
// The track's value at a frame: linear between keys (visible steps), held before the
// first and after the last key, or with loop wrapping from the last key to the first
// (which then stands again at its frame + the frame count).
void TrackValue(const Anim &anim, const Track &track, int frame, double *a, double *b);
// The SVG posed for one frame: every animated <g id="..."> gets its transform put in
// front of its own, and its opacity and display set. Error when a group is missing.
bool PoseFrame(const std::string &name, const std::string &svg, const Anim &anim, int frame, std::string *out,
               std::string *error);
// A number as the tools write it: at most four decimals, no trailing zeros.
std::string Number(double v);

// The outline file of an obstacle (the obstacle editor's format) from the polygon with
// id "outline" in its SVG: points about the drawing's centre, truncated to whole units,
// repeated points dropped, clockwise on screen. Errors when there is no such polygon,
// fewer than 3 or more than 32 points, or the polygon is not convex.
bool OutlineFromSvg(const std::string &name, const std::string &svg, const std::string &bitmap, std::string *out,
                    std::string *error);

// One XML start tag's attributes, in order, for the small edits the tools make.
struct Attribute {
    std::string name, value;
};
// Reads the attributes of the start tag that begins at text[at] ('<'); end gets the
// index just past its '>' and self_closing whether it ends "/>". False when malformed.
bool ParseTag(const std::string &text, size_t at, std::string *tag_name, std::vector<Attribute> *attrs, size_t *end,
              bool *self_closing);
const std::string *FindAttribute(const std::vector<Attribute> &attrs, const std::string &name);

}  // namespace artgen

#endif
