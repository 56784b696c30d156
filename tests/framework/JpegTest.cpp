// Tests of the JPEG codec and the JPEG picture class: round trips, colour models, damaged input.
#include <windows.h>

#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "JpegCodec.h"
#include "JpegImage.h"
#include "Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

using PixelFn = std::function<void(int x, int y, uint8_t* bgr)>;

TBgrImage MakeImage(int width, int height, const PixelFn& pixel)
{
    TBgrImage image;
    image.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(x, y, image.Row(y) + x * 3);
    return image;
}

void Gradient(int x, int y, uint8_t* bgr)
{
    bgr[0] = static_cast<uint8_t>(x * 8);
    bgr[1] = static_cast<uint8_t>(y * 8);
    bgr[2] = static_cast<uint8_t>(255 - (x + y) * 4);
}

void Checker(int x, int y, uint8_t* bgr)
{
    uint8_t v = ((x / 8 + y / 8) % 2) ? 230 : 20;
    bgr[0] = bgr[1] = bgr[2] = v;
}

// Fine detail that costs bits, so the quality setting shows in the size.
void Noise(int x, int y, uint8_t* bgr)
{
    unsigned h = static_cast<unsigned>(x * 73856093) ^ static_cast<unsigned>(y * 19349663);
    h = (h ^ (h >> 13)) * 0x5bd1e995u;
    bgr[0] = static_cast<uint8_t>(h);
    bgr[1] = static_cast<uint8_t>(h >> 8);
    bgr[2] = static_cast<uint8_t>(h >> 16);
}

double MeanAbsError(const TBgrImage& a, const TBgrImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.Height; ++y)
        for (int i = 0; i < a.Width * 3; ++i)
            sum += std::abs(int(a.Row(y)[i]) - int(b.Row(y)[i]));
    return sum / (double(a.Width) * a.Height * 3);
}

// Encodes samples (packed rows of `components` bytes per pixel) with libjpeg directly, for
// colour models, modes and pass scripts our encoder never writes. libjpeg's standard error
// handler exits the process, acceptable here because the inputs are always valid.
std::vector<uint8_t> EncodeDirect(int width, int height, const std::vector<uint8_t>& samples, int components,
                                  J_COLOR_SPACE input, J_COLOR_SPACE stored, bool progressive,
                                  const std::vector<jpeg_scan_info>* script = nullptr)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    if (script) {
        info.scan_info = script->data();
        info.num_scans = static_cast<int>(script->size());
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + info.next_scanline * width * components);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> result(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return result;
}

std::vector<uint8_t> Solid(int width, int height, std::vector<uint8_t> pixel)
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < width * height; ++i)
        samples.insert(samples.end(), pixel.begin(), pixel.end());
    return samples;
}

std::string Bgr(const uint8_t* p)
{
    return "B" + std::to_string(p[0]) + " G" + std::to_string(p[1]) + " R" + std::to_string(p[2]);
}

// Offset of the first frame header (SOF0 or SOF2) of a JPEG file.
size_t FrameHeader(const std::vector<uint8_t>& jpeg)
{
    for (size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2))
            return i;
    return 0;
}

std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> jpeg, unsigned width, unsigned height)
{
    size_t sof = FrameHeader(jpeg);
    jpeg[sof + 5] = static_cast<uint8_t>(height >> 8);
    jpeg[sof + 6] = static_cast<uint8_t>(height);
    jpeg[sof + 7] = static_cast<uint8_t>(width >> 8);
    jpeg[sof + 8] = static_cast<uint8_t>(width);
    return jpeg;
}

std::string ErrorOf(const std::vector<uint8_t>& data)
{
    try {
        JpegDecode(data);
    } catch (const EJPEG& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return std::string("other exception: ") + e.what();
    }
    return "no error";
}

} // namespace

TEST(JpegCodec, RoundTripKeepsSizeAndPixels)
{
    struct Row { const char* name; int width, height; void (*pixel)(int, int, uint8_t*); double maxError; };
    const Row rows[] = {
        {"gradient 32x32", 32, 32, Gradient, 3.0},
        {"checker 32x32", 32, 32, Checker, 4.0},
        {"gradient 31x17, padded rows", 31, 17, Gradient, 3.0},
        {"gradient 1x1", 1, 1, Gradient, 3.0},
    };
    for (const Row& r : rows) {
        TBgrImage source = MakeImage(r.width, r.height, r.pixel);
        std::vector<uint8_t> jpeg = JpegEncode(source, 90);
        ASSERT_GE(jpeg.size(), 4u) << r.name;
        EXPECT_TRUE(jpeg[0] == 0xFF && jpeg[1] == 0xD8 && jpeg[jpeg.size() - 2] == 0xFF && jpeg.back() == 0xD9)
            << r.name << ": no SOI/EOI, " << jpeg.size() << " bytes";
        TBgrImage decoded = JpegDecode(jpeg);
        ASSERT_EQ(decoded.Width, r.width) << r.name;
        ASSERT_EQ(decoded.Height, r.height) << r.name;
        ASSERT_EQ(decoded.Pixels.size(), decoded.Stride() * r.height) << r.name;
        double error = MeanAbsError(source, decoded);
        EXPECT_LT(error, r.maxError) << r.name;
    }
}

TEST(JpegCodec, HigherQualityMakesLargerFiles)
{
    TBgrImage image = MakeImage(32, 32, Noise);
    size_t q90 = JpegEncode(image, 90).size();
    size_t q30 = JpegEncode(image, 30).size();
    EXPECT_GT(q90, q30) << "quality 90: " << q90 << " bytes, quality 30: " << q30;
    EXPECT_EQ(JpegEncode(image).size(), q90) << "the default quality is 90";
}

TEST(JpegCodec, ChannelOrderIsBlueGreenRed)
{
    // Written by libjpeg from red/green/blue samples, so our decoder's order is checked on its own;
    // then our encoder must agree with it.
    const std::vector<uint8_t> red = {255, 0, 0};
    TBgrImage decoded = JpegDecode(EncodeDirect(16, 16, Solid(16, 16, red), 3, JCS_RGB, JCS_YCbCr, false));
    const uint8_t* p = decoded.Row(8) + 8 * 3;
    EXPECT_TRUE(p[2] > 240 && p[1] < 15 && p[0] < 15) << "pure red decoded as " << Bgr(p);

    TBgrImage blue = MakeImage(16, 16, [](int, int, uint8_t* bgr) { bgr[0] = 255; bgr[1] = 0; bgr[2] = 0; });
    TBgrImage back = JpegDecode(JpegEncode(blue));
    p = back.Row(8) + 8 * 3;
    EXPECT_TRUE(p[0] > 240 && p[1] < 15 && p[2] < 15) << "pure blue round trip gives " << Bgr(p);
}

TEST(JpegCodec, OtherColourModelsDecodeToRgb)
{
    // Adobe's CMYK files (libjpeg writes the Adobe marker for them) store inverted channels:
    // 255 means no ink.
    struct Row {
        const char* name;
        std::vector<uint8_t> sample;
        int components;
        J_COLOR_SPACE input, stored;
        uint8_t b, g, r;
    };
    const Row rows[] = {
        {"grey 128", {128}, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 128, 128, 128},
        {"grey 30", {30}, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 30, 30, 30},
        {"rgb stored as rgb", {200, 100, 50}, 3, JCS_RGB, JCS_RGB, 50, 100, 200},
        {"cmyk red", {255, 0, 0, 255}, 4, JCS_CMYK, JCS_CMYK, 0, 0, 255},
        {"cmyk half black", {255, 255, 255, 128}, 4, JCS_CMYK, JCS_CMYK, 128, 128, 128},
        {"cmyk blue", {0, 0, 255, 255}, 4, JCS_CMYK, JCS_CMYK, 255, 0, 0},
        {"ycck red", {255, 0, 0, 255}, 4, JCS_CMYK, JCS_YCCK, 0, 0, 255},
        {"ycck dark green", {0, 128, 0, 255}, 4, JCS_CMYK, JCS_YCCK, 0, 128, 0},
    };
    for (const Row& r : rows) {
        std::vector<uint8_t> jpeg = EncodeDirect(16, 16, Solid(16, 16, r.sample), r.components, r.input, r.stored, false);
        TBgrImage image;
        try {
            image = JpegDecode(jpeg);
        } catch (const EJPEG& e) {
            ADD_FAILURE() << r.name << ": " << e.Message();
            continue;
        }
        ASSERT_EQ(image.Width, 16) << r.name;
        const uint8_t* p = image.Row(8) + 8 * 3;
        EXPECT_NEAR(p[0], r.b, 4) << r.name << ": " << Bgr(p);
        EXPECT_NEAR(p[1], r.g, 4) << r.name << ": " << Bgr(p);
        EXPECT_NEAR(p[2], r.r, 4) << r.name << ": " << Bgr(p);
    }
}

TEST(JpegCodec, GreyscaleKeepsItsShades)
{
    std::vector<uint8_t> samples(32 * 32);
    for (int i = 0; i < 32 * 32; ++i)
        samples[i] = static_cast<uint8_t>((i % 32) * 8);
    TBgrImage image = JpegDecode(EncodeDirect(32, 32, samples, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false));
    int coloured = 0, offLevel = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = image.Row(y) + x * 3;
            coloured += p[0] != p[1] || p[1] != p[2];
            offLevel += std::abs(p[0] - samples[y * 32 + x]) > 6;
        }
    EXPECT_EQ(coloured, 0) << "pixels that are not grey";
    EXPECT_EQ(offLevel, 0) << "pixels off their grey level";
}

TEST(JpegCodec, ProgressiveDecodes)
{
    TBgrImage source = MakeImage(32, 32, Gradient);
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const uint8_t* p = source.Row(y) + x * 3;
            rgb.insert(rgb.end(), {p[2], p[1], p[0]});
        }
    std::vector<uint8_t> jpeg = EncodeDirect(32, 32, rgb, 3, JCS_RGB, JCS_YCbCr, true);
    ASSERT_NE(FrameHeader(jpeg), 0u);
    ASSERT_EQ(jpeg[FrameHeader(jpeg) + 1], 0xC2) << "not progressive";
    TBgrImage decoded = JpegDecode(jpeg);
    ASSERT_EQ(decoded.Width, 32);
    ASSERT_EQ(decoded.Height, 32);
    double error = MeanAbsError(source, decoded);
    EXPECT_LT(error, 3.0);
}

TEST(JpegCodec, AFileOfEndlessPassesIsRefused)
{
    // Every coefficient in a pass of its own, each refined bit by bit: a valid file whose
    // 694 passes each go over the whole picture.
    std::vector<jpeg_scan_info> script = {{1, {0}, 0, 0, 0, 0}};
    for (int k = 1; k < 64; ++k) {
        script.push_back({1, {0}, k, k, 0, 10});
        for (int bit = 10; bit > 0; --bit)
            script.push_back({1, {0}, k, k, bit, bit - 1});
    }
    const std::vector<uint8_t> jpeg =
        EncodeDirect(16, 16, std::vector<uint8_t>(16 * 16, 128), 1, JCS_GRAYSCALE, JCS_GRAYSCALE, false, &script);
    try {
        JpegDecode(jpeg);
        ADD_FAILURE() << "decoded " << script.size() << " passes";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), "Das JPEG-Bild hat zu viele Durchgänge.");
    }
}

TEST(JpegCodec, TruncatedDataIsAnError)
{
    TBgrImage source = MakeImage(32, 32, Noise);
    std::vector<uint8_t> rgb(32 * 32 * 3, 90);
    const std::vector<uint8_t> files[] = {
        JpegEncode(source),
        EncodeDirect(32, 32, rgb, 3, JCS_RGB, JCS_YCbCr, true),
    };
    for (const std::vector<uint8_t>& file : files) {
        const bool progressive = file[FrameHeader(file) + 1] == 0xC2;
        const size_t sof = FrameHeader(file);
        const size_t cuts[] = {1, 2, 4, 20, sof + 4, sof + 12, file.size() / 2, file.size() - 40, file.size() - 2,
                               file.size() - 1};
        for (size_t cut : cuts) {
            std::vector<uint8_t> part(file.begin(), file.begin() + cut);
            std::string error = ErrorOf(part);
            EXPECT_TRUE(error.rfind("Das JPEG-Bild", 0) == 0 || error.rfind("Die Daten", 0) == 0)
                << (progressive ? "progressive" : "baseline") << " cut at " << cut << " of " << file.size()
                << ": " << error;
        }
    }
}

TEST(JpegCodec, ForeignDataIsAnError)
{
    struct Row { const char* name; std::vector<uint8_t> data; };
    std::vector<uint8_t> random(500);
    for (size_t i = 0; i < random.size(); ++i)
        random[i] = static_cast<uint8_t>(i * 7919 >> 3);
    std::vector<uint8_t> soiThenRandom = random;
    soiThenRandom[0] = 0xFF;
    soiThenRandom[1] = 0xD8;
    const Row rows[] = {
        {"empty", {}},
        {"one byte", {0xFF}},
        {"SOI only", {0xFF, 0xD8}},
        {"SOI and EOI", {0xFF, 0xD8, 0xFF, 0xD9}},
        {"bitmap header", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0, 40, 0, 0, 0}},
        {"GIF header", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"random", random},
        {"SOI then random", soiThenRandom},
    };
    for (const Row& r : rows) {
        std::string error = ErrorOf(r.data);
        EXPECT_TRUE(error.rfind("Das JPEG-Bild", 0) == 0 || error.rfind("Die", 0) == 0) << r.name << ": " << error;
    }
}

TEST(JpegCodec, OversizedOrEmptyFrameIsRefusedFromTheHeader)
{
    // A frame header holds 16-bit sizes, so 65535 is the largest a file can claim. The refusal
    // must come from the header check ("zu groß"), not from running out of memory later.
    const std::vector<uint8_t> valid = JpegEncode(MakeImage(32, 32, Gradient));
    struct Row { unsigned width, height; const char* expected; };
    const Row rows[] = {
        {60000, 60000, "zu groß"},
        {65535, 65535, ""},          // libjpeg's own limit is 65500; any refusal will do
        {8193, 8192, "zu groß"},     // just over 64 megapixels
        {40000, 2000, "zu groß"},
        {32, 0, ""},
        {0, 32, ""},
    };
    for (const Row& r : rows) {
        std::string error = ErrorOf(WithFrameSize(valid, r.width, r.height));
        EXPECT_NE(error.find(r.expected), std::string::npos) << r.width << "x" << r.height << ": " << error;
        EXPECT_EQ(error.find("other exception"), std::string::npos) << r.width << "x" << r.height << ": " << error;
        EXPECT_NE(error, "no error") << r.width << "x" << r.height;
    }
}

TEST(JpegCodec, EveryDecodingFailureIsReportedInGerman)
{
    // libjpeg's own texts are English; what the user reads is one of ours, and a text of no
    // class of its own carries libjpeg's number.
    const std::vector<uint8_t> valid = JpegEncode(MakeImage(32, 32, Gradient));
    std::vector<uint8_t> noFrameData = valid;
    noFrameData.resize(FrameHeader(valid) + 20);
    std::vector<uint8_t> twelveBits = valid;
    twelveBits[FrameHeader(valid) + 4] = 12;
    struct Row {
        const char* name;
        std::vector<uint8_t> data;
        const char* expected;
    };
    const Row rows[] = {
        {"a bitmap", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0}, "Die Daten sind kein JPEG-Bild."},
        {"cut off", noFrameData, "Das JPEG-Bild ist unvollständig: die Daten enden vorzeitig."},
        {"no height (DNL)", WithFrameSize(valid, 32, 0),
         "Das JPEG-Bild ist beschädigt oder wird nicht unterstützt (Fehler Nr. "},
        {"12 bits per sample", twelveBits, "Das JPEG-Bild ist beschädigt oder wird nicht unterstützt (Fehler Nr. "},
        {"too large", WithFrameSize(valid, 60000, 60000), "zu groß"},
    };
    for (const Row& r : rows) {
        const std::string error = ErrorOf(r.data);
        EXPECT_NE(error.find(r.expected), std::string::npos) << r.name << ": " << error;
        EXPECT_EQ(error.find("JPEG image"), std::string::npos) << r.name << ": " << error;
        EXPECT_EQ(error.find("not "), std::string::npos) << r.name << ": " << error;
    }
}

TEST(JpegCodec, EncoderRefusesEmptyOrShortImages)
{
    TBgrImage empty;
    EXPECT_THROW(JpegEncode(empty), EJPEG);
    TBgrImage shortImage = MakeImage(8, 8, Gradient);
    shortImage.Pixels.resize(shortImage.Pixels.size() - 1);
    EXPECT_THROW(JpegEncode(shortImage), EJPEG);
}

namespace {

std::unique_ptr<TBitmap> MakeBitmap(int width, int height, const PixelFn& pixel, TPixelFormat format = pf24bit)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixel(x, y, static_cast<uint8_t*>(bitmap->ScanLine(y)) + x * 3);
    bitmap->SetPixelFormat(format);
    return bitmap;
}

TBgrImage PixelsOf(const TBitmap& bitmap)
{
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit) << "bitmap format";
    TBgrImage image;
    image.SetSize(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < image.Height; ++y)
        std::memcpy(image.Row(y), bitmap.ScanLine(y), image.Width * 3);
    return image;
}

// Where two pixel buffers first differ, for a readable failure; -1 when they are equal.
long FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size())
        return static_cast<long>(std::min(a.size(), b.size()));
    auto mismatch = std::mismatch(a.begin(), a.end(), b.begin());
    return mismatch.first == a.end() ? -1 : static_cast<long>(mismatch.first - a.begin());
}

std::unique_ptr<TJPEGImage> JpegOf(const std::vector<uint8_t>& data)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TMemoryStream stream(data);
    jpeg->LoadFromStream(stream);
    return jpeg;
}

std::vector<uint8_t> Saved(TJPEGImage& jpeg)
{
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return stream.Data();
}

// A folder of its own in the test prefix's temporary folder, removed with what it holds.
class JpegFiles : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "ql_jpeg_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::string& name : Files())
            DeleteFileA((dir_ + name).c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir_ + "*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }
    std::string Path(const char* name) const { return dir_ + name; }

    std::string dir_;
};

} // namespace

TEST(JpegImage, AssignedBitmapIsEncodedAtCompressionQuality)
{
    std::unique_ptr<TBitmap> bitmap = MakeBitmap(32, 32, Noise);
    const TBgrImage pixels = PixelsOf(*bitmap);
    struct Row { int quality; int expectedQuality; };
    const Row rows[] = {{0, 90}, {30, 30}, {100, 100}, {500, 100}};   // 0: left at the default
    for (const Row& r : rows) {
        TJPEGImage jpeg;
        if (r.quality)
            jpeg.SetCompressionQuality(r.quality);
        EXPECT_EQ(jpeg.CompressionQuality(), r.expectedQuality) << "set to " << r.quality;
        jpeg.Assign(*bitmap);
        EXPECT_EQ(jpeg.Width(), 32);
        EXPECT_EQ(jpeg.Height(), 32);
        std::vector<uint8_t> saved = Saved(jpeg), expected = JpegEncode(pixels, r.expectedQuality);
        EXPECT_EQ(FirstDifference(saved, expected), -1)
            << "quality " << r.quality << ": " << saved.size() << " bytes, expected " << expected.size();
    }
}

TEST(JpegImage, AssignTakesAnyPixelFormat)
{
    // Pure colours survive the conversion to 24 bits exactly, and JPEG nearly.
    struct Row { TPixelFormat format; const char* name; };
    const Row rows[] = {{pf24bit, "24 bit"}, {pf32bit, "32 bit"}, {pf8bit, "8 bit"}};
    for (const Row& r : rows) {
        std::unique_ptr<TBitmap> red = MakeBitmap(16, 16, [](int, int, uint8_t* bgr) { bgr[0] = 0; bgr[1] = 0; bgr[2] = 255; }, r.format);
        TJPEGImage jpeg;
        jpeg.Assign(*red);
        TBgrImage decoded = JpegDecode(Saved(jpeg));
        ASSERT_EQ(decoded.Width, 16) << r.name;
        const uint8_t* p = decoded.Row(8) + 8 * 3;
        EXPECT_TRUE(p[2] > 240 && p[1] < 15 && p[0] < 15) << r.name << ": " << Bgr(p);
    }
}

TEST(JpegImage, BitmapAndDrawingShowTheDecodedPixels)
{
    const std::vector<uint8_t> data = JpegEncode(MakeImage(31, 17, Gradient));
    const TBgrImage decoded = JpegDecode(data);
    std::unique_ptr<TJPEGImage> jpeg = JpegOf(data);

    // The target starts out as something else entirely.
    TBitmap converted(5, 5, pf8bit);
    jpeg->AssignTo(converted);
    ASSERT_EQ(converted.Width(), 31);
    ASSERT_EQ(converted.Height(), 17);
    EXPECT_EQ(FirstDifference(PixelsOf(converted).Pixels, decoded.Pixels), -1) << "AssignTo";
    EXPECT_EQ(FirstDifference(PixelsOf(*jpeg->ToBitmap()).Pixels, decoded.Pixels), -1) << "ToBitmap";

    // TBitmap::Assign(TGraphic&) draws the picture on the bitmap's canvas.
    TBitmap drawn;
    drawn.Assign(static_cast<TGraphic&>(*jpeg));
    ASSERT_EQ(drawn.Width(), 31);
    EXPECT_EQ(FirstDifference(PixelsOf(drawn).Pixels, decoded.Pixels), -1) << "Draw";

    TJPEGImage empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_TRUE(empty.ToBitmap()->Empty());
    EXPECT_THROW(Saved(empty), EJPEG);
}

TEST(JpegImage, FailedLoadKeepsThePicture)
{
    std::unique_ptr<TJPEGImage> jpeg = JpegOf(JpegEncode(MakeImage(32, 32, Gradient)));
    std::vector<uint8_t> truncated = JpegEncode(MakeImage(20, 10, Noise));
    truncated.resize(truncated.size() / 2);
    const std::vector<uint8_t> bad[] = {truncated, {}, {'B', 'M', 0, 0}};
    for (const std::vector<uint8_t>& data : bad) {
        TMemoryStream stream(data);
        EXPECT_THROW(jpeg->LoadFromStream(stream), EJPEG) << data.size() << " bytes";
        EXPECT_EQ(jpeg->Width(), 32) << "after " << data.size() << " bytes";
        EXPECT_EQ(jpeg->Height(), 32) << "after " << data.size() << " bytes";
    }
}

TEST(JpegImage, StreamIsReadFromItsPosition)
{
    std::vector<uint8_t> data = {'J', 'U', 'N', 'K'};
    std::vector<uint8_t> jpeg = JpegEncode(MakeImage(8, 8, Gradient));
    data.insert(data.end(), jpeg.begin(), jpeg.end());
    TMemoryStream stream(data);
    stream.SetPosition(4);
    TJPEGImage image;
    image.LoadFromStream(stream);
    EXPECT_EQ(image.Width(), 8);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(data.size()));
}

TEST_F(JpegFiles, SaveAndLoadThroughFiles)
{
    std::unique_ptr<TBitmap> bitmap = MakeBitmap(32, 32, Gradient);
    TJPEGImage written;
    written.Assign(*bitmap);
    written.SaveToFile(Path("bild.jpg"));

    TJPEGImage read;
    read.LoadFromFile(Path("bild.jpg"));
    ASSERT_EQ(read.Width(), 32);
    ASSERT_EQ(read.Height(), 32);
    double error = MeanAbsError(PixelsOf(*bitmap), PixelsOf(*read.ToBitmap()));
    EXPECT_LT(error, 3.0);

    // Unchanged, the picture is written back as it was read: no second loss of quality.
    const std::vector<uint8_t> original = ReadFileBytes(Path("bild.jpg"));
    read.SaveToFile(Path("kopie.jpg"));
    std::vector<uint8_t> copy = ReadFileBytes(Path("kopie.jpg"));
    EXPECT_EQ(FirstDifference(copy, original), -1) << "resaved unchanged: " << copy.size() << " bytes of " << original.size();

    read.SetCompressionQuality(30);
    read.SaveToFile(Path("klein.jpg"));
    size_t small = ReadFileBytes(Path("klein.jpg")).size();
    EXPECT_LT(small, original.size()) << "quality 30 after loading a quality 90 file";

    // TPicture picks the JPEG class by extension, in any case.
    for (const char* name : {"bild.jpg", "BILD.JPEG"}) {
        if (std::string(name) != "bild.jpg")
            CopyFileA(Path("bild.jpg").c_str(), Path(name).c_str(), FALSE);
        TPicture picture;
        picture.LoadFromFile(Path(name));
        EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr) << name;
        EXPECT_EQ(picture.Width(), 32) << name;
    }
}

TEST_F(JpegFiles, FailedSaveKeepsTheOldFile)
{
    const std::vector<uint8_t> old = {'a', 'l', 't'};
    SaveFileReplacing(Path("alt.jpg"), old.data(), old.size());

    TJPEGImage empty;
    EXPECT_THROW(empty.SaveToFile(Path("alt.jpg")), EJPEG);
    EXPECT_EQ(ReadFileBytes(Path("alt.jpg")), old) << "after encoding failed";

    // The target cannot be replaced while another program holds it open without sharing.
    TJPEGImage jpeg;
    jpeg.Assign(*MakeBitmap(8, 8, Gradient));
    HANDLE held = CreateFileA(Path("alt.jpg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(jpeg.SaveToFile(Path("alt.jpg")), EStreamError);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(Path("alt.jpg")), old) << "after replacing failed";

    std::vector<std::string> files = Files();
    EXPECT_EQ(files.size(), 1u) << "left behind: " << (files.size() > 1 ? files[0] + ", " + files[1] : "");
}
