// Runs a libFuzzer-style target over a fixed number of deterministic mutations, so that CTest exercises
// every fuzz target on any compiler. Usage: <driver> RUNS [CORPUS_DIR]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> loadCorpus(const char* folder) {
    std::vector<Bytes> seeds;
    if (folder == nullptr) return seeds;
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return seeds;
}

void mutate(Bytes& bytes, const std::vector<Bytes>& seeds, std::mt19937_64& random) {
    static constexpr uint8_t kInteresting[] = {0, 1, 0x7f, 0x80, 0xff, '{', '}', '[', ']', '"', ',', ':', '-',
                                               '.', 'e', '9', '0', 'n', 't', 0xc3};
    const int steps = 1 + static_cast<int>(random() % 4);
    for (int step = 0; step < steps; ++step) {
        const size_t size = bytes.size();
        switch (random() % 7) {
            case 0:  // flip a bit
                if (size) bytes[random() % size] ^= static_cast<uint8_t>(1u << (random() % 8));
                break;
            case 1:  // overwrite with an interesting byte
                if (size) bytes[random() % size] = kInteresting[random() % std::size(kInteresting)];
                break;
            case 2:  // insert a byte
                bytes.insert(bytes.begin() + static_cast<long>(size ? random() % (size + 1) : 0),
                             kInteresting[random() % std::size(kInteresting)]);
                break;
            case 3:  // erase a range
                if (size) {
                    const size_t at = random() % size;
                    const size_t count = std::min<size_t>(size - at, 1 + random() % 16);
                    bytes.erase(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + count));
                }
                break;
            case 4:  // truncate
                bytes.resize(size ? random() % (size + 1) : 0);
                break;
            case 5:  // duplicate a range
                if (size) {
                    const size_t at = random() % size;
                    const size_t count = std::min<size_t>(size - at, 1 + random() % 64);
                    Bytes piece(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + count));
                    bytes.insert(bytes.begin() + static_cast<long>(random() % (size + 1)), piece.begin(), piece.end());
                }
                break;
            default:  // splice with another seed
                if (!seeds.empty()) {
                    const Bytes& other = seeds[random() % seeds.size()];
                    const size_t keep = size ? random() % (size + 1) : 0;
                    const size_t from = other.empty() ? 0 : random() % other.size();
                    bytes.resize(keep);
                    bytes.insert(bytes.end(), other.begin() + static_cast<long>(from), other.end());
                }
                break;
        }
    }
    if (bytes.size() > (1u << 20)) bytes.resize(1u << 20);
}

}  // namespace

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::vector<Bytes> seeds = loadCorpus(argc > 2 ? argv[2] : nullptr);
    seeds.emplace_back();
    std::mt19937_64 random(0x5eed);
    for (const Bytes& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
    for (long run = 0; run < runs; ++run) {
        Bytes input = seeds[random() % seeds.size()];
        mutate(input, seeds, random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("fuzz smoke: %ld mutated inputs and %zu seeds ran without a crash\n", runs, seeds.size());
    return 0;
}
