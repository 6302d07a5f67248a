#include "settings/AlertCoding.h"

#include <cctype>

#include "codeplug/KeyFilters.h"

namespace km640::alerts {

namespace {

constexpr char kLetters[] = {'A', 'B', 'C', 'D'};
constexpr char kRestLetter = '-';

std::optional<char> letterOf(std::uint8_t step) {
    if (step < std::size(kLetters)) return kLetters[step];
    if (step == kRestStep) return kRestLetter;
    return std::nullopt;
}

std::uint8_t stepOf(char letter) {
    for (std::uint8_t k = 0; k < std::size(kLetters); ++k)
        if (kLetters[k] == letter) return k;
    return letter == kRestLetter ? kRestStep : 0;
}

std::string filled(std::string_view typed, char filler) {
    std::string s(TrimBlanks(typed).substr(0, kSteps));
    s.resize(kSteps, filler);
    return s;
}

}  // namespace

std::uint16_t TonalityDivider(int hz) { return static_cast<std::uint16_t>(kToneClock / hz); }

std::array<std::uint8_t, 2> TonalityHzBytes(int hz) {
    return {static_cast<std::uint8_t>(hz / 100), static_cast<std::uint8_t>(hz % 100)};
}

int TonalityShownHz(std::uint8_t first, std::uint8_t second) { return first * 100 + second; }

std::string PatternLetters(std::span<const std::uint8_t> tones4) {
    std::string text;
    for (std::uint8_t b : tones4)
        for (std::uint8_t step : {std::uint8_t(b >> 4), std::uint8_t(b & 0x0F)}) {
            const auto letter = letterOf(step);
            if (!letter) return text;
            text += *letter;
        }
    return text;
}

std::string PatternLettersFilled(std::string_view typed) {
    std::string s = filled(typed, kRestLetter);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::array<std::uint8_t, 4> PatternToneBytes(std::string_view letters8) {
    // A short text rests for its missing steps.
    auto step = [&](std::size_t k) { return k < letters8.size() ? stepOf(letters8[k]) : kRestStep; };
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<std::uint8_t>(step(2 * k) << 4 | step(2 * k + 1));
    return bytes;
}

std::string StepBitsText(std::uint8_t steps) {
    std::string text;
    for (int bit = kSteps - 1; bit >= 0; --bit) text += (steps >> bit) & 1 ? '1' : '0';
    return text;
}

std::string StepBitsFilled(std::string_view typed) { return filled(typed, '0'); }

StepBitsParse StepBitsByte(std::string_view steps8) {
    std::uint8_t byte = 0;
    for (std::size_t k = 0; k < steps8.size() && k < kSteps; ++k) {
        const char c = steps8[k];
        if (c != '0' && c != '1') return {std::nullopt, c};
        if (c == '1') byte |= static_cast<std::uint8_t>(0x80 >> k);
    }
    return {byte};
}

}  // namespace km640::alerts
