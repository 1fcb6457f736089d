// Effect files: run with the effect library's calls recorded. Every key is one the
// library knows, with values of the right kinds; a burst that emits particles has a
// bitmap (or a text and a font); the only death function is "GroundDecal"; curves,
// bitmaps and sounds stay within 16; every name resolves; and all effects together
// stay within 200 of the library's 256 slots (one slot per burst).
#include "luarun.h"

#include <string.h>

namespace contentcheck {

namespace {

const int kSlotBudget = 200;
const int kSlotTable = 256;
const int kMaxListed = 16;

// Values a key takes: a range (two numbers), one number, a pair or curve point (two
// numbers), a text, an asset name, or an asset name and a number.
enum ValueKind { RANGE, NUMBER, PAIR, TEXT, NAME, NAME_NUMBER };

struct EffectKey {
    const char *key;
    ValueKind kind;
};

const EffectKey kKeys[] = {
    {"alpha", RANGE},          {"alpha_graph", PAIR},        {"color_r", RANGE},
    {"color_g", RANGE},        {"color_b", RANGE},           {"scale", RANGE},
    {"scale_graph", PAIR},     {"area_box", PAIR},           {"area_bitmap", NAME},
    {"area_bitmap_edges", NAME}, {"area_bitmap_edges_angle", NAME_NUMBER}, {"area_angle", NUMBER},
    {"area_angle_spread", NUMBER}, {"area_radius", RANGE},   {"dampening_factor", RANGE},
    {"death_func", TEXT},      {"num_parts", NUMBER},        {"move_angle", NUMBER},
    {"move_angle_spread", NUMBER}, {"init_move", RANGE},     {"initial_move", RANGE},
    {"angle", NUMBER},         {"rotation_angle", NUMBER},   {"angle_spread", NUMBER},
    {"rot_angle_spread", NUMBER}, {"angle_rps", RANGE},      {"rot_angle_rps", RANGE},
    {"pos_offset", PAIR},      {"age", RANGE},               {"mass", RANGE},
    {"bitmap", NAME},          {"font", NAME},               {"emitter_type", TEXT},
    {"emitter_fx", NAME},      {"emitter_interval", NUMBER}, {"text", TEXT},
    {"sound", NAME},           {"sound_volume", RANGE},      {"sound_freq", RANGE},
    {"age_to_die", RANGE},     {"speed", RANGE},             {"move_speed", RANGE},
    {"blend_mode", TEXT},
};

const EffectKey *FindKey(const std::string &key)
{
    for (const EffectKey &k : kKeys)
        if (key == k.key)
            return &k;
    return nullptr;
}

bool ValuesFit(ValueKind kind, const std::vector<LuaValue> &v)
{
    // v[0] is the key.
    size_t n = v.size() - 1;
    switch (kind) {
    case RANGE:
    case PAIR: return n == 2 && v[1].IsNumber() && v[2].IsNumber();
    case NUMBER: return n == 1 && v[1].IsNumber();
    case TEXT: return n == 1 && v[1].kind == LuaValue::STRING;
    case NAME: return n == 1 && v[1].kind == LuaValue::STRING && !v[1].text.empty();
    case NAME_NUMBER: return n == 2 && v[1].kind == LuaValue::STRING && v[2].IsNumber();
    }
    return false;
}

const char *KindText(ValueKind kind)
{
    switch (kind) {
    case RANGE: return "a range of two numbers";
    case PAIR: return "two numbers";
    case NUMBER: return "one number";
    case TEXT: return "one text";
    case NAME: return "one file name";
    case NAME_NUMBER: return "a file name and a number";
    }
    return "";
}

struct Burst {
    int particles = 0;
    int bitmaps = 0, sounds = 0, alpha_points = 0, scale_points = 0;
    bool text = false, font = false;
};

// Checks one effect file; returns its number of slots.
int CheckEffect(const Tree &tree, const std::string &rel, const std::string &text, Report *report)
{
    std::vector<LuaCall> calls;
    std::string error;
    static const std::vector<std::string> kFunctions = {"FXParm", "PartFXParm", "PartBurstParm",
                                                       "AddFX", "PartFXAddNew", "FXAddNew"};
    if (!RunRecorded(rel, text, kFunctions, &calls, &error))
        report->Add(rel, "fails when run: " + error);
    std::vector<Burst> bursts(1);
    for (const LuaCall &call : calls) {
        if (call.function == "AddFX" || call.function == "PartFXAddNew" || call.function == "FXAddNew") {
            bursts.emplace_back();
            continue;
        }
        int index = (int)bursts.size();
        Burst &b = bursts.back();
        if (call.args.empty() || call.args[0].kind != LuaValue::STRING) {
            report->Add(rel, Format("burst %d: %s without a key", index, call.function.c_str()));
            continue;
        }
        const std::string &key = call.args[0].text;
        const EffectKey *k = FindKey(key);
        if (!k) {
            report->Add(rel, Format("burst %d: unknown burst key '%s'", index, key.c_str()));
            continue;
        }
        if (!ValuesFit(k->kind, call.args)) {
            report->Add(rel, Format("burst %d: '%s' takes %s", index, key.c_str(), KindText(k->kind)));
            continue;
        }
        const LuaValue &v = call.args[1];
        if (k->kind == NAME || k->kind == NAME_NUMBER)
            tree.CheckName(report, rel, v.text);
        if (key == "num_parts")
            b.particles = (int)v.number;
        else if (key == "bitmap")
            b.bitmaps++;
        else if (key == "sound")
            b.sounds++;
        else if (key == "alpha_graph")
            b.alpha_points++;
        else if (key == "scale_graph")
            b.scale_points++;
        else if (key == "text")
            b.text = true;
        else if (key == "font")
            b.font = true;
        else if (key == "death_func" && v.text != "GroundDecal")
            report->Add(rel, Format("burst %d: death function '%s' (the only one is GroundDecal)", index,
                                    v.text.c_str()));
    }
    for (size_t i = 0; i < bursts.size(); i++) {
        const Burst &b = bursts[i];
        int index = (int)i + 1;
        if (b.particles > 0 && b.bitmaps == 0 && !(b.text && b.font))
            report->Add(rel, Format("burst %d emits %d particles but has no bitmap (or text and font)", index,
                                    b.particles));
        const struct {
            int count;
            const char *what;
        } lists[] = {{b.bitmaps, "bitmaps"}, {b.sounds, "sounds"}, {b.alpha_points, "alpha_graph points"},
                     {b.scale_points, "scale_graph points"}};
        for (const auto &l : lists)
            if (l.count > kMaxListed)
                report->Add(rel, Format("burst %d has %d %s (the library keeps %d)", index, l.count, l.what,
                                        kMaxListed));
    }
    return (int)bursts.size();
}

}  // namespace

void CheckEffects(const Tree &tree, Facts *facts, Report *report)
{
    int total = 0;
    for (const std::string &rel : tree.Files()) {
        if (!StartsWith(rel, "fxs/") || !EndsWith(rel, ".lua"))
            continue;
        std::string text, error;
        if (!ReadFile(tree.Native(rel), &text) || !Compiles(rel, text, &error))
            continue;  // reported with every Lua file
        int slots = CheckEffect(tree, rel, text, report);
        facts->effect_slots[rel] = slots;
        total += slots;
    }
    if (total > kSlotBudget)
        report->Add("fxs/", Format("the effects use %d of the %d effect slots (at most %d)", total, kSlotTable,
                                   kSlotBudget));
}

}  // namespace contentcheck
