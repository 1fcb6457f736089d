// Animations: the ".anim" pose file, the value of each channel at a frame, and the SVG
// of one frame with its groups posed.
#include "artgen.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <sstream>

namespace artgen {

namespace {

bool ParseChannel(const std::string &word, Channel *out)
{
    static const struct {
        const char *name;
        Channel channel;
    } kChannels[] = {{"rotate", Channel::Rotate},
                     {"translate", Channel::Translate},
                     {"scale", Channel::Scale},
                     {"opacity", Channel::Opacity},
                     {"visible", Channel::Visible}};
    for (const auto &c : kChannels)
        if (word == c.name) {
            *out = c.channel;
            return true;
        }
    return false;
}

// A whole number or a decimal, nothing after it.
bool ParseDouble(const std::string &text, double *out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    *out = strtod(text.c_str(), &end);
    return end && *end == 0 && isfinite(*out);
}

// "a" or "a,b" (b defaults to a when allowed, else a second value is required).
bool ParsePair(const std::string &text, bool single_ok, double *a, double *b)
{
    size_t comma = text.find(',');
    if (comma == std::string::npos) {
        if (!single_ok || !ParseDouble(text, a))
            return false;
        *b = *a;
        return true;
    }
    return ParseDouble(text.substr(0, comma), a) && ParseDouble(text.substr(comma + 1), b);
}

bool ParseKey(const std::string &word, Channel channel, Key *key)
{
    size_t colon = word.find(':');
    double frame;
    if (colon == std::string::npos || !ParseDouble(word.substr(0, colon), &frame) || frame != floor(frame))
        return false;
    key->frame = (int)frame;
    std::string value = word.substr(colon + 1);
    key->b = 0;
    switch (channel) {
    case Channel::Translate:
        return ParsePair(value, false, &key->a, &key->b);
    case Channel::Scale:
        return ParsePair(value, true, &key->a, &key->b);
    case Channel::Opacity:
        return ParseDouble(value, &key->a) && key->a >= 0 && key->a <= 1;
    case Channel::Visible:
        return ParseDouble(value, &key->a) && (key->a == 0 || key->a == 1);
    case Channel::Rotate:
        return ParseDouble(value, &key->a);
    }
    return false;
}

// Linear between two keys t of the way from one to the other; visibility steps.
double Mix(Channel channel, double from, double to, double t)
{
    if (channel == Channel::Visible)
        return t >= 1 ? to : from;
    return from + (to - from) * t;
}

std::string Transform(const Anim &anim, const std::string &group, int frame)
{
    std::string out;
    auto add = [&out](const std::string &part) {
        if (!out.empty())
            out += ' ';
        out += part;
    };
    for (const Track &t : anim.tracks) {
        if (t.group != group || t.channel != Channel::Translate)
            continue;
        double x, y;
        TrackValue(anim, t, frame, &x, &y);
        add("translate(" + Number(x) + "," + Number(y) + ")");
    }
    for (const Track &t : anim.tracks) {
        if (t.group != group || t.channel != Channel::Rotate)
            continue;
        double a, unused;
        TrackValue(anim, t, frame, &a, &unused);
        add("rotate(" + Number(a) + "," + Number(t.pivot_x) + "," + Number(t.pivot_y) + ")");
    }
    for (const Track &t : anim.tracks) {
        if (t.group != group || t.channel != Channel::Scale)
            continue;
        double sx, sy;
        TrackValue(anim, t, frame, &sx, &sy);
        bool pivot = t.pivot_x != 0 || t.pivot_y != 0;
        if (pivot)
            add("translate(" + Number(t.pivot_x) + "," + Number(t.pivot_y) + ")");
        add("scale(" + Number(sx) + "," + Number(sy) + ")");
        if (pivot)
            add("translate(" + Number(-t.pivot_x) + "," + Number(-t.pivot_y) + ")");
    }
    return out;
}

void SetAttribute(std::vector<Attribute> *attrs, const std::string &name, const std::string &value)
{
    for (Attribute &a : *attrs)
        if (a.name == name) {
            a.value = value;
            return;
        }
    attrs->push_back({name, value});
}

}  // namespace

std::string Number(double v)
{
    char buf[64];
    snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

bool ParseAnim(const std::string &name, const std::string &text, Anim *out, std::string *error)
{
    *out = Anim();
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string &what) {
        *error = "art: " + name + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        number++;
        if (line.find('#') != std::string::npos)
            line.erase(line.find('#'));
        std::istringstream words(line);
        std::string first;
        if (!(words >> first))
            continue;
        if (first == "source") {
            if (!(words >> out->source) || out->source.empty())
                return fail("expected 'source <file>.svg'");
        } else if (first == "frames") {
            std::string n;
            double v;
            if (!(words >> n) || !ParseDouble(n, &v) || v != floor(v) || v < 1 || v > 999)
                return fail("expected 'frames <n>' with n from 1 to 999");
            out->frames = (int)v;
        } else if (first == "loop") {
            out->loop = true;
        } else {
            Track track;
            track.group = first;
            std::string word;
            if (!(words >> word) || !ParseChannel(word, &track.channel))
                return fail("expected '<group-id> rotate|translate|scale|opacity|visible <frame>:<value> ...'");
            bool pivot = false;
            while (words >> word) {
                if (word == "pivot") {
                    std::string xy;
                    if (!(words >> xy) || !ParsePair(xy, false, &track.pivot_x, &track.pivot_y))
                        return fail("expected 'pivot x,y'");
                    pivot = true;
                    continue;
                }
                Key key;
                if (pivot || !ParseKey(word, track.channel, &key))
                    return fail("bad key '" + word + "'");
                if (!track.keys.empty() && key.frame <= track.keys.back().frame)
                    return fail("keys must be in rising frame order");
                track.keys.push_back(key);
            }
            if (track.keys.empty())
                return fail("no keys for '" + track.group + "'");
            if (pivot && track.channel != Channel::Rotate && track.channel != Channel::Scale)
                return fail("a pivot belongs to rotate or scale");
            for (const Track &t : out->tracks)
                if (t.group == track.group && t.channel == track.channel)
                    return fail("'" + track.group + " " + word + "' given twice");
            out->tracks.push_back(track);
        }
    }
    if (out->source.empty())
        return fail("no 'source'");
    if (out->frames < 1)
        return fail("no 'frames'");
    for (const Track &t : out->tracks)
        for (const Key &k : t.keys)
            if (k.frame < 0 || k.frame >= out->frames) {
                *error = "art: " + name + ": key frame " + std::to_string(k.frame) + " of '" + t.group +
                         "' is outside 0.." + std::to_string(out->frames - 1);
                return false;
            }
    return true;
}

void TrackValue(const Anim &anim, const Track &track, int frame, double *a, double *b)
{
    const std::vector<Key> &k = track.keys;
    const Key &first = k.front(), &last = k.back();
    const Key *from = nullptr, *to = nullptr;
    double from_frame = 0, to_frame = 0;
    if (frame <= first.frame || frame >= last.frame) {
        if (!anim.loop || k.size() < 2 || frame == first.frame || frame == last.frame) {
            const Key &held = frame <= first.frame ? first : last;
            *a = held.a;
            *b = held.b;
            return;
        }
        // The wrap: from the last key to the first one a whole loop later.
        from = &last;
        to = &first;
        from_frame = frame > last.frame ? last.frame : last.frame - anim.frames;
        to_frame = from_frame + (first.frame + anim.frames - last.frame);
    } else {
        size_t i = 1;
        while (k[i].frame < frame)
            i++;
        from = &k[i - 1];
        to = &k[i];
        from_frame = from->frame;
        to_frame = to->frame;
    }
    double t = to_frame > from_frame ? (frame - from_frame) / (to_frame - from_frame) : 1;
    *a = Mix(track.channel, from->a, to->a, t);
    *b = Mix(track.channel, from->b, to->b, t);
}

bool PoseFrame(const std::string &name, const std::string &svg, const Anim &anim, int frame, std::string *out,
               std::string *error)
{
    std::vector<std::string> groups;
    for (const Track &t : anim.tracks)
        if (std::find(groups.begin(), groups.end(), t.group) == groups.end())
            groups.push_back(t.group);
    std::vector<bool> found(groups.size(), false);
    out->clear();
    size_t i = 0;
    while (i < svg.size()) {
        size_t lt = svg.find("<g", i);
        if (lt == std::string::npos) {
            out->append(svg, i, std::string::npos);
            break;
        }
        out->append(svg, i, lt - i);
        std::string tag;
        std::vector<Attribute> attrs;
        size_t end;
        bool self_closing;
        const std::string *id = nullptr;
        if (!ParseTag(svg, lt, &tag, &attrs, &end, &self_closing) || tag != "g" ||
            !(id = FindAttribute(attrs, "id"))) {
            out->append(svg, lt, 2);
            i = lt + 2;
            continue;
        }
        size_t g = std::find(groups.begin(), groups.end(), *id) - groups.begin();
        if (g == groups.size()) {
            out->append(svg, lt, end - lt);
            i = end;
            continue;
        }
        found[g] = true;
        std::string transform = Transform(anim, groups[g], frame);
        if (!transform.empty()) {
            const std::string *own = FindAttribute(attrs, "transform");
            SetAttribute(&attrs, "transform", own ? transform + " " + *own : transform);
        }
        for (const Track &t : anim.tracks) {
            if (t.group != groups[g])
                continue;
            double a, b;
            TrackValue(anim, t, frame, &a, &b);
            if (t.channel == Channel::Opacity)
                SetAttribute(&attrs, "opacity", Number(a));
            else if (t.channel == Channel::Visible)
                SetAttribute(&attrs, "display", a != 0 ? "inline" : "none");
        }
        out->append("<g");
        for (const Attribute &a : attrs)
            out->append(" " + a.name + "=\"" + a.value + "\"");
        out->append(self_closing ? "/>" : ">");
        i = end;
    }
    for (size_t g = 0; g < groups.size(); g++)
        if (!found[g]) {
            *error = "art: " + name + ": no group '" + groups[g] + "'";
            return false;
        }
    return true;
}

}  // namespace artgen
