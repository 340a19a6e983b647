// Runs a fuzz target's entry point over saved inputs, so the normal test build replays
// the corpus (small seeds and every crash input found so far) without libFuzzer.
// Arguments are files or directories; a directory contributes every regular file in it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& argument)
{
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(argument)) {
        for (const auto& entry : std::filesystem::directory_iterator(argument))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(argument);
    }
    return inputs;
}

bool Replay(const std::filesystem::path& input)
{
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", input.c_str());
        return false;
    }
    const std::string bytes { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
    // A copy of exactly the input's size, so reading past its end is caught as libFuzzer
    // would catch it.
    const std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::size_t replayed = 0;
    for (int a = 1; a < argc; ++a) {
        const auto inputs = InputsOf(argv[a]);
        if (inputs.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", argv[a]);
            return 1;
        }
        for (const auto& input : inputs) {
            if (!Replay(input))
                return 1;
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
