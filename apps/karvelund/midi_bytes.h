#pragma once
// Big-endian numbers and variable-length quantities as Standard MIDI Files store them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv::cli {

// Reads forward through a byte range and never past its end.
class MidiByteCursor {
public:
    enum class VarLenResult { Ok, Truncated, TooLong };

    explicit MidiByteCursor(std::span<const uint8_t> bytes) : mBytes(bytes) {}

    size_t position() const { return mPos; }
    size_t remaining() const { return mBytes.size() - mPos; }
    bool atEnd() const { return mPos == mBytes.size(); }

    bool readU8(uint8_t& value);
    bool readU16(uint16_t& value);
    bool readU32(uint32_t& value);
    // At most four bytes, the last one with its top bit clear.
    VarLenResult readVarLen(uint32_t& value);
    bool skip(size_t count);
    // The next `count` bytes, or an empty span (and no move) when fewer remain.
    std::span<const uint8_t> take(size_t count);

private:
    std::span<const uint8_t> mBytes;
    size_t mPos = 0;
};

void appendU16(std::vector<uint8_t>& out, uint16_t value);
void appendU32(std::vector<uint8_t>& out, uint32_t value);
// `value` must be below 2^28, the largest number four bytes can hold.
void appendVarLen(std::vector<uint8_t>& out, uint32_t value);

inline constexpr uint32_t kMaxMidiVarLen = 0x0FFFFFFF;

} // namespace kv::cli
