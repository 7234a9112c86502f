#pragma once

#include <string>
#include <vector>

namespace bv::bench {

// A child process run to its end: wall time and exit status (-1 when it did not exit normally).
struct RunResult
{
    double seconds = 0;
    int status = -1;
};

// Runs args[0] (looked up in PATH) with the other arguments; stdin and stdout may be redirected to
// files. Each side of a comparison runs as its own process, so both pay the same start-up cost.
RunResult run(const std::vector<std::string>& args, const std::string& stdinFile = {},
              const std::string& stdoutFile = {});

double median(std::vector<double> values);

// The high-water mark of this process's resident memory, in kB (VmHWM): the maximum RSS that wait4
// reports for a child would include the parent's memory from before the exec.
long peakResidentKb();

// main() of a benchmark program whose measured side runs as its own process: "--probe <argument>"
// runs `probe` once, anything else runs the registered benchmarks.
int benchmarkMain(int argc, char** argv, int (*probe)(const std::string& argument));

} // namespace bv::bench
