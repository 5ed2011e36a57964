// Fonts of the text layer: lookup by family, sizes and metrics.

#include "text_test_util.h"

#include <thread>
#include <vector>

TEST(CreateFont, EditorFamiliesResolveToInstalledFonts) {
    for (const char* face : {"Monaco", "Arial", "No Such Family 42", ""}) {
        HFONT f = CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, face);
        EXPECT_NE(f, nullptr) << face;
        DeleteObject(f);
    }
}

TEST(CreateFont, PositiveHeightIsTheLineHeightNegativeTheCharacterHeight) {
    for (int h : {2, 10, 14, 33}) {
        TextContext t(8, 8, h);
        TEXTMETRIC tm{};
        ASSERT_TRUE(GetTextMetrics(t.dc, &tm));
        EXPECT_EQ(tm.tmHeight, h);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, h);
        EXPECT_GT(tm.tmAscent, tm.tmDescent);
    }
    TextContext em(8, 8, -20);
    TEXTMETRIC tm{};
    ASSERT_TRUE(GetTextMetrics(em.dc, &tm));
    EXPECT_GT(tm.tmHeight, 20); // ascent and descent exceed the em
    EXPECT_LT(tm.tmHeight, 30);
}

TEST(CreateFont, MonacoIsMonospacedArialIsNot) {
    TextContext mono(8, 8, 16, "Monaco"), sans(8, 8, 16, "Arial");
    EXPECT_EQ(mono.measure("iiii").right, mono.measure("WWWW").right);
    EXPECT_LT(sans.measure("iiii").right, sans.measure("WWWW").right);
}

TEST(CreateFont, BoldIsWiderAndImpossibleSizesFail) {
    TextContext normal(8, 8, 20, "Arial"), bold(8, 8, 20, "Arial", FW_BOLD);
    EXPECT_GT(bold.measure("Karvelund").right, normal.measure("Karvelund").right);
    TextContext italic(8, 8, 20, "Arial", FW_NORMAL, 1);
    EXPECT_GT(italic.measure("Karvelund").right, 0);
    EXPECT_EQ(CreateFont(100000, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), nullptr);
}

TEST(MemContext, ZeroFilledAlignedAndRefusesBadSizes) {
    HDC dc = PLAT_CreateMemContext(nullptr, 7, 3);
    ASSERT_NE(dc, nullptr);
    RAST_pixel* fb = PLAT_GetCtxFrameBuffer(dc);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(fb) % 64, 0u);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(fb[i], 0u);
    PLAT_DeleteGfxContext(dc);
    EXPECT_EQ(PLAT_CreateMemContext(nullptr, 0, 5), nullptr);
    EXPECT_EQ(PLAT_CreateMemContext(nullptr, 1 << 20, 1 << 20), nullptr);
    EXPECT_EQ(PLAT_GetCtxFrameBuffer(nullptr), nullptr);
}

TEST(SharedFonts, SeveralThreadsDrawWithOneFont) {
    HFONT font = CreateFont(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    ASSERT_NE(font, nullptr);
    std::vector<int> widths(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            HDC dc = PLAT_CreateMemContext(nullptr, 120, 20);
            SelectObject(dc, font);
            for (int k = 0; k < 50; ++k) {
                RECT r{0, 0, 120, 20};
                const char text[] = {'a', static_cast<char>('A' + k % 26), 'z', '\xC3', '\xA9', 0};
                DrawText(dc, text, -1, &r, DT_NOPREFIX);
                RECT m{0, 0, 0, 0};
                DrawText(dc, "Karvelund", -1, &m, DT_CALCRECT);
                widths[i] = m.right;
            }
            PLAT_DeleteGfxContext(dc);
        });
    }
    for (auto& t : threads)
        t.join();
    for (int w : widths)
        EXPECT_EQ(w, widths[0]);
    EXPECT_GT(widths[0], 0);
    DeleteObject(font);
}
