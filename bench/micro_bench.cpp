// SPDX-License-Identifier: MIT
// Micro-benchmarks of the line operations, the last-used-line search, the view, loading and
// saving, in a small and a large grid. Files live in memory, so the figures are the editor's
// own work, not the disk's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "buffer/edit.h"
#include "buffer/grid.h"
#include "files/load.h"
#include "files/save.h"
#include "harness.h"
#include "term/view.h"

namespace brenik {
namespace {

constexpr int kLsize = 256;

// A grid of `lines` lines whose first `filled` hold 60 characters each.
LineGrid Filled(int lines, int filled) {
  LineGrid grid;
  if (!grid.Allocate(lines, kLsize)) {
    std::abort();
  }
  char line[kLsize];
  for (int k = 0; k < filled; ++k) {
    const int length = std::snprintf(line, sizeof line,
                                     "line %08d with some ordinary text after its number...", k);
    grid.SetText(k, {line, static_cast<std::size_t>(length)});
  }
  return grid;
}

std::FILE* Sink() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

// Grid sizes: the default 32,767 lines, and a million, each holding 32,000.
void Sizes(benchmark::internal::Benchmark* b) { b->Arg(32767)->Arg(1000000); }

void BM_DeleteThenWedgeAtTheTop(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 32000);
  for (auto _ : state) {
    Delete(1, grid);
    Wedge(1, grid);
  }
}
BENCHMARK(BM_DeleteThenWedgeAtTheTop)->Apply(Sizes);

void BM_DeleteAtAlternatingEnds(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 32000);
  int n = 0;
  for (auto _ : state) {
    // The gap travels the whole document each time: the worst case of the layout.
    const int line = (n++ % 2 == 0) ? 1 : 31000;
    Delete(line, grid);
    Wedge(line, grid);
  }
}
BENCHMARK(BM_DeleteAtAlternatingEnds)->Apply(Sizes);

void BM_DocLength(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 32000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DocLength(grid));
  }
}
BENCHMARK(BM_DocLength)->Apply(Sizes);

void BM_ReplaceAndInsert(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 32000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(Replace(500, 10, "typed text", grid));
    const InsertFit fit = CheckInsert(600, 5, "xyz", grid);
    if (fit.count > 0) {
      Insert(600, 5, fit.count, "xyz", grid);
    }
    const Fit cut = CheckCut(600, 5, 3, grid);
    if (cut.Taken()) {
      Cut(600, 5, cut.count, grid);
    }
  }
}
BENCHMARK(BM_ReplaceAndInsert)->Apply(Sizes);

void BM_Display(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 32000);
  for (auto _ : state) {
    Display(20000, 4, 7, grid, true, "notes.txt", Sink());
  }
}
BENCHMARK(BM_Display)->Apply(Sizes);

std::string Text(int lines) {
  std::string text;
  for (int k = 0; k < lines; ++k) {
    text += "line " + std::to_string(k) + " of the text, with a few more words after it\n";
  }
  return text;
}

void BM_Load(benchmark::State& state) {
  const std::string text = Text(static_cast<int>(state.range(1)));
  LineGrid grid = Filled(static_cast<int>(state.range(0)), 0);
  testing::TempDir directory;
  testing::FaultyFs fs;
  testing::WriteFile("doc.txt", text);
  Io console;
  console.out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    FileStamp stamp;
    if (Open("doc.txt", grid, console, fs, stamp) != OpenResult::kLoaded) {
      state.SkipWithError("load failed");
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_Load)->Args({32767, 100})->Args({32767, 32000})->Args({1000000, 32000});

void BM_Save(benchmark::State& state) {
  LineGrid grid = Filled(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  testing::TempDir directory;
  testing::FaultyFs fs;
  Io console;
  console.out = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    std::string name = "doc.txt";
    FileStamp stamp;
    if (Save(name, stamp, grid, console, fs) != SaveResult::kSaved) {
      state.SkipWithError("save failed");
    }
  }
}
BENCHMARK(BM_Save)->Args({32767, 100})->Args({32767, 32000})->Args({1000000, 32000});

}  // namespace
}  // namespace brenik

BENCHMARK_MAIN();
