// PNG loading of every colour type, refusal of damaged files, and writing.

#include "raster/raster_png.h"
#include "raster_test_util.h"

#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct PngLayout {
    int width = 0, height = 0, bitDepth = 8, colorType = PNG_COLOR_TYPE_RGB;
    std::vector<std::vector<unsigned char>> rows;
    std::vector<png_color> palette;
    std::vector<unsigned char> trns;
    bool interlaced = false;
};

// Writes a PNG with libpng directly, independent of the code under test.
bool writeWithLibpng(const std::string& path, const PngLayout& layout) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (const auto& r : layout.rows)
        rows.push_back(const_cast<png_bytep>(r.data()));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty()) {
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    }
    if (!layout.trns.empty()) {
        png_set_tRNS(png, info, layout.trns.data(), static_cast<int>(layout.trns.size()), nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}

class PngTest : public ::testing::Test {
protected:
    std::filesystem::path dir;
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kv_png_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return (dir / name).string(); }

    std::unique_ptr<RAST_IBitmap> load(const PngLayout& layout) {
        const std::string p = path("image.png");
        EXPECT_TRUE(writeWithLibpng(p, layout));
        return std::unique_ptr<RAST_IBitmap>(RAST_LoadPNG(p.c_str()));
    }
};

} // namespace

TEST_F(PngTest, RgbWithoutTransparencyLoadsOpaque) {
    PngLayout s{2, 1, 8, PNG_COLOR_TYPE_RGB, {{10, 20, 30, 40, 50, 60}}, {}, {}, false};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    EXPECT_EQ(bm->getWidth(), 2);
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 0), RAST_RGBA(10, 20, 30, 255));
    EXPECT_EQ(RAST_GetPixel(bm.get(), 1, 0), RAST_RGBA(40, 50, 60, 255));
}

TEST_F(PngTest, RgbaKeepsStraightAlpha) {
    PngLayout s{1,  2,  8,    PNG_COLOR_TYPE_RGB_ALPHA, {{200, 100, 50, 7}, {1, 2, 3, 255}},
                {}, {}, false};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 0), RAST_RGBA(200, 100, 50, 7));
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 1), RAST_RGBA(1, 2, 3, 255));
}

TEST_F(PngTest, PaletteWithTransparencyChunkGetsPaletteAlpha) {
    PngLayout s{3,           1,
                8,           PNG_COLOR_TYPE_PALETTE,
                {{0, 1, 2}}, {{255, 0, 0}, {0, 255, 0}, {0, 0, 200}},
                {0, 128},    false};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 0), RAST_RGBA(255, 0, 0, 0));
    EXPECT_EQ(RAST_GetPixel(bm.get(), 1, 0), RAST_RGBA(0, 255, 0, 128));
    EXPECT_EQ(RAST_GetPixel(bm.get(), 2, 0), RAST_RGBA(0, 0, 200, 255));
}

TEST_F(PngTest, SixteenBitSamplesKeepTheirHighByte) {
    PngLayout s{1,  1,  16,   PNG_COLOR_TYPE_RGB, {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x01}},
                {}, {}, false};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 0), RAST_RGBA(0x12, 0xAB, 0xFF, 255));
}

TEST_F(PngTest, OneBitGreyLoadsAsBlackAndWhite) {
    PngLayout s{10, 1, 1, PNG_COLOR_TYPE_GRAY, {{0xA0, 0x40}}, {}, {}, false};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    const RAST_pixel white = RAST_RGBA(255, 255, 255, 255), black = RAST_RGBA(0, 0, 0, 255);
    const bool expected[10] = {true, false, true, false, false, false, false, false, false, true};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(RAST_GetPixel(bm.get(), x, 0), expected[x] ? white : black) << x;
}

TEST_F(PngTest, GreyAlphaAndInterlacedImagesLoad) {
    PngLayout s{2,  2,  8,   PNG_COLOR_TYPE_GRAY_ALPHA, {{9, 99, 200, 255}, {1, 2, 3, 4}},
                {}, {}, true};
    auto bm = load(s);
    ASSERT_TRUE(bm);
    EXPECT_EQ(RAST_GetPixel(bm.get(), 0, 0), RAST_RGBA(9, 9, 9, 99));
    EXPECT_EQ(RAST_GetPixel(bm.get(), 1, 1), RAST_RGBA(3, 3, 3, 4));
}

TEST_F(PngTest, LoadingIntoAGivenBitmapResizesIt) {
    PngLayout s{3,
                2,
                8,
                PNG_COLOR_TYPE_RGB,
                {{1, 1, 1, 2, 2, 2, 3, 3, 3}, {4, 4, 4, 5, 5, 5, 6, 6, 6}},
                {},
                {},
                false};
    const std::string p = path("into.png");
    ASSERT_TRUE(writeWithLibpng(p, s));
    RAST_MemBitmap bm(50, 50);
    EXPECT_EQ(RAST_LoadPNG(p.c_str(), &bm), &bm);
    EXPECT_EQ(bm.getWidth(), 3);
    EXPECT_EQ(bm.getHeight(), 2);
    EXPECT_EQ(RAST_GetPixel(&bm, 2, 1), RAST_RGBA(6, 6, 6, 255));
    FlippedBitmap flipped;
    ASSERT_EQ(RAST_LoadPNG(p.c_str(), &flipped), &flipped);
    EXPECT_EQ(RAST_GetPixel(&flipped, 0, 0), RAST_RGBA(1, 1, 1, 255));
    EXPECT_EQ(flipped.getBits()[0], RAST_RGBA(4, 4, 4, 255)); // top row stored last
}

TEST_F(PngTest, MissingDamagedAndTruncatedFilesAreRefused) {
    EXPECT_EQ(RAST_LoadPNG(path("missing.png").c_str()), nullptr);
    EXPECT_EQ(RAST_LoadPNG(nullptr), nullptr);
    { std::ofstream(path("text.png")) << "this is not a PNG file at all"; }
    EXPECT_EQ(RAST_LoadPNG(path("text.png").c_str()), nullptr);

    PngLayout s{64, 64, 8, PNG_COLOR_TYPE_RGB, {}, {}, {}, false};
    for (int y = 0; y < 64; ++y) {
        std::vector<unsigned char> row(64 * 3);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>(i * 31 + y * 7);
        s.rows.push_back(row);
    }
    const std::string whole = path("whole.png");
    ASSERT_TRUE(writeWithLibpng(whole, s));
    const auto size = std::filesystem::file_size(whole);
    std::filesystem::copy_file(whole, path("cut.png"));
    std::filesystem::resize_file(path("cut.png"), size / 2);
    EXPECT_EQ(RAST_LoadPNG(path("cut.png").c_str()), nullptr); // the created bitmap is freed

    // A damaged image byte breaks the zlib stream or a CRC.
    std::vector<char> bytes(size);
    std::ifstream(whole, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(size));
    for (std::size_t i = 60; i < 90; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    std::ofstream(path("bad.png"), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(size));
    RAST_MemBitmap given(2, 2);
    EXPECT_EQ(RAST_LoadPNG(path("bad.png").c_str(), &given), nullptr);
}

TEST_F(PngTest, WrittenImagesReadBackIdentically) {
    RAST_MemBitmap bm(7, 5);
    fillPattern(&bm);
    const std::string p = path("out.png");
    ASSERT_TRUE(RAST_WritePNG(p.c_str(), &bm));
    std::unique_ptr<RAST_IBitmap> back(RAST_LoadPNG(p.c_str()));
    ASSERT_TRUE(back);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(RAST_GetPixel(back.get(), x, y), RAST_GetPixel(&bm, x, y));
    }
    RAST_MemBitmap empty;
    EXPECT_FALSE(RAST_WritePNG(path("empty.png").c_str(), &empty));
    EXPECT_FALSE(RAST_WritePNG((dir / "no" / "such" / "dir.png").string().c_str(), &bm));
}

namespace {

void putBigEndian(std::vector<unsigned char>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void putChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out,
                 static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A well-formed header declaring width x height RGBA, followed by an empty image stream.
std::vector<unsigned char> headerOnlyPng(uint32_t width, uint32_t height) {
    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr;
    putBigEndian(ihdr, width);
    putBigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0});
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    putChunk(out, "IEND", {});
    return out;
}

} // namespace

TEST_F(PngTest, ImagesAboveTheSizeLimitAreRefusedBeforeAllocating) {
    const std::string huge = path("huge.png");
    const auto bytes = headerOnlyPng(20000, 20000); // 1.5 GB of pixels from 60 bytes
    std::ofstream(huge, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(RAST_LoadPNG(huge.c_str()), nullptr);
    RAST_MemBitmap given(3, 2);
    EXPECT_EQ(RAST_LoadPNG(huge.c_str(), &given), nullptr);
    EXPECT_EQ(given.getWidth(), 3); // refused before the bitmap was touched
    EXPECT_EQ(given.getHeight(), 2);

    // The limit itself: a side of RAST_kMaxPNGSide loads, one pixel more does not.
    RAST_MemBitmap wide(RAST_kMaxPNGSide, 1);
    fillPattern(&wide);
    ASSERT_TRUE(RAST_WritePNG(path("wide.png").c_str(), &wide));
    std::unique_ptr<RAST_IBitmap> back(RAST_LoadPNG(path("wide.png").c_str()));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getWidth(), RAST_kMaxPNGSide);
    RAST_MemBitmap tall(1, RAST_kMaxPNGSide + 1);
    fillPattern(&tall);
    ASSERT_TRUE(RAST_WritePNG(path("tall.png").c_str(), &tall));
    EXPECT_EQ(RAST_LoadPNG(path("tall.png").c_str()), nullptr);
}

namespace {

// The largest resident size (MB) of a child process that loads path.
long childPeakMegabytesLoading(const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        delete RAST_LoadPNG(path.c_str());
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const long megabytes = usage.ru_maxrss / 1024;
        (void)!::write(fds[1], &megabytes, sizeof(megabytes));
        ::_exit(0);
    }
    ::close(fds[1]);
    long megabytes = -1;
    if (::read(fds[0], &megabytes, sizeof(megabytes)) != sizeof(megabytes)) megabytes = -1;
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return megabytes;
}

} // namespace

// A text chunk declaring a gigabyte (192 bytes of file) is refused without the gigabyte.
TEST_F(PngTest, HugeAncillaryChunksAreRefusedWithoutAllocating) {
    std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> ihdr;
    putBigEndian(ihdr, 16);
    putBigEndian(ihdr, 16);
    ihdr.insert(ihdr.end(), {8, PNG_COLOR_TYPE_RGB_ALPHA, 0, 0, 0});
    putChunk(bytes, "IHDR", ihdr);
    putBigEndian(bytes, 1192036890); // zTXt length, with a few bytes of it present
    bytes.insert(bytes.end(), {'z', 'T', 'X', 't', 'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0});
    const std::string bomb = path("bomb.png");
    std::ofstream(bomb, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(RAST_LoadPNG(bomb.c_str()), nullptr);
    const long peak = childPeakMegabytesLoading(bomb);
    ASSERT_GT(peak, 0);
    EXPECT_LT(peak, 200);
}
