#include "tests/audio/ForkedFuzzer.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

namespace lumetra::test {

namespace {

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutBigEndian(Bytes& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Offsets near the start matter most: that is where the ID3v2 tag and the first frames are.
size_t HeadOffset(std::mt19937& random, const Bytes& bytes) {
    const size_t span = std::min<size_t>(bytes.size(), 1024);
    return span == 0 ? 0 : random() % span;
}

}  // namespace

Bytes MutatedCase(const std::vector<Bytes>& seeds, uint64_t index, uint32_t seed) {
    std::mt19937 random(static_cast<uint32_t>(seed * 2654435761u + index));
    Bytes bytes = seeds[index % seeds.size()];
    if (bytes.empty()) return bytes;
    switch ((index / seeds.size()) % 9) {
        case 0:  // a few flipped bytes in the tag area
            for (int n = 1 + random() % 16; n > 0; --n) bytes[HeadOffset(random, bytes)] = random();
            break;
        case 1:  // cut short anywhere
            bytes.resize(random() % bytes.size());
            break;
        case 2:  // the ID3v2 tag size, including bytes a valid size never holds
            for (size_t i = 6; i < 10 && i < bytes.size(); ++i) bytes[i] = random();
            break;
        case 3:  // version, revision and flags of the tag header
            for (size_t i = 3; i < 6 && i < bytes.size(); ++i) bytes[i] = random();
            break;
        case 4:  // a frame size somewhere in the tag, often huge
            PutBigEndian(bytes, HeadOffset(random, bytes), random() % 2 ? random() : random() % 0x1000);
            break;
        case 5: {  // a block of zero bytes
            const size_t at = HeadOffset(random, bytes);
            std::fill_n(bytes.begin() + at, std::min<size_t>(random() % 256, bytes.size() - at), 0);
            break;
        }
        case 6: {  // a garbled ID3v1 tag at the end
            Bytes tail(128);
            for (uint8_t& b : tail) b = random();
            std::copy_n("TAG", 3, tail.begin());
            bytes.insert(bytes.end(), tail.begin(), tail.end());
            break;
        }
        case 7: {  // random bytes inserted
            Bytes noise(random() % 64);
            for (uint8_t& b : noise) b = random();
            bytes.insert(bytes.begin() + HeadOffset(random, bytes), noise.begin(), noise.end());
            break;
        }
        case 8:  // false frame syncs in the audio
            for (int n = 1 + random() % 8; n > 0; --n) {
                const size_t at = random() % bytes.size();
                bytes[at] = 0xFF;
                if (at + 1 < bytes.size()) bytes[at + 1] = 0xE0 | (random() & 0x1F);
            }
            break;
    }
    return bytes;
}

std::vector<FuzzFinding> FuzzInChildren(const std::vector<Bytes>& seeds, const FuzzOptions& options,
                                        const std::function<void(const std::string& path)>& read) {
    // The child reports the case it is on through a shared page, so a crash or hang is pinned down.
    void* page = mmap(nullptr, sizeof(std::atomic<uint64_t>), PROT_READ | PROT_WRITE,
                      MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) throw std::runtime_error("mmap failed");
    auto* current = new (page) std::atomic<uint64_t>(0);
    const std::string casePath = options.workDir + "/case.mp3";
    std::vector<FuzzFinding> findings;

    uint64_t start = 0;
    while (start < options.cases) {
        current->store(start);
        const pid_t child = fork();
        if (child < 0) throw std::runtime_error("fork failed");
        if (child == 0) {
            // The child never returns into the caller: it ends here whatever happens.
            try {
                for (uint64_t i = start; i < options.cases; ++i) {
                    current->store(i);
                    WriteFile(casePath, MutatedCase(seeds, i, options.seed));
                    read(casePath);
                }
            } catch (...) {
                _exit(3);
            }
            current->store(options.cases);
            _exit(0);
        }

        uint64_t seen = start;
        auto lastProgress = std::chrono::steady_clock::now();
        int status = 0;
        bool hung = false;
        while (waitpid(child, &status, WNOHANG) == 0) {
            const uint64_t now = current->load();
            if (now != seen) {
                seen = now;
                lastProgress = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - lastProgress > options.stallLimit) {
                kill(child, SIGKILL);  // our own child, stuck on one case
                waitpid(child, &status, 0);
                hung = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const uint64_t at = current->load();
        if (!hung && WIFEXITED(status) && WEXITSTATUS(status) == 0) break;

        FuzzFinding finding{at, hung ? "hang" : "crash",
                            options.workDir + "/finding-" + std::to_string(at) + ".mp3"};
        if (!hung && WIFSIGNALED(status))
            finding.what += " (signal " + std::to_string(WTERMSIG(status)) + ")";
        if (!hung && WIFEXITED(status)) finding.what += " (exit " + std::to_string(WEXITSTATUS(status)) + ")";
        WriteFile(finding.saved, MutatedCase(seeds, at, options.seed));
        findings.push_back(finding);
        start = at + 1;
    }
    munmap(page, sizeof(std::atomic<uint64_t>));
    return findings;
}

}  // namespace lumetra::test
