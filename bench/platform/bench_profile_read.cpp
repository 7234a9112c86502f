// How long one profile read takes when the hive file is unchanged: one stat() and a lookup in the
// in-memory copy, no parsing. Target: well under 5 microseconds per read.
#include "config/Profile.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

namespace {

// A user hive of about 200 values in the client's sections, as a long-used installation has.
struct PopulatedProfile
{
    bv::TempRegistry reg;
    bv::Profile profile{reg.registry()};

    PopulatedProfile()
    {
        const char* sections[] = {"General",   "Abrechnungsversand", "RZAnlagen", "Scanner",
                                  "WindowPos", "SVWindowPos",        "PAD",       "Ziffern"};
        std::string text = "Windows Registry Editor Version 5.00\n";
        for (const char* section : sections) {
            text += "\n[" + profile.sectionKey(section) + "]\n";
            for (int i = 0; i < 12; ++i)
                text += bv::strFormat("\"%06d:last_stapel\"=\"%d\"\n\"Wert%d\"=dword:%08x\n", i, i, i, i);
        }
        text += "\"spooldir\"=\"/var/spool/brevalis\"\n";
        reg.writeUserText(text);
    }
};

void BM_ProfileReadString(benchmark::State& state)
{
    PopulatedProfile p;
    if (p.profile.readString("Ziffern", "spooldir") != "/var/spool/brevalis")
        state.SkipWithError("hive not loaded");
    for (auto _ : state)
        benchmark::DoNotOptimize(p.profile.readString("Ziffern", "SpoolDir"));
    state.counters["values"] = 8 * 24 + 1;
}
BENCHMARK(BM_ProfileReadString);

void BM_ProfileReadMissingWithDefault(benchmark::State& state)
{
    PopulatedProfile p;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.profile.readString("General", "AliveTimeout", "60000"));
}
BENCHMARK(BM_ProfileReadMissingWithDefault);

void BM_ProfileReadInt(benchmark::State& state)
{
    PopulatedProfile p;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.profile.readInt("Scanner", "Wert12", 0));
}
BENCHMARK(BM_ProfileReadInt);

} // namespace

BENCHMARK_MAIN();
