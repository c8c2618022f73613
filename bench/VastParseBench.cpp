// Parse time of representative VAST documents: documents per second and MB/s, beside the XML
// tokeniser alone (expat with empty handlers) over the same documents.
#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include "support/VastDocuments.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdint>
#include <string>
#include <time.h>
#include <vector>

namespace {

using solen::VastXMLParser;
using solen::test::VastDocuments;

const std::vector<std::string>& allDocuments() {
    static const std::vector<std::string> documents = {VastDocuments::vast2Inline(), VastDocuments::vast3Pod(),
                                                       VastDocuments::vast4Inline(), VastDocuments::vast4Wrapper()};
    return documents;
}

bool parseWithVastParser(const std::string& doc) {
    auto result = VastXMLParser::create()->parse(doc);
    const bool ok = result.ok();
    benchmark::DoNotOptimize(result);
    return ok;
}

// The tokeniser alone: a parser made, every event delivered to an empty handler, the parser freed.
// The encoding is fixed to UTF-8 as the VAST parser fixes it.
void onStart(void*, const XML_Char*, const XML_Char**) {}
void onEnd(void*, const XML_Char*) {}
void onCharacters(void*, const XML_Char*, int) {}
void onCdata(void*) {}

bool parseWithExpatOnly(const std::string& doc) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (parser == nullptr) {
        return false;
    }
    XML_SetElementHandler(parser, &onStart, &onEnd);
    XML_SetCharacterDataHandler(parser, &onCharacters);
    XML_SetCdataSectionHandler(parser, &onCdata, &onCdata);
    const bool ok = XML_Parse(parser, doc.data(), static_cast<int>(doc.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

template <bool (*Parse)(const std::string&)>
void parseDocuments(benchmark::State& state, const std::vector<std::string>& documents) {
    std::int64_t bytes = 0;
    for (const auto& doc : documents) {
        bytes += static_cast<std::int64_t>(doc.size());
    }
    for (auto _ : state) {
        for (const auto& doc : documents) {
            if (!Parse(doc)) {
                state.SkipWithError("document failed to parse");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(documents.size()));
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_VastParse_Vast4Inline(benchmark::State& state) {
    parseDocuments<parseWithVastParser>(state, {VastDocuments::vast4Inline()});
}
void BM_VastParse_Vast4Wrapper(benchmark::State& state) {
    parseDocuments<parseWithVastParser>(state, {VastDocuments::vast4Wrapper()});
}
void BM_VastParse_Vast3Pod(benchmark::State& state) {
    parseDocuments<parseWithVastParser>(state, {VastDocuments::vast3Pod()});
}
void BM_VastParse_Vast2Inline(benchmark::State& state) {
    parseDocuments<parseWithVastParser>(state, {VastDocuments::vast2Inline()});
}
void BM_VastParse_AllDocuments(benchmark::State& state) { parseDocuments<parseWithVastParser>(state, allDocuments()); }
void BM_ExpatOnly_AllDocuments(benchmark::State& state) { parseDocuments<parseWithExpatOnly>(state, allDocuments()); }

// CPU time of the calling thread: on a busy machine, wall time also counts the time spent waiting.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Both readers over all documents in turn, each iteration, so that both see the same machine load:
// "ratio" is the parser's speed as a share of the tokeniser's (1.0 = as fast as expat alone).
void BM_VastParse_ShareOfExpat(benchmark::State& state) {
    double parserSeconds = 0;
    double expatSeconds = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        for (const auto& doc : allDocuments()) {
            benchmark::DoNotOptimize(parseWithExpatOnly(doc));
        }
        const double t1 = threadSeconds();
        for (const auto& doc : allDocuments()) {
            if (!parseWithVastParser(doc)) {
                state.SkipWithError("document failed to parse");
                return;
            }
        }
        const double t2 = threadSeconds();
        expatSeconds += t1 - t0;
        parserSeconds += t2 - t1;
    }
    const double documents = static_cast<double>(state.iterations() * static_cast<std::int64_t>(allDocuments().size()));
    state.counters["parser_docs/s"] = documents / parserSeconds;
    state.counters["expat_docs/s"] = documents / expatSeconds;
    state.counters["ratio"] = expatSeconds / parserSeconds;
}

BENCHMARK(BM_VastParse_Vast4Inline);
BENCHMARK(BM_VastParse_Vast4Wrapper);
BENCHMARK(BM_VastParse_Vast3Pod);
BENCHMARK(BM_VastParse_Vast2Inline);
BENCHMARK(BM_VastParse_AllDocuments);
BENCHMARK(BM_ExpatOnly_AllDocuments);
BENCHMARK(BM_VastParse_ShareOfExpat);

}  // namespace

BENCHMARK_MAIN();
