// Bitmap fonts: ranges, cell geometry, glyph rectangles, line measures, string quads, users, and a drawn
// string read back from the frame.
#include "GLBitmapFont.h"
#include "GLState.h"
#include "ShapeRenderSupport.h"
#include "GLWin32Context.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace engine3d;

namespace {

class CountingUser : public TGLUpdateAbleComponent {
public:
    explicit CountingUser(std::vector<CountingUser*>* order = nullptr) : order_(order) {}
    void NotifyChange(TObject*) override {
        ++notices;
        if (order_) order_->push_back(this);
    }
    int notices = 0;

private:
    std::vector<CountingUser*>* order_;
};

// A sheet of width x height, 24-bit, cell g filled with grey level fill(g).
void fillSheet(TGLBitmapFont& font, int width, int height) {
    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(width, height);
    font.SetGlyphs(&sheet);
}

void addRange(TGLBitmapFont& font, char start, char stop, int glyph) {
    TBitmapFontRange* range = font.Ranges().Add();
    range->SetStopASCII(uint8_t(stop));
    range->SetStartASCII(uint8_t(start));
    range->SetStartGlyphIdx(glyph);
}

} // namespace

TEST(BitmapFontRange, DisplayNameAndPulledLimits) {
    TBitmapFontRanges ranges;
    TBitmapFontRange* range = ranges.Add();
    range->SetStopASCII('Z');
    range->SetStartASCII('A');
    range->SetStartGlyphIdx(33);
    EXPECT_EQ(range->DisplayName(), "ASCII [#65, #90] -> Glyphs [33, 58]");
    range->SetStopASCII('0');
    EXPECT_EQ(range->StartASCII(), '0');
    range->SetStartASCII('a');
    EXPECT_EQ(range->StopASCII(), 'a');
    range->SetStartGlyphIdx(-4);
    EXPECT_EQ(range->StartGlyphIdx(), 0);
}

TEST(BitmapFont, SettersClampAndTellTheUsersLastFirst) {
    TGLBitmapFont font;
    std::vector<CountingUser*> order;
    CountingUser first(&order), second(&order);
    font.RegisterUser(&first);
    font.RegisterUser(&second);
    EXPECT_THROW(font.RegisterUser(&first), EAssertionFailed);

    font.SetCharWidth(0);
    EXPECT_EQ(font.CharWidth(), 1);
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0], &second);
    EXPECT_EQ(order[1], &first);
    font.SetCharWidth(1); // equal value: nothing
    EXPECT_EQ(first.notices, 1);
    font.SetHSpace(-3);
    EXPECT_EQ(font.HSpace(), 0);
    font.SetGlyphsIntervalX(-1);
    EXPECT_EQ(font.GlyphsIntervalX(), 0);
    font.SetMinFilter(miNearest);
    font.SetMinFilter(miNearest);
    EXPECT_EQ(first.notices, 4);
    font.UnRegisterUser(&first);
    font.SetVSpace(2);
    EXPECT_EQ(first.notices, 4);
    EXPECT_EQ(second.notices, 5);
    font.UnRegisterUser(&second);
}

TEST(BitmapFont, CellGeometryAndGlyphRectangles) {
    TGLBitmapFont font;
    fillSheet(font, 256, 128);
    EXPECT_EQ(font.CellsPerRow(), 16);
    EXPECT_EQ(font.CellOrigin(17), (std::array<int, 2>{16, 16}));
    font.SetGlyphsIntervalX(2);
    font.SetGlyphsIntervalY(3);
    EXPECT_EQ(font.CellsPerRow(), 14); // (256 + 2) / 18
    EXPECT_EQ(font.CellOrigin(15), (std::array<int, 2>{18, 19}));
    font.SetGlyphsIntervalX(0);
    font.SetGlyphsIntervalY(0);

    addRange(font, 'A', 'Z', 17);
    addRange(font, 'B', 'B', 0); // a later range wins
    const TGlyphRect& a = font.GlyphRect('A');
    EXPECT_FLOAT_EQ(a.s0, 16.05f / 256);
    EXPECT_FLOAT_EQ(a.t0, (128 - 16.05f) / 128);
    EXPECT_FLOAT_EQ(a.s1, (16 + 16 - 0.05f) / 256);
    EXPECT_FLOAT_EQ(a.t1, (128 - (16 + 16 - 0.05f)) / 128);
    EXPECT_FLOAT_EQ(font.GlyphRect('B').s0, 0.05f / 256);
    EXPECT_FLOAT_EQ(font.GlyphRect('a').s1, 0);

    // A sheet narrower than one cell has no cells and no glyphs.
    fillSheet(font, 8, 8);
    EXPECT_EQ(font.CellsPerRow(), 0);
    EXPECT_FLOAT_EQ(font.GlyphRect('A').s1, 0);
}

TEST(BitmapFont, MeasuresAndStringQuads) {
    TGLBitmapFont font;
    fillSheet(font, 256, 128);
    addRange(font, ' ', '~', 0);
    font.SetCharWidth(10);
    font.SetCharHeight(12);
    font.SetHSpace(2);
    font.SetVSpace(3);
    std::string text = "AB\r\nC";
    EXPECT_EQ(font.LineWidth(text, 0), 22);
    // The measure counts every character up to the carriage return, the line feed included.
    EXPECT_EQ(font.LineWidth(text, 3), 22);
    EXPECT_EQ(font.AlignmentOffset("ABC", 0, taRightJustify), -34);
    EXPECT_EQ(font.AlignmentOffset("ABC", 0, taCenter), -17);
    EXPECT_EQ(font.LayoutOffset(text, tlBottom), 2 * (12 + 3) - 3);
    EXPECT_EQ(font.LayoutOffset(text, tlCenter), 14); // 27 / 2 rounded

    TGLPrimitive quads = font.BuildStringQuads(text, taLeftJustify, tlBottom);
    ASSERT_EQ(quads.Vertices.size(), 12u); // the line feed draws nothing
    EXPECT_FLOAT_EQ(quads.Vertices[0].Position[1], 27);
    EXPECT_FLOAT_EQ(quads.Vertices[1].Position[1], 15);
    EXPECT_FLOAT_EQ(quads.Vertices[4].Position[0], 12);
    EXPECT_FLOAT_EQ(quads.Vertices[2].Position[0], 10);
    // Second line: back to the left, one line step down.
    EXPECT_FLOAT_EQ(quads.Vertices[8].Position[0], 0);
    EXPECT_FLOAT_EQ(quads.Vertices[8].Position[1], 12);
    EXPECT_FLOAT_EQ(quads.Vertices[0].TexCoord[0], font.GlyphRect('A').s0);

    TVector at = {100, 50, 0, 1};
    quads = font.BuildStringQuads("A B", taLeftJustify, tlTop, &at, true);
    ASSERT_EQ(quads.Vertices.size(), 8u);
    EXPECT_FLOAT_EQ(quads.Vertices[1].Position[1], 62); // reversed y: the glyph bottom lies above
    EXPECT_FLOAT_EQ(quads.Vertices[4].Position[0], 100 + 12 + 12);
}

TEST(BitmapFont, DrawnGlyphsShowTheirCells) {
    REQUIRE_MEMORY_CONTEXT(context, 64, 64);
    context->ContextActivate();
    {
        // Cell 0 white (the top-left colour, so transparent), cell 1 black; 12 rows, so the texture holds
        // black padding below the sheet.
        TGLBitmapFont font;
        font.SetGlyphs(
            engine3d_test::pictureOf(32, 12, [](int x, int) {
                return x < 16 ? engine3d_test::Rgba{255, 255, 255, 255} : engine3d_test::Rgba{0, 0, 0, 255};
            }).get());
        addRange(font, 'A', 'B', 0);

        glViewport(0, 0, 64, 64);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 64, 0, 64, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        TVector white = {1, 1, 1, 1};
        TVector atB = {8, 40, 0, 1}, atA = {40, 40, 0, 1};
        // A texture the state cache has bound before the text must be bound again when asked for after it.
        GLuint other = 0;
        glGenTextures(1, &other);
        TGLStateCache cache;
        TRenderContextInfo rci;
        rci.StateCache = &cache;
        cache.StateCacheBindTexture(0, GL_TEXTURE_2D, other);
        font.RenderString(rci, "B", taLeftJustify, tlTop, white, &atB);
        font.RenderString(rci, "A", taLeftJustify, tlTop, white, &atA);
        cache.StateCacheBindTexture(0, GL_TEXTURE_2D, other);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(GLuint(bound), other);
        glDeleteTextures(1, &other);
        glFinish();
        engine3d_test::expectColour(engine3d_test::readPixel(16, 32), 0, 0, 0, "black glyph B", 50);
        engine3d_test::expectColour(engine3d_test::readPixel(48, 32), 0, 0, 255,
                                    "glyph A is transparent: the background shows", 50);
        EXPECT_LT(engine3d_test::readPixel(16, 10).r, 50) << "below the glyph";
        EXPECT_NE(font.TextureHandle(), 0u);
        font.DestroyHandle();
    }
    context->ContextDeactivate();
}
