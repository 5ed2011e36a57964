#include "TestPlug.h"

#include <fstream>
#include <iterator>

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> ChunkBytes(const ByteChunk& chunk) {
    const unsigned char* bytes = chunk.GetBytes();
    return std::vector<unsigned char>(bytes, bytes + chunk.Size());
}

ByteChunk ChunkOf(const std::vector<unsigned char>& bytes) {
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    return chunk;
}
