// The outline file of an obstacle type as the obstacle editor writes it: the bitmap
// (and the hit points when they are not the default 100) in "info", then one edge per
// vertex, closing the polygon from the last vertex back to the first. End points are
// truncated to integers; an edge whose truncated ends coincide is left out (it would
// have no direction, so no normal). The world reads it with `ObstacleType::Load`.
#ifndef TOOLS_OBSTACLE_EDITOR_OUTLINE_H
#define TOOLS_OBSTACLE_EDITOR_OUTLINE_H

#include "orvex.h"

#include <string>

std::string FormatObstacleOutline(const char *bitmap_name, float hit_points, const vec2_t *vertices,
                                  int num_vertices);

#endif
