#include "app/shell/jpeg_image.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lognex {
namespace {

std::vector<std::uint8_t> Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kData = std::string(LOGNEX_SOURCE_DIR) + "/tests/app/shell/data/";

TEST(JpegImageTest, DecodesColourAndGreyPicturesToRgb) {
    const DecodedJpeg red = DecodeJpeg(Load(kData + "red_6x2.jpg"));
    ASSERT_EQ(red.width, 6);
    ASSERT_EQ(red.height, 2);
    ASSERT_EQ(red.rgb.size(), 6u * 2u * 3u);
    EXPECT_GT(red.rgb[0], 240);
    EXPECT_LT(red.rgb[1], 16);
    EXPECT_LT(red.rgb[2], 16);

    // Grey pictures come out as RGB too; left half black, right half white.
    const DecodedJpeg grey = DecodeJpeg(Load(kData + "gray_8x4.jpg"));
    ASSERT_EQ(grey.width, 8);
    ASSERT_EQ(grey.height, 4);
    const auto pixel = [&](int x, int y) { return grey.rgb[static_cast<std::size_t>((y * 8 + x) * 3)]; };
    EXPECT_LT(pixel(0, 3), 40);
    EXPECT_GT(pixel(7, 3), 215);
    EXPECT_EQ(grey.rgb[3 * 9], grey.rgb[3 * 9 + 2]);
}

TEST(JpegImageTest, TheAboutBackgroundDecodesAt400By300) {
    const QByteArray bytes = [] {
        const auto raw = Load(std::string(LOGNEX_SOURCE_DIR) + "/pictures/about_background.jpg");
        return QByteArray(reinterpret_cast<const char*>(raw.data()), static_cast<qsizetype>(raw.size()));
    }();
    const QImage image = DecodeJpegImage(bytes);
    EXPECT_EQ(image.size(), QSize(400, 300));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
}

TEST(JpegImageTest, BadDataIsAnErrorNotACrash) {
    const std::vector<std::uint8_t> good = Load(kData + "red_6x2.jpg");
    ASSERT_FALSE(good.empty());

    std::vector<std::uint8_t> notJpeg(64, 0x41);
    std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 4);
    // A header claiming a huge picture must be refused before any allocation.
    std::vector<std::uint8_t> huge = good;
    for (std::size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {  // start of frame: height and width follow
            huge[i + 5] = 0xFF;
            huge[i + 6] = 0xFF;
            huge[i + 7] = 0xFF;
            huge[i + 8] = 0xFF;
            break;
        }
    }
    for (const auto* bytes : {&notJpeg, &headerOnly, &huge}) {
        EXPECT_THROW(DecodeJpeg(*bytes), JpegError);
    }
    EXPECT_THROW(DecodeJpeg({}), JpegError);
    EXPECT_THROW(DecodeJpegImage(QByteArray("garbage")), JpegError);
}

}  // namespace
}  // namespace lognex
