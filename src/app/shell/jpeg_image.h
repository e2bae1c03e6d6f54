// JPEG pictures decoded with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "support/error.h"

namespace lognex {

// A picture that libjpeg refused; the text is libjpeg's own message.
class JpegError : public Error {
public:
    using Error::Error;
};

struct DecodedJpeg {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height pixels, 3 bytes each, rows top down
};

// Decodes a whole JPEG file held in memory, grey pictures included. Throws
// JpegError for data libjpeg cannot read and for pictures over 64 megapixels.
DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> bytes);

// The same as a QImage (RGB888).
QImage DecodeJpegImage(const QByteArray& bytes);

}  // namespace lognex
