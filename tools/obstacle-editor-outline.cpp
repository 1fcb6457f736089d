// The obstacle outline writer (see obstacle-editor-outline.h).
#include "tools/obstacle-editor-outline.h"

#include "tools/terrain-format.h"

#include <stdio.h>

std::string FormatObstacleOutline(const char *bitmap_name, float hit_points, const vec2_t *vertices,
                                  int num_vertices)
{
    std::string out;
    char line[160];
    out += "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n\n";
    out += "<root>\n\n";
    out += " <array id=\"info\">\n";
    out += "  <node id=\"bitmap\" value=\"";
    AppendTerrainEscaped(out, bitmap_name);
    out += "\" />\n";
    if (hit_points != 100.0f) {
        snprintf(line, sizeof line, "  <node id=\"hit_points\" value=\"%g\" />\n", (double)hit_points);
        out += line;
    }
    out += " </array>\n\n";
    out += " <array id=\"edges\">\n";
    for (int i = 0; i < num_vertices; i++) {
        const vec2_t &p0 = vertices[i];
        const vec2_t &p1 = vertices[(i + 1) % num_vertices];
        int x0 = (int)p0.x, y0 = (int)p0.y, x1 = (int)p1.x, y1 = (int)p1.y;
        if (x0 == x1 && y0 == y1)
            continue;
        snprintf(line, sizeof line, "  <node p0x=\"%d\" p0y=\"%d\"  p1x=\"%d\" p1y=\"%d\" />\n", x0, y0, x1, y1);
        out += line;
    }
    out += " </array>\n\n";
    out += "</root>\n";
    return out;
}
