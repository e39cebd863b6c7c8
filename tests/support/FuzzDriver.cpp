// Stand-alone driver for the fuzz targets where libFuzzer is not available:
//   <target> <corpus folder> [mutations] [seed] [max seconds] [dictionary]
// Runs every corpus file (in name order), then the given number of random mutations of them
// drawn from the seed. The same arguments run the same inputs on any machine, so a failure
// under CTest is a fault, not bad luck; pass another seed (or more mutations) to search further
// by hand. The time bound is only a safety cap for very slow builds: reaching it ends the run
// early and says so. A crash or an abort is the failure; the input that caused it is written to
// <target>_crash.bin in the current folder first.
//
// The dictionary is a libFuzzer dictionary (one "quoted token" a line, \xNN escapes); mutations
// insert its tokens, which steers them towards the shapes the target's parsers care about.
// A target that defines LLVMFuzzerInitialize gets it called once before the first input, as
// libFuzzer does.

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
#include "core/base/HexDigit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::string g_current;
std::string g_crashFile = "fuzz_crash.bin";

void SaveCurrent(int sig) {
    std::ofstream out(g_crashFile, std::ios::binary);
    out << g_current;
    out.close();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

void Run(const std::string& input) {
    g_current = input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

// The quoted token of each line; comments (#) and blank lines are skipped, a "name=" before the
// quote is ignored.
std::vector<std::string> ReadDictionary(const char* path) {
    std::vector<std::string> tokens;
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "cannot read dictionary %s\n", path);
        std::exit(2);
    }
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find_first_not_of(" \t");
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (first == std::string::npos || line[first] == '#' || open == std::string::npos ||
            close <= open) {
            continue;
        }
        std::string token;
        for (size_t i = open + 1; i < close; ++i) {
            if (line[i] != '\\' || i + 1 >= close) {
                token += line[i];
                continue;
            }
            ++i;
            if (line[i] == 'x' && i + 2 < close && q840::HexDigitValue(line[i + 1]) >= 0 &&
                q840::HexDigitValue(line[i + 2]) >= 0) {
                token += static_cast<char>(q840::HexDigitValue(line[i + 1]) * 16 + q840::HexDigitValue(line[i + 2]));
                i += 2;
            } else {
                token += line[i];
            }
        }
        if (!token.empty()) {
            tokens.push_back(token);
        }
    }
    return tokens;
}

const uint8_t kInteresting[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0xFE, 0xFF, 0x40, 0x3F, 0x41};

std::string Mutate(std::string s, const std::vector<std::string>& corpus,
                   const std::vector<std::string>& tokens, std::mt19937& rng) {
    const int rounds = 1 + static_cast<int>(rng() % 4);
    for (int r = 0; r < rounds; ++r) {
        const size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (rng() % 8) {
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
                if (!tokens.empty())
                    s.insert(pos, tokens[rng() % tokens.size()]);
                break;
            case 4: {
                const std::string& other = corpus[rng() % corpus.size()];
                if (!other.empty()) {
                    const size_t from = rng() % other.size();
                    s.insert(pos, other.substr(from, 1 + rng() % 64));
                }
                break;
            }
            case 5:
                if (!s.empty())
                    s[pos % s.size()] =
                        static_cast<char>(kInteresting[rng() % std::size(kInteresting)]);
                break;
            case 6:
                if (!s.empty()) {
                    const size_t from = rng() % s.size();
                    s.insert(pos, s.substr(from, 1 + rng() % 32));
                }
                break;
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
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: %s <corpus folder> [mutations] [seed] [max seconds] [dictionary]\n",
                     argv[0]);
        return 2;
    }
    g_crashFile = name + "_crash.bin";
    const long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 10000;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1;
    const double maxSeconds = argc > 4 ? std::atof(argv[4]) : 60.0;
    const std::vector<std::string> tokens =
        argc > 5 ? ReadDictionary(argv[5]) : std::vector<std::string>{};
    if (LLVMFuzzerInitialize) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
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
    std::printf("%s: %zu corpus files, then %ld mutations with seed %u\n", name.c_str(),
                corpus.size(), mutations, seed);
    std::fflush(stdout);
    for (const std::string& input : corpus) {
        Run(input);
    }
    std::mt19937 rng(seed);
    const auto start = std::chrono::steady_clock::now();
    const auto cap = start + std::chrono::duration<double>(maxSeconds);
    long done = 0;
    for (; done < mutations; ++done) {
        if (done % 64 == 0 && std::chrono::steady_clock::now() > cap) {
            break;
        }
        Run(Mutate(corpus[rng() % corpus.size()], corpus, tokens, rng));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (done < mutations) {
        std::printf("%s: time cap of %.0f s reached after %ld of %ld mutations\n", name.c_str(),
                    maxSeconds, done, mutations);
    }
    std::printf("%s: %zu corpus files and %ld mutations (seed %u) in %.1f s, no failure\n",
                name.c_str(), corpus.size(), done, seed, seconds);
    return 0;
}
