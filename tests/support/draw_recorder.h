// Where things are drawn, as the engine draws them. While a recorder is on, every quad
// the engine hands to the renderer passes its vertex processor: the quad is taken in
// display pixels (through the top transform), clipped to the scissor rectangle, and its
// visible corners (alpha above 0) are added to the piece of the interface call that
// drew it: a text (the string, the font, the glyph height as drawn, the colours of its
// glyphs), a bitmap (its name), a rectangle, a line or any other quad. Calls nested in
// another (the images inside a text) belong to the outer call's piece.
//
// Typical use:
//   enginetest::DrawRecorder rec;     // on
//   comp->Draw();
//   for (const enginetest::DrawnPiece &p : rec.Take()) ...
//                                     // off when it goes out of scope
#ifndef TESTS_SUPPORT_DRAW_RECORDER_H
#define TESTS_SUPPORT_DRAW_RECORDER_H

#include <array>
#include <string>
#include <vector>

struct ov_font_t;

namespace enginetest {

// An axis-aligned box in display pixels; empty until something is added.
struct Box {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty = true;

    void Add(float x, float y);
    void Add(const Box &b);
    float W() const { return empty ? 0.0f : x1 - x0; }
    float H() const { return empty ? 0.0f : y1 - y0; }
    // The part inside `clip` (empty when they do not meet).
    Box Clipped(const Box &clip) const;
    // How far this box reaches outside `outer` on its worst side (0 when inside).
    float Outside(const Box &outer) const;
    // The overlap's width and height (0, 0 when they do not overlap).
    std::array<float, 2> Overlap(const Box &other) const;
    bool Contains(const Box &inner, float tolerance = 0.0f) const;
    std::string Str() const;
};

struct DrawnPiece {
    enum Kind { TEXT, BITMAP, RECT, LINE, OTHER };
    Kind kind = OTHER;
    std::string label;            // the text drawn, or the bitmap's name
    const ov_font_t *font = nullptr;
    float glyph_height = 0.0f;    // the font's height times the text scale, in display pixels
    Box box;                      // the visible quads, in display pixels
    float max_alpha = 0.0f;       // the most opaque vertex
    // The colours (r, g, b, a in 0..1) of a text's glyphs, each once.
    std::vector<std::array<float, 4>> colours;
};

class DrawRecorder {
public:
    // Turns recording on: the engine's drawing calls are wrapped and a vertex processor
    // pushed. One recorder at a time.
    DrawRecorder();
    // Turns it off and puts the calls back.
    ~DrawRecorder();
    DrawRecorder(const DrawRecorder &) = delete;
    DrawRecorder &operator=(const DrawRecorder &) = delete;

    // The pieces drawn since the last Take (pieces that left nothing visible are dropped).
    std::vector<DrawnPiece> Take();
};

// The union of the pieces' boxes.
Box Union(const std::vector<DrawnPiece> &pieces);

}  // namespace enginetest

#endif
