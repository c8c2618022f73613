// Parse time of representative VAST documents: documents per second and MB/s.
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include "support/VastDocuments.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using solen::VastXMLParser;
using solen::test::VastDocuments;

void parseDocuments(benchmark::State& state, const std::vector<std::string>& documents) {
    std::int64_t bytes = 0;
    for (const auto& doc : documents) {
        bytes += static_cast<std::int64_t>(doc.size());
    }
    for (auto _ : state) {
        for (const auto& doc : documents) {
            auto result = VastXMLParser::create()->parse(doc);
            if (!result.ok()) {
                state.SkipWithError("document failed to parse");
                return;
            }
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(documents.size()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_VastParse_Vast4Inline(benchmark::State& state) { parseDocuments(state, {VastDocuments::vast4Inline()}); }
void BM_VastParse_Vast4Wrapper(benchmark::State& state) { parseDocuments(state, {VastDocuments::vast4Wrapper()}); }
void BM_VastParse_Vast3Pod(benchmark::State& state) { parseDocuments(state, {VastDocuments::vast3Pod()}); }
void BM_VastParse_Vast2Inline(benchmark::State& state) { parseDocuments(state, {VastDocuments::vast2Inline()}); }
void BM_VastParse_AllDocuments(benchmark::State& state) {
    parseDocuments(state, {VastDocuments::vast2Inline(), VastDocuments::vast3Pod(), VastDocuments::vast4Inline(),
                           VastDocuments::vast4Wrapper()});
}

BENCHMARK(BM_VastParse_Vast4Inline);
BENCHMARK(BM_VastParse_Vast4Wrapper);
BENCHMARK(BM_VastParse_Vast3Pod);
BENCHMARK(BM_VastParse_Vast2Inline);
BENCHMARK(BM_VastParse_AllDocuments);

}  // namespace

BENCHMARK_MAIN();
