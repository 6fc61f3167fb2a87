// Reading the site's user listing must stay linear in the number of names:
// the time per name should not grow from 1k to 200k names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/site_directory.h"

namespace {

// SITE USER without a name as glftpd sends it: six names a line, each padded
// to 11 characters and followed by a blank, closed by a line of blanks.
std::vector<std::string> userListing(int names) {
    std::vector<std::string> lines = {
        "200-                          -=[ MSN User Listing ]=-                       ",
        "200-                                                                          "};
    std::string line = "200- ";
    for (int i = 0; i < names; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "user%07d", i);
        line += name;
        line.append(12 - std::strlen(name), ' ');
        if (i % 6 == 5 || i + 1 == names) {
            line.resize(77, ' ');
            lines.push_back(line);
            line = "200- ";
        }
    }
    lines.push_back("200-                                                                          ");
    lines.push_back("200-       - Use SITE USER <username> for a more informative listing. -       ");
    lines.push_back("200- ");
    lines.push_back("200 " + std::to_string(names) + " total users on site.");
    return lines;
}

void BM_ParseUserListing(benchmark::State& state) {
    const int names = static_cast<int>(state.range(0));
    const std::vector<std::string> pristine = userListing(names);
    // The parser writes NULs into the lines: restore them before each run.
    std::vector<std::unique_ptr<char[]>> texts;
    std::vector<ReplyLine> nodes(pristine.size());
    for (std::size_t i = 0; i < pristine.size(); ++i) {
        texts.emplace_back(new char[pristine[i].size() + 1]);
        nodes[i].text = texts[i].get();
        nodes[i].next = i + 1 < pristine.size() ? &nodes[i + 1] : nullptr;
    }
    std::size_t parsed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < pristine.size(); ++i) {
            std::memcpy(texts[i].get(), pristine[i].c_str(), pristine[i].size() + 1);
        }
        state.ResumeTiming();
        NameList* userNames = nullptr;
        parseUserListing(nodes.data(), userNames);
        benchmark::DoNotOptimize(userNames);
        state.PauseTiming();
        parsed = countNames(userNames);
        freeNameList(userNames);
        state.ResumeTiming();
    }
    if (parsed != static_cast<std::size_t>(names)) {
        state.SkipWithError("the listing did not yield every name");
    }
    state.SetItemsProcessed(state.iterations() * names);
    state.counters["time_per_name"] = benchmark::Counter(
        static_cast<double>(names),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_ParseUserListing)->Arg(1000)->Arg(10000)->Arg(50000)->Arg(200000)
    ->Unit(benchmark::kMicrosecond);
