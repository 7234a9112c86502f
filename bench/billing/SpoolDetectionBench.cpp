// Spool-type detection in a directory of 10,000 files: every listed name is matched against the
// patterns in their order and the matching files' creation times are read.

#include "billing/SampleFiles.h"
#include "billing/SpoolDetection.h"
#include "config/Profile.h"
#include "platform/TempDir.h"
#include "platform/TempRegistry.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

namespace bv {
namespace {

// range(0): 0 = 10,000 XML invoices (decided by "*.XML"), 1 = 10,000 other files (decided by "*.*").
void BM_DetermineSpoolType(benchmark::State& state)
{
    TempRegistry registry;
    Profile profile(registry.registry());
    TempDir spool("bv-bench-spool-");
    const bool invoices = state.range(0) == 0;
    const std::string invoice = samples::xmlInvoice(samples::XmlInvoicePlan{});
    for (int i = 0; i < 10000; ++i) {
        if (invoices)
            spool.write(strFormat("invoice_%05d.xml", i), invoice);
        else
            spool.write(strFormat("scan_%05d.tif", i), "II*");
    }
    const int expected = invoices ? spool_type::Cha : spool_type::Unrecognised;
    for (auto _ : state) {
        const int type = DetermineSpoolType(spool.path().string(), profile);
        if (type != expected) {
            state.SkipWithError("unexpected spool type");
            return;
        }
        benchmark::DoNotOptimize(type);
    }
}

BENCHMARK(BM_DetermineSpoolType)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bv

BENCHMARK_MAIN();
