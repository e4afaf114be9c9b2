// TConfig::Save then Load of n bookmarks into a temporary folder. Goal: under 50 ms for
// 10,000 bookmarks, growing linearly.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "settings/Config.h"

namespace {

void SaveThenLoad(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("kestrine-bench-" + std::to_string(std::random_device{}()));
  std::filesystem::create_directories(dir);
  const UnicodeString file = kestrine::FromUtf8((dir / "Kestrine.ini").string());
  TConfig config;
  for (int i = 0; i < state.range(0); ++i) {
    config.Bookmarks.push_back(std::make_unique<TBookmarkItem>(
        i % 3 ? UnicodeString() : u"売上 " + kestrine::IntToStr(i), u"集計 2010.xlsx",
        u"Sheet" + kestrine::IntToStr(i % 40), i % 16384, i));
  }
  for (auto _ : state) {
    config.Save(file);
    TConfig loaded;
    loaded.Load(file);
    benchmark::DoNotOptimize(loaded.Bookmarks.size());
    if (loaded.Bookmarks.size() != config.Bookmarks.size()) state.SkipWithError("lost bookmarks");
  }
  state.SetComplexityN(state.range(0));
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(SaveThenLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_MAIN();
