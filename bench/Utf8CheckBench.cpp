// The UTF-8 check of received texts (markup, tokens, decoded URL parts, escaped JSON strings)
// against reading the same text scalar by scalar with ASCII runs skipped eight bytes at a time,
// the check it replaced: ASCII and mixed texts of 16 bytes to 4 KiB.
#include "Platform/Foundation/CharacterSet.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

using solen::platform::isValidUtf8;
using solen::platform::nextUtf8Scalar;

std::string text(std::int64_t size, bool mixed) {
    std::string result;
    while (static_cast<std::int64_t>(result.size()) < size) {
        result += mixed ? "Gr\xC3\xBC\xC3\x9F" "e, \xE4\xB8\x96\xE7\x95\x8C and text \xF0\x9F\x98\x80 " : "plain ascii text of a tracker url ";
    }
    result.resize(static_cast<std::size_t>(size));
    while (!isValidUtf8(result)) {
        result.pop_back();  // a cut scalar at the end
    }
    return result;
}

bool scalarByScalar(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        while (at + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, sizeof word);
            if ((word & 0x8080808080808080u) != 0) {
                break;
            }
            at += 8;
        }
        if (at < text.size() && !nextUtf8Scalar(text, at)) {
            return false;
        }
    }
    return true;
}

template <bool (*Check)(std::string_view)>
void checkText(benchmark::State& state) {
    const std::string value = text(state.range(0), state.range(1) == 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Check(value));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(value.size()));
}

void BM_IsValidUtf8(benchmark::State& state) { checkText<isValidUtf8>(state); }
void BM_ScalarByScalarBaseline(benchmark::State& state) { checkText<scalarByScalar>(state); }
BENCHMARK(BM_IsValidUtf8)->ArgsProduct({{16, 100, 4096}, {0, 1}})->ArgNames({"bytes", "mixed"});
BENCHMARK(BM_ScalarByScalarBaseline)->ArgsProduct({{16, 100, 4096}, {0, 1}})->ArgNames({"bytes", "mixed"});

}  // namespace

BENCHMARK_MAIN();
