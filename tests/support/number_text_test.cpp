#include "support/number_text.h"

#include <gtest/gtest.h>

#include "support/error.h"

namespace lognex {
namespace {

TEST(ParseInteger, DecimalAndHexadecimalForms) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    } cases[] = {
        {"17", 17},
        {"  04", 4},
        {"+5", 5},
        {"-12", -12},
        {"$1F", 31},
        {"x10", 16},
        {"X10", 16},
        {"0x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$123456789", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12 ", std::nullopt},
        {"1x", std::nullopt},
        {"+-1", std::nullopt},
        {"$G", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryParseInteger(c.text), c.expected) << "[" << c.text << "]";
}

TEST(ParseInteger, FailureQuotesTheText) {
    try {
        ParseInteger("1 7");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'1 7' is not a valid integer value");
    }
}

}  // namespace
}  // namespace lognex
