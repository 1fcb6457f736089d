// The first outline of an obstacle: the polygon with id "outline" in its SVG, written in
// the obstacle editor's file format (edges in whole obstacle units about the bitmap's
// centre, clockwise on screen, closed).
#include "artgen.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

namespace artgen {

namespace {

const size_t kMaxEdges = 32;

struct Point {
    long x, y;
};

// A length such as "128", "128px" or "128.5": its leading number.
bool Length(const std::string *text, double *out)
{
    if (!text)
        return false;
    char *end = nullptr;
    *out = strtod(text->c_str(), &end);
    return end != text->c_str() && *out > 0;
}

// The drawing's size: the root's width and height, else its viewBox.
bool DrawingSize(const std::string &svg, double *w, double *h)
{
    size_t at = svg.find("<svg");
    std::string tag;
    std::vector<Attribute> attrs;
    size_t end;
    bool self_closing;
    if (at == std::string::npos || !ParseTag(svg, at, &tag, &attrs, &end, &self_closing))
        return false;
    if (Length(FindAttribute(attrs, "width"), w) && Length(FindAttribute(attrs, "height"), h))
        return true;
    const std::string *box = FindAttribute(attrs, "viewBox");
    double x, y;
    return box && sscanf(box->c_str(), "%lf%*[ ,]%lf%*[ ,]%lf%*[ ,]%lf", &x, &y, w, h) == 4 && *w > 0 && *h > 0;
}

bool FindOutline(const std::string &svg, std::string *points)
{
    for (size_t at = svg.find("<polygon"); at != std::string::npos; at = svg.find("<polygon", at + 1)) {
        std::string tag;
        std::vector<Attribute> attrs;
        size_t end;
        bool self_closing;
        if (!ParseTag(svg, at, &tag, &attrs, &end, &self_closing) || tag != "polygon")
            continue;
        const std::string *id = FindAttribute(attrs, "id"), *p = FindAttribute(attrs, "points");
        if (id && *id == "outline" && p) {
            *points = *p;
            return true;
        }
    }
    return false;
}

bool ParsePoints(const std::string &text, std::vector<double> *values)
{
    std::string s = text;
    for (char &c : s)
        if (c == ',' || c == '\n' || c == '\t' || c == '\r')
            c = ' ';
    const char *p = s.c_str();
    for (;;) {
        while (*p == ' ')
            p++;
        if (!*p)
            break;
        char *end = nullptr;
        double v = strtod(p, &end);
        if (end == p || !isfinite(v))
            return false;
        values->push_back(v);
        p = end;
    }
    return values->size() % 2 == 0;
}

// Twice the signed area with y pointing down: positive when clockwise on screen.
long long Winding(const std::vector<Point> &pts)
{
    long long sum = 0;
    for (size_t i = 0; i < pts.size(); i++) {
        const Point &a = pts[i], &b = pts[(i + 1) % pts.size()];
        sum += (long long)a.x * b.y - (long long)b.x * a.y;
    }
    return sum;
}

// Every turn goes the same way (straight runs allowed).
bool Convex(const std::vector<Point> &pts)
{
    int sign = 0;
    for (size_t i = 0; i < pts.size(); i++) {
        const Point &a = pts[i], &b = pts[(i + 1) % pts.size()], &c = pts[(i + 2) % pts.size()];
        long long cross = (long long)(b.x - a.x) * (c.y - b.y) - (long long)(b.y - a.y) * (c.x - b.x);
        int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
        if (s && sign && s != sign)
            return false;
        if (s)
            sign = s;
    }
    return sign != 0;
}

}  // namespace

bool OutlineFromSvg(const std::string &name, const std::string &svg, const std::string &bitmap, std::string *out,
                    std::string *error)
{
    std::string text;
    std::vector<double> values;
    double w, h;
    if (!FindOutline(svg, &text)) {
        *error = "art: " + name + ": no polygon with id \"outline\"";
        return false;
    }
    if (!ParsePoints(text, &values)) {
        *error = "art: " + name + ": the outline's points are not x,y pairs";
        return false;
    }
    if (!DrawingSize(svg, &w, &h)) {
        *error = "art: " + name + ": the drawing has no width and height";
        return false;
    }
    // Whole units about the centre, as the editor writes them; points that fall on
    // the previous one (and a closing copy of the first) would make zero-length edges.
    std::vector<Point> pts;
    for (size_t i = 0; i + 1 < values.size(); i += 2) {
        Point p{(long)(values[i] - w / 2), (long)(values[i + 1] - h / 2)};
        if (pts.empty() || p.x != pts.back().x || p.y != pts.back().y)
            pts.push_back(p);
    }
    while (pts.size() > 1 && pts.back().x == pts.front().x && pts.back().y == pts.front().y)
        pts.pop_back();
    if (pts.size() < 3 || pts.size() > kMaxEdges) {
        *error = "art: " + name + ": the outline needs 3 to 32 points, it has " + std::to_string(pts.size());
        return false;
    }
    if (!Convex(pts)) {
        *error = "art: " + name + ": the outline is not convex";
        return false;
    }
    if (Winding(pts) < 0) {
        std::vector<Point> reversed(pts.rbegin(), pts.rend());
        pts = reversed;
    }
    char line[256];
    *out = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n\n<root>\n\n <array id=\"info\">\n";
    *out += "  <node id=\"bitmap\" value=\"" + bitmap + "\" />\n </array>\n\n <array id=\"edges\">\n";
    for (size_t i = 0; i < pts.size(); i++) {
        const Point &a = pts[i], &b = pts[(i + 1) % pts.size()];
        snprintf(line, sizeof line, "  <node p0x=\"%ld\" p0y=\"%ld\"  p1x=\"%ld\" p1y=\"%ld\" />\n", a.x, a.y, b.x, b.y);
        *out += line;
    }
    *out += " </array>\n\n</root>\n";
    return true;
}

}  // namespace artgen
