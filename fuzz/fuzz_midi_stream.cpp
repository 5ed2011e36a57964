// A MIDI byte stream as a host delivers it: any messages, at any offsets (also outside the
// block), between blocks of any size, into any factory preset. The output stays finite and
// within full scale, and the instrument takes every message without growing its queue.
//
// Input layout: byte 0 picks the preset, byte 1 the block size; then records of five bytes:
// offset (signed, scaled), status, data 1, data 2, and a flag byte whose low bit ends the
// block after the message. A stream plays at most 64 blocks and 4096 samples, its two-block tail
// included (two blocks of 4096 when that is the size).
#include "FuzzKit.h"

#include <algorithm>

namespace {

constexpr int kBlockSizes[] = {1, 2, 3, 7, 16, 64, 100, 256, 333, 512, 1024, 4096};
constexpr int kMaxBlocks = 64;
constexpr int kMaxSamples = 4096;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    Karvelund& plug = kvfuzz::Instrument();
    plug.RestorePreset(data[0] % plug.NPresets());
    const int blockSize = kBlockSizes[data[1] % std::size(kBlockSizes)];
    static double left[4096], right[4096];
    double* outputs[2] = {left, right};
    int blocks = 0;
    const int maxBlocks = std::clamp(kMaxSamples / blockSize - 2, 0, kMaxBlocks);
    for (size_t pos = 2; pos + 5 <= size; pos += 5) {
        const int offset = static_cast<int8_t>(data[pos]) * blockSize / 64;
        plug.SendMidiToPlug(IMidiMsg(offset, data[pos + 1], data[pos + 2], data[pos + 3]));
        if (data[pos + 4] & 1) {
            if (blocks == maxBlocks) break; // what is queued plays in the tail
            plug.Render(outputs, blockSize);
            kvfuzz::RequireSaneBlock(left, blockSize, "a MIDI stream");
            ++blocks;
        }
    }
    for (int tail = 0; tail < 2; ++tail) {
        plug.Render(outputs, blockSize);
        kvfuzz::RequireSaneBlock(left, blockSize, "a MIDI stream");
    }
    kvfuzz::Restart();
    return 0;
}
