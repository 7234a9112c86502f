// What the guard of one transmission costs: taking the spool directory's lock, writing the send journal
// of a package of 300 invoices before the upload, writing it again as confirmed (on disk), removing it
// and letting the lock go. Against it, in the same run, util-linux "flock -n" on the same lock file
// running "dd conv=fsync" that writes the confirmed journal's bytes once and syncs them. Prints both
// medians and their ratio.

#include "BenchProcess.h"
#include "billing/SendJournal.h"
#include "platform/DirectoryLock.h"
#include "platform/Files.h"
#include "platform/TempDir.h"
#include "platform/Text.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace bv {
namespace {

namespace fs = std::filesystem;
using bench::median;
using bench::run;

// The lock and the journal of one transmission, as the send dialog and the spool take them.
double guardOneTransmission(const fs::path& spool, const std::string& spoolDir, SendJournal journal)
{
    const auto start = std::chrono::steady_clock::now();
    auto lock = DirectoryLock::tryAcquire(spool);
    const bool locked = lock != nullptr;
    journal.state = SendJournal::State::Pending;
    const bool pendingWritten = !journal.write(spoolDir);
    journal.state = SendJournal::State::Confirmed;
    const bool confirmedWritten = !journal.write(spoolDir);
    SendJournal::discard(spoolDir);
    lock.reset();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return locked && pendingWritten && confirmedWritten ? seconds : -1;
}

void BM_SendJournal(benchmark::State& state)
{
    TempDir root("bv-bench-journal-");
    const fs::path spool = root.file("spool");
    fs::create_directories(spool / "Tmp");
    const std::string spoolDir = spool.string() + "/";
    SendJournal journal;
    journal.typeCode = "CA";
    journal.keyText = "7601000000055";
    journal.batchNumber = 42;
    journal.sendTime = "20240315:101112";
    journal.upload = "CHA_7601000000055_20240315_101100.zip";
    for (int i = 0; i < 300; ++i) {
        const std::string name = strFormat("invoice_%05d.xml", i);
        journal.files.push_back({name, {2049, static_cast<std::uint64_t>(100000 + i), 30000, 1700000000123456789}});
    }
    journal.state = SendJournal::State::Confirmed;
    const fs::path journalBytes = root.write("journal.txt", journal.serialize());
    const std::string lockFile = root.file("spool.lock").string();
    const std::string peerTarget = "of=" + (spool / "Tmp" / "peer.journal").string();

    std::vector<double> ours, peer, ratios;
    for (auto _ : state) {
        for (int round = 0; round < 30; ++round) {
            const double mine = guardOneTransmission(spool, spoolDir, journal);
            const auto theirs = run({"flock", "-n", lockFile, "dd", "if=" + journalBytes.string(), peerTarget,
                                     "conv=fsync", "status=none"});
            if (mine < 0 || theirs.status != 0) {
                state.SkipWithError("a round failed");
                return;
            }
            ours.push_back(mine);
            peer.push_back(theirs.seconds);
            ratios.push_back(mine / theirs.seconds);
        }
    }
    state.counters["guard_ms"] = median(ours) * 1000;
    state.counters["flock_dd_ms"] = median(peer) * 1000;
    state.counters["ratio"] = median(ratios);
    std::printf("lock and journal of one transmission (300 invoices, %zu bytes): %.2f ms; flock -n + dd conv=fsync "
                "%.2f ms; ratio %.2f (median of %zu)\n",
                fs::file_size(journalBytes), median(ours) * 1000, median(peer) * 1000, median(ratios), ratios.size());
}

BENCHMARK(BM_SendJournal)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace bv

BENCHMARK_MAIN();
