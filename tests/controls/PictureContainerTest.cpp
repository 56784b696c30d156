// The mark-up's pictures: loading through the system's picture object, GIF frames, the named
// container and the address cache.
#include <windows.h>

#include "../framework/ImageBytes.h"
#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "PictureContainer.h"
#include "Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

// A GIF89a of `frames` frames over a screen of screenW x screenH, each frame a filled rectangle
// in colour index `colorIndex` of a four-colour table (red, blue, green, white), preceded by a
// graphic control extension. `separatorAfterExtension` false puts a comment between the
// extension and the image, which then is no frame by the loader's rule.
struct GifFrame {
    int left, top, width, height, colorIndex;
};

std::vector<uint8_t> Gif(int screenW, int screenH, const std::vector<GifFrame>& frames,
                         bool separatorAfterExtension = true)
{
    using imagebytes::Put16;
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(out, uint32_t(screenW));
    Put16(out, uint32_t(screenH));
    out.insert(out.end(), {0x91, 0, 0});   // global table of 4 colours
    out.insert(out.end(), {255, 0, 0, 0, 0, 255, 0, 255, 0, 255, 255, 255});
    for (const GifFrame& f : frames) {
        out.insert(out.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0});
        if (!separatorAfterExtension)
            out.insert(out.end(), {0x21, 0xFE, 1, 'x', 0});
        out.push_back(0x2C);
        Put16(out, uint32_t(f.left));
        Put16(out, uint32_t(f.top));
        Put16(out, uint32_t(f.width));
        Put16(out, uint32_t(f.height));
        out.push_back(0);
        // LZW with a minimum code size of 2: a clear code before every second pixel keeps all
        // codes 3 bits wide.
        std::vector<int> codes;
        int pixels = f.width * f.height;
        for (int i = 0; i < pixels; ++i) {
            if (i % 2 == 0)
                codes.push_back(4);
            codes.push_back(f.colorIndex);
        }
        codes.push_back(5);
        std::vector<uint8_t> packed;
        uint32_t bits = 0;
        int count = 0;
        for (int code : codes) {
            bits |= uint32_t(code) << count;
            count += 3;
            while (count >= 8) {
                packed.push_back(uint8_t(bits));
                bits >>= 8;
                count -= 8;
            }
        }
        if (count > 0)
            packed.push_back(uint8_t(bits));
        out.push_back(2);
        for (size_t at = 0; at < packed.size(); at += 255) {
            size_t n = std::min<size_t>(255, packed.size() - at);
            out.push_back(uint8_t(n));
            out.insert(out.end(), packed.begin() + at, packed.begin() + at + n);
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return out;
}

std::vector<uint8_t> BmpBytes(TBitmap& bitmap)
{
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return stream.Data();
}

// A 3 x 2 picture with a different colour in each corner, to see it upright and unmirrored.
std::vector<uint8_t> CornerBmp()
{
    TBitmap bitmap(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap.Canvas().SetPixel(x, y, clWhite);
    bitmap.Canvas().SetPixel(0, 0, clRed);
    bitmap.Canvas().SetPixel(2, 0, clLime);
    bitmap.Canvas().SetPixel(0, 1, clBlue);
    bitmap.Canvas().SetPixel(2, 1, clBlack);
    return BmpBytes(bitmap);
}

void Load(THTMLPicture& picture, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream(bytes);
    picture.LoadFromStream(stream);
}

struct Pixel {
    int x, y;
    TColor color;
};

void ExpectPixels(TBitmap& target, std::initializer_list<Pixel> pixels, const char* what)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(target.PixelColor(p.x, p.y), p.color)
            << what << " at " << p.x << "," << p.y << ": " << Hex(target.PixelColor(p.x, p.y));
}

class PictureTest : public ::testing::Test {
protected:
    // GIF and JPEG decoding goes through the platform's COM imaging components.
    static void SetUpTestSuite() { OleInitialize(nullptr); }
    static void TearDownTestSuite() { OleUninitialize(); }
};

}  // namespace

TEST_F(PictureTest, BitmapDrawsUprightAtNaturalSizeOrStretched)
{
    THTMLPicture picture;
    EXPECT_TRUE(picture.Empty());
    int changes = 0;
    picture.OnChange = [&] { ++changes; };
    Load(picture, CornerBmp());
    EXPECT_FALSE(picture.Empty());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(picture.GetFrameCount(), -1) << "a bitmap has no GIF frames";

    TBitmap target(20, 20);
    target.Canvas().Brush().SetColor(clSilver);
    target.Canvas().FillRect({0, 0, 20, 20});
    picture.Draw(target.Canvas(), {5, 5, 15, 15});
    ExpectPixels(target, {{5, 5, clRed}, {7, 5, clLime}, {5, 6, clBlue}, {7, 6, clBlack}, {8, 5, clSilver}, {5, 7, clSilver}},
                 "natural size");

    picture.SetStretch(true);
    target.Canvas().FillRect({0, 0, 20, 20});
    picture.Draw(target.Canvas(), {2, 2, 8, 6});   // each pixel becomes 2 x 2
    ExpectPixels(target, {{2, 2, clRed}, {3, 3, clRed}, {7, 2, clLime}, {2, 5, clBlue}, {7, 5, clBlack}, {8, 5, clSilver}},
                 "stretched");

    TMemoryStream saved;
    picture.SaveToStream(saved);
    EXPECT_EQ(saved.Data(), CornerBmp()) << "the held bytes are written unchanged";
}

TEST_F(PictureTest, IconDrawsAtItsTopLeftCorner)
{
    auto ico = imagebytes::Ico({imagebytes::IconImage(
        16, [](int x, int y) { return y < 8 ? RGB(255, 0, 0) : RGB(0, 0, 255); }, [](int x, int) { return x >= 12; })});
    THTMLPicture picture;
    Load(picture, ico);
    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(picture.Height(), 16);
    TBitmap target(40, 40);
    target.Canvas().Brush().SetColor(clSilver);
    target.Canvas().FillRect({0, 0, 40, 40});
    picture.Draw(target.Canvas(), {10, 10, 40, 40});
    // (24, 10) lies in the transparent part, (10, 27) below the icon.
    ExpectPixels(target, {{10, 10, clRed}, {10, 25, clBlue}, {24, 10, clSilver}, {10, 27, clSilver}}, "icon");
}

TEST_F(PictureTest, GifFramesAreCountedAndChosen)
{
    // Frame 1 fills the 6 x 4 screen in red, frame 2 a 2 x 2 blue square at (3, 1).
    auto gif = Gif(6, 4, {{0, 0, 6, 4, 0}, {3, 1, 2, 2, 1}});
    THTMLPicture picture;
    int frameChanges = 0;
    picture.OnFrameChange = [&] { ++frameChanges; };
    Load(picture, gif);
    ASSERT_TRUE(picture.IsGIFFile());
    EXPECT_EQ(picture.GetFrameCount(), 2);
    EXPECT_EQ(picture.ScreenWidth(), 6);
    EXPECT_EQ(picture.ScreenHeight(), 4);
    EXPECT_EQ(picture.GetMaxWidth(), 6);
    EXPECT_EQ(picture.FrameWidth(), 6) << "frame 1 shown first";

    TBitmap target(10, 10);
    picture.Draw(target.Canvas(), {0, 0, 10, 10});
    EXPECT_EQ(target.PixelColor(0, 0), clRed) << Hex(target.PixelColor(0, 0));

    picture.SetFrame(2);
    EXPECT_EQ(frameChanges, 1);
    EXPECT_EQ(picture.FrameLeft(), 3);
    EXPECT_EQ(picture.FrameTop(), 1);
    EXPECT_EQ(picture.FrameWidth(), 2);
    EXPECT_EQ(picture.FrameHeight(), 2);
    EXPECT_EQ(picture.GetFrameCount(), 2) << "the count is of the whole file";
    EXPECT_GT(picture.Width(), 0);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect({0, 0, 10, 10});
    picture.Draw(target.Canvas(), {0, 0, 10, 10});
    // The platform places the frame on its screen or alone; either way frame 1's red is gone.
    bool blue = false, red = false;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            blue |= target.PixelColor(x, y) == clBlue;
            red |= target.PixelColor(x, y) == clRed;
        }
    EXPECT_TRUE(blue) << "frame 2 is blue";
    EXPECT_FALSE(red) << "frame 1 was cut out";
}

TEST_F(PictureTest, OnlyAnExtensionRightBeforeAnImageIsAFrame)
{
    THTMLPicture picture;
    Load(picture, Gif(2, 2, {{0, 0, 2, 2, 0}, {0, 0, 2, 2, 1}}, false));
    EXPECT_EQ(picture.GetFrameCount(), 0);
    EXPECT_FALSE(picture.Empty()) << "still loaded as a whole";
    EXPECT_EQ(picture.Width(), 2);
}

TEST_F(PictureTest, OneFrameGifAskedForFrameTwoShowsNothingOfFrameOne)
{
    THTMLPicture picture;
    Load(picture, Gif(4, 4, {{0, 0, 4, 4, 0}}));
    bool threw = false;
    try {
        picture.SetFrame(2);
    } catch (const EInvalidGraphic&) {
        threw = true;
    }
    TBitmap target(8, 8);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect({0, 0, 8, 8});
    picture.Draw(target.Canvas(), {0, 0, 8, 8});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_NE(target.PixelColor(x, y), clRed) << "at " << x << "," << y << " (load threw: " << threw << ")";
}

TEST_F(PictureTest, FrameBeforeAnyBytesOnlyStoresTheNumber)
{
    THTMLPicture picture;
    int frameChanges = 0;
    picture.OnFrameChange = [&] { ++frameChanges; };
    picture.SetFrame(2);
    EXPECT_EQ(picture.Frame(), 2);
    EXPECT_EQ(frameChanges, 0);
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Picture(), nullptr);
}

TEST_F(PictureTest, BadBytesRaiseAndLeaveNothingToDraw)
{
    auto gif = Gif(4, 4, {{0, 0, 4, 4, 0}, {0, 0, 4, 4, 1}});
    auto bmp = CornerBmp();
    const std::vector<std::vector<uint8_t>> bad = {
        {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'},
        std::vector<uint8_t>(gif.begin(), gif.begin() + 25),        // cut inside the first extension
        std::vector<uint8_t>(bmp.begin(), bmp.begin() + 20),         // cut inside the info header
        std::vector<uint8_t>(bmp.begin(), bmp.end() - 4),             // the last row cut short
        {},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        THTMLPicture picture;
        Load(picture, CornerBmp());
        EXPECT_THROW(Load(picture, bad[i]), EInvalidGraphic) << "case " << i;
        EXPECT_EQ(picture.Width(), 0) << "case " << i;
        EXPECT_EQ(picture.Picture(), nullptr) << "case " << i;
        TBitmap target(4, 4);
        target.Canvas().Brush().SetColor(clWhite);
        target.Canvas().FillRect({0, 0, 4, 4});
        picture.Draw(target.Canvas(), {0, 0, 4, 4});
        EXPECT_EQ(target.PixelColor(0, 0), clWhite) << "case " << i;
    }
    // A GIF cut right after an extension's separator byte: counted, but without a descriptor.
    THTMLPicture cut;
    std::vector<uint8_t> shortGif(gif.begin(), gif.begin() + 13 + 12 + 10);
    EXPECT_THROW(Load(cut, shortGif), EInvalidGraphic);
    EXPECT_EQ(cut.GetFrameCount(), 1);
    EXPECT_EQ(cut.FrameWidth(), 0);
}

TEST_F(PictureTest, AssignCopiesBytesAndResetsFrameAndDownload)
{
    THTMLPicture source;
    Load(source, Gif(4, 4, {{0, 0, 4, 4, 0}, {0, 0, 4, 4, 1}}));
    source.SetFrame(2);

    THTMLPicture copy;
    copy.SetAsynch(true);
    copy.LoadFromURL("http://example.invalid/a.gif");
    copy.SetFrame(2);
    int changes = 0;
    copy.OnChange = [&] { ++changes; };
    copy.Assign(&source);
    EXPECT_EQ(copy.Data(), source.Data());
    EXPECT_EQ(copy.Frame(), 1);
    EXPECT_FALSE(copy.DownloadStarted());
    EXPECT_TRUE(copy.URL().empty()) << copy.URL();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(copy.Width(), 4);

    copy.Assign(&copy);
    EXPECT_EQ(copy.Data(), source.Data()) << "assigning itself keeps the bytes";

    TBitmap other(2, 2);
    copy.Assign(&other);
    EXPECT_TRUE(copy.Empty());
    EXPECT_TRUE(copy.Data().empty()) << "no stale bytes for SaveToStream";
    Load(copy, CornerBmp());
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Width(), 0);

    auto clone = source.Clone();
    EXPECT_EQ(clone->Width(), 4);
}

TEST_F(PictureTest, UrlSourcesLoadFilesAndResourcesOrWaitForADownload)
{
    imagebytes::ScratchFolder folder("ql_htmlpicture");
    std::string file = folder.File("pic.bmp");
    auto bytes = CornerBmp();
    SaveFileReplacing(file, bytes.data(), bytes.size());

    THTMLPicture fromFile;
    fromFile.LoadFromURL("file://" + file);
    EXPECT_EQ(fromFile.ID(), "file://" + file);
    EXPECT_EQ(fromFile.Width(), 3);

    THTMLPicture empty;
    empty.LoadFromURL("FILE://");
    empty.LoadFromURL("res://");
    empty.LoadFromURL("res://NO_SUCH_PICTURE");
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.ID(), "res://NO_SUCH_PICTURE");

    fromFile.LoadFromURL("res://NO_SUCH_PICTURE");
    EXPECT_EQ(fromFile.Width(), 3) << "a missing resource leaves the picture as it was";

    THTMLPicture direct;
    direct.SetAsynch(false);
    direct.LoadFromURL("http://example.invalid/x.gif");
    EXPECT_EQ(direct.URL(), "http://example.invalid/x.gif");
    EXPECT_EQ(direct.ID(), "http://example.invalid/x.gif");
    EXPECT_FALSE(direct.DownloadStarted());

    THTMLPicture fetched;
    bool fired = false;
    fetched.OnDownLoadComplete = [&] { fired = true; };
    fetched.OnDownLoadError = [&] { fired = true; };
    fetched.LoadFromURL("http://example.invalid/y.gif");
    EXPECT_TRUE(fetched.DownloadStarted());
    EXPECT_EQ(fetched.URL(), "http://example.invalid/y.gif");
    EXPECT_EQ(fetched.ID(), "http://example.invalid/y.gif") << "so the cache finds it again";
    fetched.LoadFromURL("http://example.invalid/z.gif");
    EXPECT_EQ(fetched.URL(), "http://example.invalid/y.gif") << "one download per picture";
    Sleep(50);
    EXPECT_TRUE(fetched.Empty());
    EXPECT_FALSE(fired);
}

TEST_F(PictureTest, ContainerFindsOnlyTheUpperCasedName)
{
    TPictureContainer container;
    TPictureItem& logo = container.Items().Add();
    logo.SetName("Logo");
    THTMLPicture bytes;
    Load(bytes, CornerBmp());
    logo.SetPicture(bytes);
    EXPECT_NE(&logo.Picture(), &bytes) << "the item keeps its own picture";
    container.Items().Add().SetName("Other");
    EXPECT_EQ(container.Items().Owner(), &container);
    EXPECT_EQ(container.Items().Items(1).Index(), 1);

    const struct {
        const char* name;
        bool found;
    } cases[] = {{"LOGO", true}, {"Logo", false}, {"logo", false}, {"LOG", false}, {"", false}, {"OTHER", true}};
    for (const auto& c : cases)
        EXPECT_EQ(container.FindPicture(c.name) != nullptr, c.found) << c.name;
    EXPECT_EQ(container.FindPicture("LOGO"), &logo.Picture());
    EXPECT_EQ(container.FindPicture("LOGO")->Width(), 3);

    TPictureContainer copy;
    copy.SetItems(container.Items());
    ASSERT_EQ(copy.Items().Count(), 2);
    EXPECT_EQ(copy.Items().Items(0).Name(), "Logo");
    EXPECT_EQ(copy.Items().Items(0).Collection(), &copy.Items());
    EXPECT_NE(copy.FindPicture("LOGO"), container.FindPicture("LOGO"));
    EXPECT_EQ(copy.FindPicture("LOGO")->Width(), 3);
    container.Items().Delete(0);
    EXPECT_EQ(copy.FindPicture("LOGO")->Width(), 3) << "the copy is independent";
    // The library's own error, which the application's handler shows as it stands.
    EXPECT_THROW(container.Items().Delete(5), EListError);
    EXPECT_THROW(container.Items().Items(-1), EListError);
    EXPECT_THROW(container.Items().Items(1), EListError);
}

TEST_F(PictureTest, CacheFindsPicturesByTheirExactSource)
{
    THTMLPictureCache cache;
    EXPECT_EQ(cache.FindPicture("http://a.invalid/p.gif"), nullptr);
    THTMLPicture& picture = cache.AddPicture();
    EXPECT_TRUE(picture.Empty());
    picture.SetAsynch(false);
    picture.LoadFromURL("http://a.invalid/p.gif");
    EXPECT_EQ(cache.FindPicture("http://a.invalid/p.gif"), &picture);
    EXPECT_EQ(cache.FindPicture("HTTP://A.INVALID/P.GIF"), nullptr);
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_EQ(&cache.Items(0), &picture);
    EXPECT_THROW(cache.Items(1), EListError);
}
