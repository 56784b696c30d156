// JPEG decoding and encoding over libjpeg, with its errors turned into EJPEG.
#include <windows.h>

#include "JpegCodec.h"
#include "Exceptions.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

// libjpeg reports fatal errors by calling error_exit, which must not return. Ours jumps back
// into the small functions below, which hold nothing that needs destroying, so the jump
// skips no C++ destructor; their callers then throw. An exception must never be thrown
// through libjpeg's own frames, which were compiled as C.
//
// Each function that calls setjmp stays out of line (GCC never inlines them) and works only on
// the plain structures its caller owns.

void TBgrImage::SetSize(int width, int height)
{
    Width = std::max(width, 0);
    Height = std::max(height, 0);
    Pixels.assign(Stride() * static_cast<size_t>(Height), 0);
}

namespace {

// pub.msg_code says what went wrong, also for a warning that we treat as fatal.
struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr info)
{
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// Warnings mostly mean the data is damaged: libjpeg would fill the missing part with grey and
// carry on, and the user would get a broken picture without a word. Oddities in metadata, and
// stray bytes between segments (common in camera files), leave the pixels intact.
void EmitMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;   // trace output
    switch (info->err->msg_code) {
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
    case JWRN_EXTRANEOUS_DATA:
        info->err->num_warnings++;
        return;
    default:
        ErrorExit(info);
    }
}

// libjpeg would print to stderr, which a windowed program does not have.
void OutputMessage(j_common_ptr) {}

jpeg_error_mgr* InstallErrorManager(JpegError& error)
{
    jpeg_std_error(&error.pub);
    error.pub.error_exit = ErrorExit;
    error.pub.emit_message = EmitMessage;
    error.pub.output_message = OutputMessage;
    return &error.pub;
}

// A progressive file may repeat passes over the whole picture; a few kilobytes of them can keep
// the decoder busy for minutes. Real pictures take a dozen.
constexpr int JpegMaxScans = 500;
constexpr int TooManyScans = JMSG_LASTMSGCODE + 1;

void LimitScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > JpegMaxScans) {
        info->err->msg_code = TooManyScans;
        ErrorExit(info);
    }
}

// The decompress object is destroyed on every path; destroying one that was never created,
// or that failed half way, is allowed.
struct Decompressor {
    jpeg_decompress_struct info{};
    JpegError error{};
    jpeg_progress_mgr progress{};
    Decompressor()
    {
        info.err = InstallErrorManager(error);
        progress.progress_monitor = LimitScans;
        info.progress = &progress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

bool ReadHeader(jpeg_decompress_struct* info, JpegError* error, const uint8_t* data, size_t size)
{
    if (setjmp(error->jump))
        return false;
    // Creating clears everything but the error manager.
    jpeg_progress_mgr* progress = info->progress;
    jpeg_create_decompress(info);
    info->progress = progress;
    jpeg_mem_src(info, data, static_cast<unsigned long>(size));
    jpeg_read_header(info, TRUE);
    return true;
}

// Adobe's CMYK files store the channels inverted (255 = no ink); plain CMYK stores ink.
void CmykToBgr(const JSAMPLE* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

// cmykRow is null unless the output colour space was set to CMYK; it then holds one row.
bool ReadPixels(jpeg_decompress_struct* info, JpegError* error, uint8_t* pixels, size_t stride,
                JSAMPLE* cmykRow, bool invertedCmyk)
{
    if (setjmp(error->jump))
        return false;
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        uint8_t* target = pixels + info->output_scanline * stride;
        JSAMPROW row = cmykRow ? cmykRow : target;
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            ERREXIT(info, JERR_INPUT_EOF);   // cannot happen with a memory source; never loop forever
        if (cmykRow)
            CmykToBgr(cmykRow, target, info->output_width, invertedCmyk);
    }
    jpeg_finish_decompress(info);
    return true;
}

// libjpeg's own texts are English: the user reads ours, a supporter the number.
std::string DecodeFailure(const JpegError& error)
{
    const int code = error.pub.msg_code;
    switch (code) {
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF:
        return "Das JPEG-Bild ist unvollständig: die Daten enden vorzeitig.";
    case JERR_INPUT_EMPTY:
        return "Die JPEG-Daten sind leer.";
    case JERR_NO_SOI:
        return "Die Daten sind kein JPEG-Bild.";
    case JERR_OUT_OF_MEMORY:
        return "Für das JPEG-Bild ist nicht genügend Speicher frei.";
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return "Das JPEG-Bild ist zu groß.";
    case TooManyScans:
        return "Das JPEG-Bild hat zu viele Durchgänge.";
    }
    return "Das JPEG-Bild ist beschädigt oder wird nicht unterstützt (Fehler Nr. " + std::to_string(code) + ").";
}

// Collects the compressed bytes in one growing malloc'ed block: libjpeg calls back from C,
// where neither a std::vector nor its exceptions belong.
struct GrowingDestination {
    jpeg_destination_mgr pub;
    JOCTET* buffer;
    size_t capacity;
    size_t length;
};

void InitDestination(j_compress_ptr info)
{
    GrowingDestination* dest = reinterpret_cast<GrowingDestination*>(info->dest);
    if (!dest->buffer) {
        dest->buffer = static_cast<JOCTET*>(std::malloc(64 * 1024));
        if (!dest->buffer)
            ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
        dest->capacity = 64 * 1024;
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

// Called when the whole buffer is full.
boolean EmptyOutputBuffer(j_compress_ptr info)
{
    GrowingDestination* dest = reinterpret_cast<GrowingDestination*>(info->dest);
    size_t grown = dest->capacity * 2;
    JOCTET* buffer = grown > dest->capacity ? static_cast<JOCTET*>(std::realloc(dest->buffer, grown)) : nullptr;
    if (!buffer)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    dest->buffer = buffer;
    dest->pub.next_output_byte = buffer + dest->capacity;
    dest->pub.free_in_buffer = grown - dest->capacity;
    dest->capacity = grown;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    GrowingDestination* dest = reinterpret_cast<GrowingDestination*>(info->dest);
    dest->length = dest->capacity - dest->pub.free_in_buffer;
}

struct Compressor {
    jpeg_compress_struct info{};
    JpegError error{};
    GrowingDestination dest{};
    Compressor()
    {
        info.err = InstallErrorManager(error);
        dest.pub.init_destination = InitDestination;
        dest.pub.empty_output_buffer = EmptyOutputBuffer;
        dest.pub.term_destination = TermDestination;
    }
    ~Compressor()
    {
        jpeg_destroy_compress(&info);
        std::free(dest.buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

bool WritePixels(jpeg_compress_struct* info, JpegError* error, GrowingDestination* dest,
                 const uint8_t* pixels, size_t stride, int width, int height, int quality)
{
    if (setjmp(error->jump))
        return false;
    jpeg_create_compress(info);
    info->dest = &dest->pub;
    info->image_width = static_cast<JDIMENSION>(width);
    info->image_height = static_cast<JDIMENSION>(height);
    info->input_components = 3;
    info->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + info->next_scanline * stride);
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

TBgrImage JpegDecode(const uint8_t* data, size_t size)
{
    Decompressor decoder;
    if (!ReadHeader(&decoder.info, &decoder.error, data, size))
        throw EJPEG(DecodeFailure(decoder.error));

    jpeg_decompress_struct& info = decoder.info;
    const uint64_t pixels = static_cast<uint64_t>(info.image_width) * info.image_height;
    if (pixels == 0)
        throw EJPEG("Das JPEG-Bild hat keine Bildpunkte.");
    if (pixels > JpegMaxPixels)
        throw EJPEG("Das JPEG-Bild ist mit " + std::to_string(info.image_width) + " x " +
                    std::to_string(info.image_height) + " Bildpunkten zu groß.");

    bool cmyk = false;
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
        info.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        throw EJPEG("Das Farbmodell des JPEG-Bildes wird nicht unterstützt.");
    }

    TBgrImage image;
    std::vector<JSAMPLE> cmykRow;
    try {
        image.SetSize(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
        if (cmyk)
            cmykRow.resize(static_cast<size_t>(info.image_width) * 4);
    } catch (const std::bad_alloc&) {
        throw EJPEG("Für das JPEG-Bild ist nicht genügend Speicher frei.");
    }
    if (!ReadPixels(&info, &decoder.error, image.Pixels.data(), image.Stride(),
                    cmyk ? cmykRow.data() : nullptr, info.saw_Adobe_marker != 0))
        throw EJPEG(DecodeFailure(decoder.error));
    return image;
}

std::vector<uint8_t> JpegEncode(const TBgrImage& image, int quality)
{
    if (image.Empty())
        throw EJPEG("Ein leeres Bild kann nicht als JPEG gespeichert werden.");
    if (image.Width > static_cast<int>(JPEG_MAX_DIMENSION) || image.Height > static_cast<int>(JPEG_MAX_DIMENSION))
        throw EJPEG("Das Bild ist für das JPEG-Format zu groß.");
    if (image.Pixels.size() < image.Stride() * static_cast<size_t>(image.Height))
        throw EJPEG("Die Bilddaten sind unvollständig.");

    Compressor encoder;
    if (!WritePixels(&encoder.info, &encoder.error, &encoder.dest, image.Pixels.data(), image.Stride(),
                     image.Width, image.Height, std::clamp(quality, 1, 100))) {
        if (encoder.error.pub.msg_code == JERR_OUT_OF_MEMORY)
            throw EJPEG("Für das JPEG-Bild ist nicht genügend Speicher frei.");
        throw EJPEG("Das JPEG-Bild kann nicht erzeugt werden (Fehler Nr. " +
                    std::to_string(encoder.error.pub.msg_code) + ").");
    }
    return std::vector<uint8_t>(encoder.dest.buffer, encoder.dest.buffer + encoder.dest.length);
}
