// The terrain file's writer and reader (see terrain-format.h).
#include "tools/terrain-format.h"

#include "app/services/dataman.h"
#include "app/services/small-maths.h"
#include "game/obstacles.h"
#include "ovrecords.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {


void Appendf(std::string &out, const char *format, ...) __attribute__((format(printf, 2, 3)));

void Appendf(std::string &out, const char *format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0)
        out.append(line, (size_t)n < sizeof line ? (size_t)n : sizeof line - 1);
}

// Appends attr="value" with the value escaped.
void AppendAttribute(std::string &out, const char *attr, const char *value)
{
    out += attr;
    out += "=\"";
    AppendTerrainEscaped(out, value);
    out += "\"";
}

const char *BitmapName(const ov_bitmap_t *b)
{
    return b && b->name ? b->name : "";
}

// A number of the file; the fallback when it is missing or not finite.
float ValueFloat(const DMNode *node, const char *key, float fallback)
{
    const char *v = node->GetValue(key);
    float f = v ? (float)atof(v) : fallback;
    return isfinite(f) ? f : fallback;
}

// A position of the file, within the range a placed thing can have.
float ValueCoordinate(const DMNode *node, const char *key, float fallback)
{
    float f = ValueFloat(node, key, fallback);
    return f < -kTerrainMaxCoordinate ? -kTerrainMaxCoordinate : f > kTerrainMaxCoordinate ? kTerrainMaxCoordinate : f;
}

// A position as the file writes it: truncated to an integer, within the range.
int TruncatedCoordinate(float v)
{
    if (!isfinite(v))
        return 0;
    return (int)(v < -kTerrainMaxCoordinate ? -kTerrainMaxCoordinate : v > kTerrainMaxCoordinate ? kTerrainMaxCoordinate : v);
}

}  // namespace

void AppendTerrainEscaped(std::string &out, const char *text)
{
    for (const char *p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '&': out += "&amp;"; break;
        default: out += *p; break;
        }
    }
}

float TerrainDegreesToRadians(float degrees)
{
    return (float)(degrees / 180.0 * kPiDouble);
}

double TerrainRadiansToDegrees(float radians)
{
    return radians / kPiDouble * 180.0;
}

std::string FormatTerrain(const char *background, vec2_t bunker, const TerrainDecal *decals, int num_decals,
                          const Obstacle *obstacles, int num_obstacles)
{
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";
    out += "<root>\n";
    out += "\t<array id=\"environment\">\n";
    out += "\t\t<node id=\"background\" ";
    AppendAttribute(out, "value", background);
    out += " />\n";
    Appendf(out, "\t\t<node id=\"bunker\" x=\"%d\" y=\"%d\" />\n", TruncatedCoordinate(bunker.x),
            TruncatedCoordinate(bunker.y));
    out += "\t</array>\n\n";

    out += "\t<array id=\"environment_decals\">\n";
    for (int i = 0; i < num_decals; i++) {
        const TerrainDecal &d = decals[i];
        out += "\t\t<node ";
        AppendAttribute(out, "bitmap", BitmapName(d.bitmap));
        Appendf(out, " x=\"%d\" y=\"%d\" angle=\"%.2f\" scale=\"%g\" r=\"%g\" g=\"%g\" b=\"%g\" a=\"%g\" %s />\n",
                TruncatedCoordinate(d.x), TruncatedCoordinate(d.y), TerrainRadiansToDegrees(d.angle), (double)d.scale, (double)d.r,
                (double)d.g, (double)d.b, (double)d.a, d.blend == 1 ? "blend_mode=\"ADDITIVE\"" : "");
    }
    out += "\t</array>\n\n";

    out += "\t<array id=\"obstacles\">\n";
    for (int i = 0; i < num_obstacles; i++) {
        const Obstacle &o = obstacles[i];
        if (!o.type)
            continue;
        out += "\t\t<node ";
        AppendAttribute(out, "obstacle", o.type->name);
        Appendf(out, " x=\"%d\" y=\"%d\" angle=\"%g\" scale=\"%g\" />\n", TruncatedCoordinate(o.pos.x),
                TruncatedCoordinate(o.pos.y),
                TerrainRadiansToDegrees(o.angle), (double)o.scale);
    }
    out += "\t</array>\n\n";
    out += "</root>\n";
    return out;
}

bool ReadTerrain(const DMDatabase &db, TerrainImport *out)
{
    DMArray *env = db.GetArray("environment");
    DMArray *decals = db.GetArray("environment_decals");
    DMArray *obstacles = db.GetArray("obstacles");
    if (!env && !decals && !obstacles)
        return false;

    TerrainImport t;
    if (env) {
        if (DMNode *bg = env->GetNode("background")) {
            if (const char *v = bg->GetValue("value")) {
                t.has_background = true;
                t.background = v;
            }
        }
        if (DMNode *bunker = env->GetNode("bunker")) {
            t.bunker.x = ValueCoordinate(bunker, "x", 200.0f);
            t.bunker.y = ValueCoordinate(bunker, "y", 200.0f);
        }
    }
    if (decals) {
        for (int i = 0; i < decals->GetSize(); i++) {
            const DMNode *n = decals->GetNode(i);
            TerrainImport::Decal d;
            const char *bitmap = n->GetValue("bitmap");
            d.bitmap = bitmap ? bitmap : "";
            d.x = ValueCoordinate(n, "x", 100.0f);
            d.y = ValueCoordinate(n, "y", 100.0f);
            d.angle = TerrainDegreesToRadians(ValueFloat(n, "angle", 0.0f));
            d.scale = ValueFloat(n, "scale", 1.0f);
            d.r = ValueFloat(n, "r", 1.0f);
            d.g = ValueFloat(n, "g", 1.0f);
            d.b = ValueFloat(n, "b", 1.0f);
            d.a = ValueFloat(n, "a", 1.0f);
            const char *blend = n->GetValue("blend_mode");
            d.blend = blend && strcmp(blend, "ADDITIVE") == 0 ? 1 : 0;
            t.decals.push_back(d);
        }
    }
    if (obstacles) {
        for (int i = 0; i < obstacles->GetSize(); i++) {
            const DMNode *n = obstacles->GetNode(i);
            TerrainImport::Placed p;
            const char *name = n->GetValue("obstacle");
            p.obstacle = name ? name : "";
            p.x = ValueCoordinate(n, "x", 100.0f);
            p.y = ValueCoordinate(n, "y", 100.0f);
            p.angle = TerrainDegreesToRadians(ValueFloat(n, "angle", 0.0f));
            p.scale = ValueFloat(n, "scale", 1.0f);
            t.obstacles.push_back(p);
        }
    }
    *out = t;
    return true;
}
