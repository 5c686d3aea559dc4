// Runs every file of the given folders (or the given files) once through the
// scenario fuzz target, so that each input the fuzzer ever kept is checked
// again by the normal test run, without libFuzzer. A failed check aborts the
// program; the file being run is named on standard output first.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " CORPUS-FOLDER-OR-FILE...\n";
        return 64;
    }
    std::vector<fs::path> files;
    for (int k = 1; k < argc; ++k) {
        const fs::path arg = argv[k];
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::directory_iterator(arg))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::cerr << arg << ": no such file or folder\n";
            return 1;
        }
    }
    // An empty corpus would make the test pass without checking anything.
    if (files.empty()) {
        std::cerr << "no corpus files found\n";
        return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::cout << file.filename().string() << std::endl;
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::cerr << file << ": cannot be read\n";
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << files.size() << " corpus files passed\n";
    return 0;
}
