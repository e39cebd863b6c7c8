// Stand-alone driver for the profile fuzz target where libFuzzer is not available:
//   profile_fuzz <corpus folder> [seconds] [seed]
// Runs every corpus file, then random mutations of them until the time is up. A crash or an
// abort is the failure; the input that caused it is written to profile_fuzz_crash.bin first.

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

#include "profile/JsonFileStore.h"

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
        std::fprintf(stderr, "usage: %s <corpus folder> [seconds] [seed]\n", argv[0]);
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3.0;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10))
                                   : std::random_device{}();
    // Thousands of small writes per second; waiting for the disk each time would only slow the
    // search down.
    q840::profile::JsonFileStore::SetSyncToDisk(false);
    std::signal(SIGSEGV, SaveCurrent);
    std::signal(SIGABRT, SaveCurrent);
    std::signal(SIGFPE, SaveCurrent);
    std::signal(SIGBUS, SaveCurrent);

    std::vector<std::string> corpus;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
        }
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "empty corpus in %s\n", argv[1]);
        return 2;
    }
    for (const std::string& input : corpus) {
        Run(input);
    }
    std::mt19937 rng(seed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    long runs = static_cast<long>(corpus.size());
    while (std::chrono::steady_clock::now() < end) {
        Run(Mutate(corpus[rng() % corpus.size()], corpus, rng));
        ++runs;
    }
    std::printf("profile_fuzz: %ld inputs, seed %u, no failure\n", runs, seed);
    return 0;
}
