#pragma once
// What every reply parser benchmark shares: a reply held as the host hands it
// over (a ReplyLine list of writable texts), restored to its pristine bytes
// before each parse because the parsers cut fields in place, and the bare
// walk over the same lines that every parser's cost is set against.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/host_channel.h"
#include "tests/bench/restorable_reply.h"

typedef RestorableReply BenchReply;

// The physical limit of any parser here: every line visited and scanned up to
// its end (CR, LF or the NUL), nothing else.
inline std::size_t scanLineEnds(const ReplyLine* lines) {
    std::size_t seen = 0;
    for (; lines != nullptr; lines = lines->next) {
        const char* cursor = lines->text;
        if (cursor == nullptr) {
            continue;
        }
        while (*cursor != '\0' && *cursor != '\r' && *cursor != '\n') {
            ++cursor;
        }
        seen += static_cast<std::size_t>(cursor - lines->text);
        benchmark::DoNotOptimize(cursor);
    }
    return seen;
}

// Restoring the lines and dropping the parse's result stay out of the timing,
// the same for the parser and for the bare walk, so the two rates compare.
template <typename Parse, typename Discard>
void timeParser(benchmark::State& state, BenchReply& reply, Parse parse, Discard discard) {
    for (auto _ : state) {
        state.PauseTiming();
        reply.restore();
        state.ResumeTiming();
        parse(reply.head());
        state.PauseTiming();
        discard();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(reply.bytes()));
    state.counters["lines"] = static_cast<double>(reply.lineCount());
}

inline void timeLineScan(benchmark::State& state, BenchReply& reply) {
    timeParser(
        state, reply,
        [](ReplyLine* lines) {
            std::size_t seen = scanLineEnds(lines);
            benchmark::DoNotOptimize(seen);
        },
        [] {});
}

// Every reply is measured at these line counts.
#define QUORIN_REPLY_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)
