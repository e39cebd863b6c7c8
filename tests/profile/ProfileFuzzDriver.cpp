// Stand-alone driver for the profile fuzz target where libFuzzer is not available:
//   profile_fuzz <corpus folder> [mutations] [seed] [max seconds]
// Runs every corpus file (in name order), then the given number of random mutations of them
// drawn from the seed. The same arguments run the same inputs on any machine, so a failure
// under CTest is a fault, not bad luck; pass another seed (or more mutations) to search further
// by hand. The time bound is only a safety cap for very slow builds: reaching it ends the run
// early and says so. A crash or an abort is the failure; the input that caused it is written to
// profile_fuzz_crash.bin first.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/profile/JsonFileStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string g_current;

void SaveCurrent(int sig) {
    std::ofstream out("profile_fuzz_crash.bin", std::ios::binary);
    out << g_current;
    out.close();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void Run(const std::string& input) {
    g_current = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

// Fragments that steer mutations towards the shapes the readers care about.
const char* const kTokens[] = {
    "{",
    "}",
    "[",
    "]",
    ",",
    ":",
    "\"",
    "null",
    "true",
    "false",
    "0",
    "-1",
    "300",
    "70000",
    "4294967296",
    "1e400",
    "-9223372036854775809",
    "1.5",
    "\"Device\"",
    "\"LightInfo\"",
    "\"KeyList\"",
    "\"DPIStages\"",
    "\"StageDPIs\"",
    "\"LightList\"",
    "\"EQHzValueInfo\"",
    "\"CustomLightMode\"",
    "\"LightColorInfo\"",
    "\"CustomEQNameInfo\"",
    "\"Guid\"",
    "\"../x\"",
    "\"/etc/passwd\"",
    "\"\\ud800\"",
    "\xEF\xBB\xBF",
    "\r\n",
    "//c\n",
    "/*",
    "\\u00e9",
};

std::string Mutate(std::string s, const std::vector<std::string>& corpus, std::mt19937& rng) {
    const int rounds = 1 + static_cast<int>(rng() % 4);
    for (int r = 0; r < rounds; ++r) {
        const size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 6) {
            case 0:
                if (!s.empty())
                    s[pos % s.size()] ^= static_cast<char>(1u << (rng() % 8));
                break;
            case 1:
                s.insert(pos, 1, static_cast<char>(rng() % 256));
                break;
            case 2:
                if (!s.empty())
                    s.erase(pos % s.size(), 1 + rng() % 8);
                break;
            case 3:
                s.insert(pos, kTokens[rng() % std::size(kTokens)]);
                break;
            case 4: {
                const std::string& other = corpus[rng() % corpus.size()];
                if (!other.empty()) {
                    const size_t from = rng() % other.size();
                    s.insert(pos, other.substr(from, 1 + rng() % 64));
                }
                break;
            }
            default:
                if (s.size() > 2)
                    s.resize(rng() % s.size());
                break;
        }
    }
    if (s.size() > 64 * 1024)
        s.resize(64 * 1024);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder> [mutations] [seed] [max seconds]\n",
                     argv[0]);
        return 2;
    }
    const long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 10000;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1;
    const double maxSeconds = argc > 4 ? std::atof(argv[4]) : 60.0;
    // Thousands of small writes per second; waiting for the disk each time would only slow the
    // search down.
    q840::profile::JsonFileStore::SetSyncToDisk(false);
    std::signal(SIGSEGV, SaveCurrent);
    std::signal(SIGABRT, SaveCurrent);
    std::signal(SIGFPE, SaveCurrent);
    std::signal(SIGBUS, SaveCurrent);

    // Name order: the order a folder lists its files in differs between file systems.
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> corpus;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "empty corpus in %s\n", argv[1]);
        return 2;
    }
    // Said before the run, so that the seed is in the output of a run that aborts.
    std::printf("profile_fuzz: %zu corpus files, then %ld mutations with seed %u\n", corpus.size(),
                mutations, seed);
    std::fflush(stdout);
    for (const std::string& input : corpus) {
        Run(input);
    }
    std::mt19937 rng(seed);
    const auto start = std::chrono::steady_clock::now();
    const auto cap = start + std::chrono::duration<double>(maxSeconds);
    long done = 0;
    for (; done < mutations; ++done) {
        if (done % 256 == 0 && std::chrono::steady_clock::now() > cap) {
            break;
        }
        Run(Mutate(corpus[rng() % corpus.size()], corpus, rng));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (done < mutations) {
        std::printf("profile_fuzz: time cap of %.0f s reached after %ld of %ld mutations\n",
                    maxSeconds, done, mutations);
    }
    std::printf(
        "profile_fuzz: %zu corpus files and %ld mutations (seed %u) in %.1f s, no failure\n",
        corpus.size(), done, seed, seconds);
    return 0;
}
