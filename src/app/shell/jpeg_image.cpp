#include "app/shell/jpeg_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace lognex {
namespace {

constexpr std::uint64_t kMaxPixels = 64u * 1024u * 1024u;

// libjpeg reports a fatal error by calling error_exit, which must not return;
// it jumps back to the decoder with the message saved.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void ExitWithMessage(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings (such as a truncated file, whose missing rows come out grey) are
// not printed to the terminal.
extern "C" void IgnoreMessage(j_common_ptr) {}

// Owns the decompressor; destroying it releases everything libjpeg allocated.
struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager error{};
    Decompressor() {
        info.err = jpeg_std_error(&error.base);
        error.base.error_exit = ExitWithMessage;
        error.base.output_message = IgnoreMessage;
        error.message[0] = '\0';
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// Runs the libjpeg calls. Between setjmp and a longjmp back to it only plain
// data lives in this frame, so the jump skips no destructor; the output
// vector and the decompressor belong to the caller. Returns false with the
// message in decompressor.error when libjpeg gave up.
bool Decode(Decompressor& decompressor, const std::uint8_t* data, std::size_t size, DecodedJpeg& out) {
    jpeg_decompress_struct& info = decompressor.info;
    if (setjmp(decompressor.error.jump) != 0) return false;

    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_calc_output_dimensions(&info);
    const std::uint64_t pixels = std::uint64_t{info.output_width} * info.output_height;
    if (pixels == 0 || pixels > kMaxPixels) {
        std::snprintf(decompressor.error.message, sizeof decompressor.error.message,
                      "JPEG picture of %u x %u pixels is too large", info.output_width, info.output_height);
        return false;
    }
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(static_cast<std::size_t>(pixels) * 3);

    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * 3;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) throw JpegError("Empty JPEG data");
    Decompressor decompressor;
    DecodedJpeg out;
    if (!Decode(decompressor, bytes.data(), bytes.size(), out)) throw JpegError(decompressor.error.message);
    return out;
}

QImage DecodeJpegImage(const QByteArray& bytes) {
    const DecodedJpeg decoded = DecodeJpeg(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    QImage image(decoded.width, decoded.height, QImage::Format_RGB888);
    if (image.isNull()) throw JpegError("Not enough memory for the JPEG picture");
    const std::size_t stride = static_cast<std::size_t>(decoded.width) * 3;
    for (int y = 0; y < decoded.height; ++y) {
        std::memcpy(image.scanLine(y), decoded.rgb.data() + stride * static_cast<std::size_t>(y), stride);
    }
    return image;
}

}  // namespace lognex
