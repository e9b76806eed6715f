// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store's costs: one value written to and read from an INI file and a registry hive
// of a realistic size (every write re-reads, rewrites and renames the whole file under a lock).
#include <benchmark/benchmark.h>

#include "platform/IniFile.h"
#include "platform/Registry.h"

#include <filesystem>
#include <stdlib.h>
#include <string>

namespace {

/// A temporary folder for one benchmark.
struct TBenchDir {
    std::string Path;
    TBenchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlant-ws-bench-XXXXXX").string();
        Path = ::mkdtemp(pattern.data());
    }
    ~TBenchDir() { std::filesystem::remove_all(Path); }
};

/// An INI file with `sections` sections of ten values each, like a form with many list controls.
void IniWrite(benchmark::State &state)
{
    TBenchDir dir;
    TIniFile ini(dir.Path + "/App.INI");
    for (int s = 0; s < state.range(0); ++s)
        for (int v = 0; v < 10; ++v)
            ini.WriteString("TForm1_Controls\\list" + std::to_string(s), "item_" + std::to_string(v), "some text");
    int i = 0;
    for (auto _ : state)
        ini.WriteInteger("WindowsRestorer", "TVorlantMainform_Width", ++i);
}
BENCHMARK(IniWrite)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

void IniRead(benchmark::State &state)
{
    TBenchDir dir;
    TIniFile ini(dir.Path + "/App.INI");
    for (int s = 0; s < state.range(0); ++s)
        for (int v = 0; v < 10; ++v)
            ini.WriteString("TForm1_Controls\\list" + std::to_string(s), "item_" + std::to_string(v), "some text");
    ini.WriteString("Options", "Filecount", "35");
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadString("Options", "Filecount", "20"));
}
BENCHMARK(IniRead)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

/// A hive with `keys` keys of ten values each.
void HiveWrite(benchmark::State &state)
{
    TBenchDir dir;
    TRegistryStore reg({dir.Path + "/user", dir.Path + "/machine", dir.Path + "/autostart"});
    for (int k = 0; k < state.range(0); ++k) {
        std::string key = "Software\\Bench\\key" + std::to_string(k);
        reg.CreateKey(HKeyCurrentUser, key);
        for (int v = 0; v < 10; ++v)
            reg.WriteString(HKeyCurrentUser, key, "value" + std::to_string(v), "some text");
    }
    reg.CreateKey(HKeyCurrentUser, "Software\\Bench");
    std::uint32_t i = 0;
    for (auto _ : state)
        reg.WriteDWord(HKeyCurrentUser, "Software\\Bench", "Width", ++i);
}
BENCHMARK(HiveWrite)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

void HiveRead(benchmark::State &state)
{
    TBenchDir dir;
    TRegistryStore reg({dir.Path + "/user", dir.Path + "/machine", dir.Path + "/autostart"});
    for (int k = 0; k < state.range(0); ++k) {
        std::string key = "Software\\Bench\\key" + std::to_string(k);
        reg.CreateKey(HKeyCurrentUser, key);
        for (int v = 0; v < 10; ++v)
            reg.WriteString(HKeyCurrentUser, key, "value" + std::to_string(v), "some text");
    }
    reg.WriteDWord(HKeyCurrentUser, "Software\\Bench", "Width", 640);
    for (auto _ : state)
        benchmark::DoNotOptimize(reg.ReadDWord(HKeyCurrentUser, "Software\\Bench", "Width"));
}
BENCHMARK(HiveRead)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond);

} // namespace
