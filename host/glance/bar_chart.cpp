#include "host/glance/bar_chart.h"

#include <algorithm>
#include <cmath>

namespace glance {

double roundStep(double maximum, int steps) {
    if (!(maximum > 0) || steps < 1 || !std::isfinite(maximum)) {
        return 1;
    }
    const double raw = maximum / steps;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

namespace {

// As fitText, the text's whole width known.
std::string fitMeasured(const std::string& text, int width, int room, const ChartFont& font) {
    if (width <= room) {
        return text;
    }
    // The longest start, cut where a UTF-8 character starts, that fits with "...".
    std::size_t low = 0, high = text.size();
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        std::size_t cut = middle;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        if (font.width(text.substr(0, cut) + "...") <= room) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    std::size_t cut = low;
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    if (cut == 0) {
        return font.width("...") <= room ? "..." : "";
    }
    return text.substr(0, cut) + "...";
}

}  // namespace

std::string fitText(const std::string& text, int room, const ChartFont& font) {
    return fitMeasured(text, font.width(text), room, font);
}

int chartHeight(std::size_t rows, int lineHeight) {
    const int line = std::max(lineHeight, 1);
    const int gap = std::max(line / 3, 2);
    const int margin = std::max(line / 2, 4);
    return margin + (line + gap) + static_cast<int>(rows) * (line + gap) + margin;
}

ChartLayout layoutChart(const std::vector<ChartRow>& rows, int width, const ChartFont& font,
                        const std::function<std::string(double)>& scaleText) {
    ChartLayout layout;
    const int line = std::max(font.lineHeight, 1);
    const int gap = std::max(line / 3, 2);
    const int margin = std::max(line / 2, 4);
    layout.width = std::max(width, 8 * line);
    const int rowHeight = line + gap;
    const int scaleHeight = line + gap;
    layout.height = chartHeight(rows.size(), line);

    // Names take what they need, up to a quarter of the width. Each text
    // is measured once.
    int labelWidth = 0;
    double maximum = 0;
    int amountWidth = 0;
    std::vector<int> labelWidths, amountWidths;
    std::vector<std::string> amountTexts;
    labelWidths.reserve(rows.size());
    amountWidths.reserve(rows.size());
    amountTexts.reserve(rows.size());
    for (const ChartRow& row : rows) {
        labelWidths.push_back(font.width(row.label));
        amountTexts.push_back(row.valueText + (row.detail.empty() ? "" : "  " + row.detail));
        amountWidths.push_back(font.width(amountTexts.back()));
        labelWidth = std::max(labelWidth, labelWidths.back());
        amountWidth = std::max(amountWidth, amountWidths.back());
        if (row.value > maximum && std::isfinite(row.value)) {
            maximum = row.value;
        }
    }
    labelWidth = std::min(labelWidth, layout.width / 4);
    // The amounts beside the bars: not quite half the width at most.
    amountWidth = std::min(amountWidth + gap, layout.width * 45 / 100);
    const int barsLeft = margin + labelWidth + gap;
    const int barsRight = std::max(barsLeft + line, layout.width - margin - amountWidth);
    const int barsWidth = barsRight - barsLeft;

    // The scale: round steps, four line heights apart or more (room for
    // their values).
    const int stepsWanted = std::max(2, std::min(10, barsWidth / (4 * line)));
    layout.step = roundStep(maximum, stepsWanted);
    layout.scaleMax = std::max(layout.step, std::ceil(maximum / layout.step - 1e-9) * layout.step);
    const int top = margin + scaleHeight;
    const int bottom = top + static_cast<int>(rows.size()) * rowHeight;
    const int steps = static_cast<int>(std::lround(layout.scaleMax / layout.step));
    for (int i = 0; i <= steps && i <= 100; ++i) {
        const int x = barsLeft + static_cast<int>(std::lround(barsWidth * (i * layout.step / layout.scaleMax)));
        layout.gridLines.push_back({x, top - gap / 2, x + 1, bottom});
        const std::string text = scaleText(i * layout.step);
        const int textWidth = font.width(text);
        // Centred on its line, kept inside the chart.
        int left = x - textWidth / 2;
        left = std::max(0, std::min(left, layout.width - textWidth));
        layout.scaleTexts.push_back({{left, margin, left + textWidth, margin + line}, text, false});
    }

    int y = top;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ChartRow& row = rows[i];
        const double value = std::isfinite(row.value) && row.value > 0 ? row.value : 0;
        const int length = static_cast<int>(std::lround(barsWidth * (value / layout.scaleMax)));
        const int barTop = y + gap / 2;
        layout.bars.push_back({barsLeft, barTop, barsLeft + length, barTop + line});
        layout.labels.push_back({{margin, barTop, margin + labelWidth, barTop + line},
                                 fitMeasured(row.label, labelWidths[i], labelWidth, font), true});
        const int amountLeft = barsLeft + length + gap;
        layout.amounts.push_back({{amountLeft, barTop, layout.width - margin, barTop + line},
                                  fitMeasured(amountTexts[i], amountWidths[i], layout.width - margin - amountLeft,
                                              font),
                                  false});
        y += rowHeight;
    }
    return layout;
}

}  // namespace glance
