#pragma once
// A horizontal bar chart laid out in pixels: one row a bar with its name on
// the left, the bar, and its amount and detail beside it; a scale of round
// steps along the top. The painter only draws what the layout says, so the
// chart is as crisp at every display scale as the font it is measured with.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace glance {

struct ChartRow {
    std::string label;   // the name
    double value = 0;    // the amount (same unit for every row; never below 0)
    std::string valueText;
    std::string detail;  // files, speed
};

// Text as the painter's font draws it: its width in pixels, the height of a line.
struct ChartFont {
    std::function<int(std::string_view)> width;
    int lineHeight = 16;
};

struct ChartBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct ChartText {
    ChartBox box;
    std::string text;
    bool rightAligned = false;
};

struct ChartLayout {
    int width = 0, height = 0;
    double scaleMax = 0;       // the value at the scale's right end
    double step = 0;           // between two grid lines
    std::vector<ChartBox> bars;        // one per row; empty width for 0
    std::vector<ChartText> labels;     // one per row, cut to fit ("..." at the cut)
    std::vector<ChartText> amounts;    // one per row, right of its bar
    std::vector<ChartBox> gridLines;   // one pixel wide
    std::vector<ChartText> scaleTexts; // the values of the grid lines
};

// Lays `rows` out `width` pixels wide; the height grows with the rows (one
// text line and a gap each). `scaleText` writes a scale value.
ChartLayout layoutChart(const std::vector<ChartRow>& rows, int width, const ChartFont& font,
                        const std::function<std::string(double)>& scaleText);

// The height layoutChart gives `rows` rows in a font of `lineHeight`.
int chartHeight(std::size_t rows, int lineHeight);

// The scale's round step for values up to `maximum` in at most `steps` steps:
// 1, 2, 2.5 or 5 times a power of ten; 1 for nothing to show.
double roundStep(double maximum, int steps);

// The text cut to `room` pixels, "..." where it was cut; empty when not even that fits.
std::string fitText(const std::string& text, int room, const ChartFont& font);

}  // namespace glance
