// Discovery and the trusted-path update on the in-memory registry, at growing sizes. Discovery
// is compared with its floor, one bare enumeration of the same tree: it walks the tree twice
// (once per value it looks for), so about twice the floor is the goal. Time per key (or per
// profile) staying flat as the tree grows shows the work is linear.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "acad/acad_release_table.h"
#include "bench/registry_tree.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kAcadRoot[] = "SOFTWARE\\Autodesk\\AutoCAD";

double Minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void BM_Discovery(benchmark::State& state) {
  MemoryPlatform machine;
  const size_t keys = SeedReleaseTree(machine.registry, static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    AcadReleaseTable table;
    table.DiscoverReleases(machine.platform());
    benchmark::DoNotOptimize(table.acadFolders[0].size());
  }
  state.counters["keys"] = static_cast<double>(keys);
  // Calls of the Registry interface per key, counted on one more run: the work itself, whatever
  // one call of the in-memory registry costs.
  const size_t before = machine.registry.Calls();
  AcadReleaseTable table;
  table.DiscoverReleases(machine.platform());
  state.counters["calls_per_key"] = static_cast<double>(machine.registry.Calls() - before) / keys;
}

void BM_DiscoveryFloor(benchmark::State& state) {
  MemoryPlatform machine;
  const size_t keys = SeedReleaseTree(machine.registry, static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EnumerateTree(machine.registry, kHkeyLocalMachine, kAcadRoot));
  state.counters["keys"] = static_cast<double>(keys);
  const size_t before = machine.registry.Calls();
  EnumerateTree(machine.registry, kHkeyLocalMachine, kAcadRoot);
  state.counters["calls_per_key"] = static_cast<double>(machine.registry.Calls() - before) / keys;
}

void BM_TrustedPaths(benchmark::State& state) {
  MemoryPlatform machine;
  const size_t profiles = SeedProfiles(machine.registry, static_cast<size_t>(state.range(0)), 8000);
  const std::string installFolder = "C:\\Quilox\\Tessarune";
  // The first run adds the folder; the runs measured read, compare and rewrite every value.
  AcadReleaseTable::AddTrustedPath(machine.platform(), installFolder);
  for (auto _ : state) AcadReleaseTable::AddTrustedPath(machine.platform(), installFolder);
  state.counters["profiles"] = static_cast<double>(profiles);
}

}  // namespace

BENCHMARK(BM_DiscoveryFloor)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Minimum);
BENCHMARK(BM_Discovery)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Minimum);
BENCHMARK(BM_TrustedPaths)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Minimum);

BENCHMARK_MAIN();
