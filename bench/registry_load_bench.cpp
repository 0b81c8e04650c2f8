// Loading a registry file whose key holds very many values: every start reads the file, and
// the program then reads each value of its code keys by name.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/reg_key.h"
#include "platform/memory/memory_registry_store.h"
#include "platform/memory/reg_text.h"
#include "platform/posix/reg_file_store.h"

namespace ovalink {
namespace {

const char* const kKey = "SOFTWARE\\Quor\\1.5\\Codes1";

// One key of `count` dword values named 0, 1, 2, ...
std::string ManyValues(int count) {
  std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(kKey) + "]\r\n";
  for (int i = 0; i < count; ++i) {
    text += "\"" + std::to_string(i) + "\"=dword:0000" + std::to_string(1000 + i % 9000) + "\r\n";
  }
  return text + "\r\n";
}

void BM_ParseRegText(benchmark::State& state) {
  const std::string text = ManyValues(int(state.range(0)));
  for (auto _ : state) {
    RegistryNode root;
    if (!ParseRegText(text, root, nullptr)) state.SkipWithError("did not parse");
    benchmark::DoNotOptimize(root.children.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseRegText)->Arg(10'000)->Arg(80'000)->Arg(320'000)->Unit(benchmark::kMillisecond);

// The file store's start: read the file, parse it, take the lock.
void BM_RegFileStoreOpen(benchmark::State& state) {
  const std::string path = "/tmp/ovalink-bench-" + std::to_string(::getpid()) + ".reg";
  std::ofstream(path, std::ios::binary) << ManyValues(int(state.range(0)));
  for (auto _ : state) {
    RegFileStore store(path, RegFileStore::Reporting::ToCaller);
    if (!store.Refusal().empty()) state.SkipWithError(store.Refusal().c_str());
    benchmark::DoNotOptimize(store.Path().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::remove(path.c_str());
  std::remove((path + ".lock").c_str());
}
BENCHMARK(BM_RegFileStoreOpen)->Arg(80'000)->Unit(benchmark::kMillisecond);

// What the code store's load does with such a key: list the names, read each one.
void BM_EnumerateAndReadEveryValue(benchmark::State& state) {
  RegistryNode root;
  ParseRegText(ManyValues(int(state.range(0))), root, nullptr);
  MemoryRegistryStore store;
  {
    RegKey key(store, RegRoot::CurrentUser, kKey);
    for (const RegValue& value : root.Descend("HKEY_CURRENT_USER").Descend(kKey).Values()) {
      key.WriteDword(value.name, value.data[0]);
    }
  }
  for (auto _ : state) {
    RegKey key(store, RegRoot::CurrentUser, kKey);
    std::vector<std::string> names;
    key.EnumValueNames(names);
    std::uint64_t sum = 0;
    for (const std::string& name : names) sum += key.ReadDword(name, 0);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EnumerateAndReadEveryValue)->Arg(80'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ovalink
