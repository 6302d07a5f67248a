#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "codeplug/EntryNumber.h"
#include "codeplug/KeyFilters.h"

using namespace km640;

namespace {

struct KeyCase {
    const char* what;
    KeyFilter filter;
    const char* text;
    bool selected;
    char32_t key;
    KeyVerdict verdict;
    const char* message;  // expected message text for Refuse
};

constexpr char32_t BS = kKeyBackspace;
constexpr char32_t CR = kKeyEnter;
using V = KeyVerdict;

const KeyFilter kDigit = KeyFilter::digit();
const KeyFilter kStrict = KeyFilter::strictDigit();
const KeyFilter kPassword = KeyFilter::countedDigit(4);
const KeyFilter kFrequency = KeyFilter::countedDigit(7);
const KeyFilter kOneDecimal = KeyFilter::decimal(1);
const KeyFilter kTwoDecimals = KeyFilter::decimal(2);
const KeyFilter kName = KeyFilter::text();
const KeyFilter kPrompt = KeyFilter::text(12, true);
const KeyFilter kTones = KeyFilter::toneLetter();
const KeyFilter kBits = KeyFilter::bit();

const char* kNumeric = "Please insert a numeric  !";
const char* kStrictNumeric = "Please insert a numeric!";
const char* kToneMsg = "Please input A~D or - !";
const char* kBitMsg = "Please input 0~1 !";

const KeyCase kCases[] = {
    {"digit passes", kDigit, "12", false, U'7', V::Pass, nullptr},
    {"digit backspace", kDigit, "12", false, BS, V::Pass, nullptr},
    {"digit letter", kDigit, "12", false, U'a', V::Refuse, kNumeric},
    {"digit point", kDigit, "", false, U'.', V::Refuse, kNumeric},
    {"digit blank", kDigit, "1", false, U' ', V::Refuse, kNumeric},
    {"digit enter", kDigit, "1", false, CR, V::Commit, nullptr},
    {"digit no length limit", kDigit, "123456789", false, U'0', V::Pass, nullptr},

    {"strict digit", kStrict, "", false, U'0', V::Pass, nullptr},
    {"strict backspace", kStrict, "12", false, BS, V::Refuse, kStrictNumeric},
    {"strict minus", kStrict, "", false, U'-', V::Refuse, kStrictNumeric},
    {"strict enter", kStrict, "12", false, CR, V::Commit, nullptr},

    {"counted below limit", kPassword, "123", false, U'4', V::Pass, nullptr},
    {"counted letter below limit", kPassword, "12", false, U'x', V::Refuse, kNumeric},
    {"counted full commits digit", kPassword, "1234", false, U'5', V::Commit, nullptr},
    {"counted full commits letter", kPassword, "1234", false, U'x', V::Commit, nullptr},
    {"counted full backspace", kPassword, "1234", false, BS, V::Pass, nullptr},
    {"counted trims blanks", kPassword, " 123 ", false, U'4', V::Pass, nullptr},
    {"counted frequency full", kFrequency, "1520000", false, U'0', V::Commit, nullptr},
    {"counted enter when empty", kPassword, "", false, CR, V::Commit, nullptr},

    {"decimal point into empty", kOneDecimal, "", false, U'.', V::Swallow, nullptr},
    {"decimal point after digits", kOneDecimal, "12", false, U'.', V::Pass, nullptr},
    {"decimal digit after point", kOneDecimal, "12.", false, U'5', V::Pass, nullptr},
    {"decimal digit over decimals", kOneDecimal, "12.5", false, U'3', V::Swallow, nullptr},
    {"decimal backspace at full", kOneDecimal, "12.5", false, BS, V::Pass, nullptr},
    {"decimal second point", kOneDecimal, "12.", false, U'.', V::Swallow, nullptr},
    {"decimal letter silent", kOneDecimal, "12", false, U'a', V::Swallow, nullptr},
    {"decimal two places", kTwoDecimals, "2.5", false, U'5', V::Pass, nullptr},
    {"decimal two places full", kTwoDecimals, "2.55", false, U'1', V::Swallow, nullptr},
    {"decimal enter", kOneDecimal, "12.5", false, CR, V::Commit, nullptr},

    {"text below width", kName, "Profile 1", false, U'x', V::Pass, nullptr},
    {"text full commits", kName, "Profile 1   ", false, U'x', V::Commit, nullptr},
    {"text full with selection", kName, "Profile 1   ", true, U'x', V::Pass, nullptr},
    {"text full backspace", kName, "ABCDEFGHIJKL", false, BS, V::Pass, nullptr},
    {"prompt full backspace", kPrompt, "ABCDEFGHIJKL", false, BS, V::Commit, nullptr},
    {"prompt short backspace", kPrompt, "ABC", false, BS, V::Pass, nullptr},
    {"text counts blanks", kName, "           ", false, U'x', V::Pass, nullptr},
    {"text enter", kName, "", false, CR, V::Commit, nullptr},

    {"tone letter upper", kTones, "AB", false, U'D', V::Pass, nullptr},
    {"tone letter lower", kTones, "AB", false, U'c', V::Pass, nullptr},
    {"tone pause", kTones, "A", false, U'-', V::Pass, nullptr},
    {"tone letter E", kTones, "A", false, U'E', V::Refuse, kToneMsg},
    {"tone full", kTones, "ABCDABCD", false, U'A', V::Commit, nullptr},
    {"tone full other", kTones, "ABCDABCD", false, U'x', V::Commit, nullptr},
    {"tone backspace", kTones, "ABCDABCD", false, BS, V::Pass, nullptr},

    {"bit one", kBits, "101", false, U'1', V::Pass, nullptr},
    {"bit two", kBits, "101", false, U'2', V::Refuse, kBitMsg},
    {"bit full", kBits, "00010001", false, U'0', V::Commit, nullptr},
    {"bit enter", kBits, "0", false, CR, V::Commit, nullptr},
};

}  // namespace

TEST(KeyFilters, Table) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        const KeyDecision d = FilterKey(c.filter, c.text, c.selected, c.key);
        EXPECT_EQ(d.verdict, c.verdict);
        if (c.verdict == V::Refuse) {
            EXPECT_EQ(std::string(d.message.text), c.message);
        }
    }
}

TEST(KeyFilters, MessageCaptionsAndIcons) {
    struct Case { KeyFilter filter; const char* caption; KeyMessageIcon icon; };
    const Case cases[] = {
        {kDigit, "Warning!", KeyMessageIcon::Error},
        {kPassword, "Warning!", KeyMessageIcon::Error},
        {kTones, "Warning!", KeyMessageIcon::Error},
        {kBits, "Warning!", KeyMessageIcon::Error},
        {kStrict, "KM640", KeyMessageIcon::Warning},
    };
    for (const auto& c : cases) {
        const KeyDecision d = FilterKey(c.filter, "", false, U'x');
        ASSERT_EQ(d.verdict, V::Refuse);
        EXPECT_EQ(std::string(d.message.caption), c.caption);
        EXPECT_EQ(d.message.icon, c.icon);
    }
}

TEST(EntryNumber, WholeNumbers) {
    struct Case { const char* text; std::optional<int> value; };
    const Case cases[] = {
        {"007", 7}, {"0", 0}, {"255", 255}, {" 12 ", 12}, {"-5", -5}, {"+3", 3},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"99999999999999999999", std::nullopt},
        {"", std::nullopt}, {"   ", std::nullopt}, {"12a", std::nullopt}, {"1 2", std::nullopt},
        {"1.5", std::nullopt}, {"-", std::nullopt}, {"0x10", std::nullopt}, {"+-1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseWholeNumber(c.text), c.value);
    }
}

TEST(EntryNumber, DecimalNumbers) {
    const std::string tooLong(400, '9');
    struct Case { const char* text; std::optional<double> value; };
    const Case cases[] = {
        {"12.5", 12.5}, {"7", 7.0}, {".5", 0.5}, {"3.", 3.0}, {" 0.45 ", 0.45}, {"-1.5", -1.5},
        {"", std::nullopt}, {".", std::nullopt}, {"1.2.3", std::nullopt}, {"1e3", std::nullopt},
        {"inf", std::nullopt}, {"nan", std::nullopt}, {"12,5", std::nullopt},
        {tooLong.c_str(), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDecimalNumber(c.text), c.value);
    }
}

// What a tone, a squelch threshold and a decimal field are read with: the
// numbers C++ writes, nothing around them, the same whatever the locale.
TEST(EntryNumber, FloatingPoint) {
    struct Case {
        const char* text;
        std::optional<double> value;
    } const cases[] = {
        {"1285.8", 1285.8}, {"-0.5", -0.5}, {".5", 0.5}, {"3.", 3.0}, {"1e3", 1000.0}, {"2.5E-1", 0.25},
        {"0.1", 0.1}, {"12345678901234567890", 12345678901234567890.0}, {"1E+2", 100.0},
        {"", std::nullopt}, {".", std::nullopt}, {"-", std::nullopt}, {"+1", std::nullopt}, {" 1", std::nullopt},
        {"1 ", std::nullopt}, {"1,5", std::nullopt}, {"1e", std::nullopt}, {"1e+", std::nullopt},
        {"0x10", std::nullopt}, {"1.2.3", std::nullopt}, {"1e400", std::nullopt}, {"--1", std::nullopt},
        {"infinit", std::nullopt}, {"nan(", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseFloatingPoint(c.text), c.value);
    }
    for (const char* text : {"inf", "-INF", "Infinity"}) EXPECT_TRUE(std::isinf(ParseFloatingPoint(text).value())) << text;
    for (const char* text : {"nan", "NaN", "nan(x_1)", "-nan"}) EXPECT_TRUE(std::isnan(ParseFloatingPoint(text).value())) << text;
}

TEST(EntryNumber, Messages) {
    EXPECT_EQ(NotAWholeNumberMessage("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(NotADecimalNumberMessage("1.2.3"), "'1.2.3' is not a valid floating point value");
}
