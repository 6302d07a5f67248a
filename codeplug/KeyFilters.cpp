#include "codeplug/KeyFilters.h"

namespace km640 {

namespace {

constexpr KeyMessage kDigitMessage{"Please insert a numeric  !", "Warning!", KeyMessageIcon::Error};
constexpr KeyMessage kStrictDigitMessage{"Please insert a numeric!", "KM640", KeyMessageIcon::Warning};
constexpr KeyMessage kToneLetterMessage{"Please input A~D or - !", "Warning!", KeyMessageIcon::Error};
constexpr KeyMessage kBitMessage{"Please input 0~1 !", "Warning!", KeyMessageIcon::Error};

bool isDigit(char32_t key) { return key >= U'0' && key <= U'9'; }

bool isToneLetter(char32_t key) {
    return (key >= U'A' && key <= U'D') || (key >= U'a' && key <= U'd') || key == U'-';
}

bool isBit(char32_t key) { return key == U'0' || key == U'1'; }

KeyDecision pass() { return {KeyVerdict::Pass}; }
KeyDecision swallow() { return {KeyVerdict::Swallow}; }
KeyDecision commit() { return {KeyVerdict::Commit}; }
KeyDecision refuse(const KeyMessage& m) { return {KeyVerdict::Refuse, m}; }

int length(std::string_view s) { return static_cast<int>(s.size()); }

// Fields whose steps are counted: the allowed characters go in until the
// trimmed text is full, then any character commits the field.
KeyDecision counted(std::string_view text, char32_t key, int limit, bool (*allowed)(char32_t),
                    const KeyMessage& message) {
    if (key == kKeyBackspace) return pass();
    if (length(TrimBlanks(text)) >= limit) return commit();
    return allowed(key) ? pass() : refuse(message);
}

KeyDecision decimal(std::string_view text, char32_t key, int decimals) {
    if (key == kKeyBackspace) return pass();
    const auto point = text.find('.');
    if (point == std::string_view::npos) {
        if (isDigit(key)) return pass();
        if (key == U'.') return text.empty() ? swallow() : pass();
        return swallow();
    }
    const int after = length(text) - static_cast<int>(point) - 1;
    return isDigit(key) && after < decimals ? pass() : swallow();
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    return text;
}

KeyDecision FilterKey(const KeyFilter& filter, std::string_view text, bool hasSelection, char32_t key) {
    // Enter never enters a setting field: it commits, whatever the length.
    if (key == kKeyEnter) return commit();

    switch (filter.kind) {
    case KeyFilterKind::Digit:
        return key == kKeyBackspace || isDigit(key) ? pass() : refuse(kDigitMessage);
    case KeyFilterKind::StrictDigit:
        return isDigit(key) ? pass() : refuse(kStrictDigitMessage);
    case KeyFilterKind::CountedDigit:
        return counted(text, key, filter.limit, isDigit, kDigitMessage);
    case KeyFilterKind::Decimal:
        return decimal(text, key, filter.limit);
    case KeyFilterKind::Text:
        if (key == kKeyBackspace && !filter.backspaceCounts) return pass();
        return length(text) < filter.limit || hasSelection ? pass() : commit();
    case KeyFilterKind::ToneLetter:
        return counted(text, key, filter.limit, isToneLetter, kToneLetterMessage);
    case KeyFilterKind::Bit:
        return counted(text, key, filter.limit, isBit, kBitMessage);
    }
    return swallow();
}

}  // namespace km640
