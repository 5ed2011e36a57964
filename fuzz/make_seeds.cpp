// Writes the seed corpora of the instrument's fuzz targets into the folder given: program
// files, the factory bank, saved states and MIDI streams made from the factory bank.
#include "FuzzKit.h"
#include "util/UTIL_File.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool Write(const std::filesystem::path& path, const unsigned char* bytes, size_t size) {
    std::filesystem::create_directories(path.parent_path());
    return UTIL_WriteFileReplacing(path.c_str(), bytes, size);
}

bool Write(const std::filesystem::path& path, const ByteChunk& chunk) {
    return Write(path, chunk.GetBytes(), static_cast<size_t>(chunk.Size()));
}

// Preset, block size, then (offset, status, data 1, data 2, end-of-block flag) records.
std::vector<unsigned char> Stream(unsigned char preset, unsigned char blockSizeIdx) {
    std::vector<unsigned char> bytes = {preset, blockSizeIdx};
    auto add = [&](int offset, int status, int d1, int d2, bool endBlock) {
        bytes.insert(bytes.end(),
                     {static_cast<unsigned char>(offset), static_cast<unsigned char>(status),
                      static_cast<unsigned char>(d1), static_cast<unsigned char>(d2),
                      static_cast<unsigned char>(endBlock)});
    };
    for (int n = 0; n < 10; ++n)
        add(n * 3, 0x90, 40 + n * 4, 100, false);
    add(10, 0xB0, 64, 127, false);
    add(20, 0xE0, 0, 0x7F, true);
    add(5, 0xB0, 1, 90, true);
    for (int n = 0; n < 10; ++n)
        add(n, n % 2 ? 0x80 : 0x90, 40 + n * 4, 0, false);
    add(30, 0xB0, 64, 0, true);
    add(0, 0x90, 60, 127, false);
    add(1, 0x80, 60, 0, false);
    add(2, 0x90, 60, 127, true);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    Karvelund& plug = kvfuzz::Instrument();
    if (!*plug.GetLoadedBankPath()) {
        std::fprintf(stderr, "fuzz_make_seeds: the factory bank was not found\n");
        return 1;
    }
    bool ok = true;
    ByteChunk bank;
    plug.MakeBankFile(&bank);
    ok = Write(root / "bank" / "seeds" / "factory.kvb", bank) && ok;
    for (int preset : {0, 21, 42, 63}) {
        plug.RestorePreset(preset);
        ByteChunk program, state;
        plug.MakeProgramFile(&program);
        plug.SerializeState(&state);
        const std::string name = "preset" + std::to_string(preset);
        ok = Write(root / "program" / "seeds" / (name + ".kvp"), program) && ok;
        ok = Write(root / "state" / "seeds" / (name + ".state"), state) && ok;
        const auto stream =
            Stream(static_cast<unsigned char>(preset), static_cast<unsigned char>(preset % 12));
        ok = Write(root / "midi_stream" / "seeds" / (name + ".stream"), stream.data(),
                   stream.size()) &&
             ok;
    }
    return ok ? 0 : 1;
}
