#pragma once
// The bar chart's window: draws the portable layout (host/glance/bar_chart.h)
// with GDI in its parent's font, scrolls when the rows are taller than the
// window, and writes the whole chart as a PNG with the system's encoder.
#include <windows.h>

#include <string>
#include <vector>

#include "host/glance/bar_chart.h"

namespace chart_window {

// A chart window in place of `placeholder` (same id, place and size); the
// placeholder goes. Null when it cannot be made.
HWND replace(HWND placeholder);
// The rows it shows from now on; the scale's values are written with `unit` ("GiB").
void setRows(HWND chart, const std::vector<glance::ChartRow>& rows, const std::string& unit);
// The whole chart (every row, at the window's width) as a PNG file.
bool savePng(HWND chart, const std::string& path, std::string& error);

}  // namespace chart_window
