// Opening the user-defaults store, as a launch does: reading and decoding a store of about 400 KB
// (4,000 text entries of 100 bytes), alone in its folder and with 1,000 unrelated files beside it,
// which the open lists while it looks for temporary copies an interrupted save left.
#include "Platform/Foundation/UserDefaults.h"

#include "support/ScopedUserDefaults.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using solen::platform::PropertyValue;
using solen::platform::UserDefaults;

void BM_OpenStore(benchmark::State& state) {
    solen::test::ScopedUserDefaults folder;
    const auto path = folder.directory() / "store.json";
    {
        UserDefaults store(path);
        for (int i = 0; i < 4000; ++i) {
            store.set(PropertyValue(std::string(100, static_cast<char>('a' + i % 26))), "key" + std::to_string(i));
        }
        store.synchronize();
    }
    for (int i = 0; i < state.range(0); ++i) {
        std::ofstream(folder.directory() / ("other" + std::to_string(i) + ".json.tmp.AbCdEf")) << "x";
    }
    for (auto _ : state) {
        UserDefaults store(path);
        if (store.snapshot().size() != 4000) {
            state.SkipWithError("the store did not read back");
            break;
        }
    }
}
BENCHMARK(BM_OpenStore)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
