// Feeds mutated copies of seed files to a reader, in child processes, so that a reader that
// crashes or hangs shows up as a finding instead of taking the test down or stalling it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumetra::test {

using Bytes = std::vector<uint8_t>;

// The `index`-th mutation of one of the seeds; the same arguments always give the same bytes.
Bytes MutatedCase(const std::vector<Bytes>& seeds, uint64_t index, uint32_t seed);

struct FuzzFinding {
    uint64_t index;
    std::string what;   // "crash (signal 11)" or "hang"
    std::string saved;  // where the case's bytes were kept
};

struct FuzzOptions {
    uint64_t cases = 1000;
    uint32_t seed = 1;
    std::string workDir;                         // the case file and saved findings go here
    std::chrono::milliseconds stallLimit{3000};  // a case taking longer counts as a hang
};

// Runs `read` on every case (written to a file named "case.mp3" in the work directory) and
// returns what crashed or hung; every other case went through.
std::vector<FuzzFinding> FuzzInChildren(const std::vector<Bytes>& seeds, const FuzzOptions& options,
                                        const std::function<void(const std::string& path)>& read);

}  // namespace lumetra::test
