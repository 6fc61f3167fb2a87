// The top list reader on any bytes: no fault; a refused reply gives no
// entries and a reason; every entry has a name, no negative figures, and is
// in the text copy; the chart lays every entry out inside itself, bars
// never wider than the scale.
#include "host/glance/bar_chart.h"
#include "host/glance/glance_text.h"
#include "host/glance/top_lists.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    glance::TopList list;
    std::string failure;
    const bool read = glance::readTopList(reply, list, failure);
    FUZZ_CHECK(read || (list.entries.empty() && !failure.empty()));
    std::vector<glance::ChartRow> rows;
    for (const glance::TopEntry& entry : list.entries) {
        FUZZ_CHECK(!entry.name.empty() && entry.files >= 0 && entry.mib >= 0);
        FUZZ_CHECK(list.groups ? entry.members >= 0 : entry.speedKiBs >= 0);
        rows.push_back({entry.name, entry.mib, glance::sizeText(entry.mib), glance::speedText(entry.speedKiBs)});
    }
    const std::string text = glance::topListText({}, list);
    for (const glance::TopEntry& entry : list.entries) {
        FUZZ_CHECK(text.find(entry.name) != std::string::npos);
    }
    const glance::ChartFont font{[](std::string_view t) { return static_cast<int>(t.size()) * 6; },
                                 static_cast<int>(size % 40) + 1};
    const int width = 100 + static_cast<int>(size % 900);
    const glance::ChartLayout layout =
        glance::layoutChart(rows, width, font, [](double v) { return glance::sizeText(v); });
    FUZZ_CHECK(layout.bars.size() == rows.size() && layout.labels.size() == rows.size());
    for (const glance::ChartBox& bar : layout.bars) {
        FUZZ_CHECK(bar.left >= 0 && bar.width() >= 0 && bar.right <= layout.width && bar.bottom <= layout.height);
    }
    for (const glance::ChartText& label : layout.labels) {
        FUZZ_CHECK(font.width(label.text) <= label.box.width() || label.text.empty());
    }
    return 0;
}
