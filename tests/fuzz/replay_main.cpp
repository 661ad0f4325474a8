// Replays a corpus through a fuzz target: every file named, and every file in a directory named,
// is given to LLVMFuzzerTestOneInput once, in name order. The normal test run uses it, so the
// seeds and the inputs of faults once found run on every build without libFuzzer.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path &path) {
    if (!std::filesystem::is_directory(path))
        return {path};
    std::vector<std::filesystem::path> inputs;
    for (const auto &entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file())
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

} // namespace

int main(int argc, char **argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const std::filesystem::path &input : InputsOf(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            // A buffer of exactly the input's size, so that a read past it is caught.
            std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(file),
                                           std::istreambuf_iterator<char>()};
            std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), data.size());
            LLVMFuzzerTestOneInput(data.data(), data.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "%zu inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1; // an empty corpus tests nothing
}
