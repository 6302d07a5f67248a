#pragma once
// The key filters of the setting edit fields: each typed character is judged
// before it enters the field's text. This is the decision alone, free of any
// window toolkit; app/EditField applies it to a real field.
//
// A filter sees the field's current text, whether part of it is selected, and
// the typed character (Backspace is 8, Enter is 13; keys that type nothing,
// such as arrows or Delete, never reach a filter). It answers one of:
//   Pass     - the character goes into the text as usual;
//   Swallow  - the character is dropped without a word;
//   Refuse   - the character is dropped after a message box (text, caption, icon);
//   Commit   - the character is dropped and the field is committed (the focus
//              moves to the focus sink). Enter always answers Commit.
//
// Texts are 8-bit characters as the pager stores them; "trimmed" means
// without leading and trailing characters up to and including the blank.

#include <string_view>

namespace km640 {

enum class KeyFilterKind {
    Digit,         // digits; anything else refused with "Please insert a numeric  !"
    StrictDigit,   // digits only, Backspace refused too ("Please insert a numeric!", KM640)
    CountedDigit,  // digits until the trimmed text has limit characters, then commit
    Decimal,       // a number with at most limit digits after the point
    Text,          // any character until limit characters, then commit
    ToneLetter,    // A-D, a-d and "-" until limit steps, then commit
    Bit,           // "0" and "1" until limit steps, then commit
};

struct KeyFilter {
    KeyFilterKind kind = KeyFilterKind::Digit;
    int limit = 0;                 // characters (Counted, Text, ToneLetter, Bit) or decimals (Decimal)
    bool backspaceCounts = false;  // Text: Backspace is judged like any other character

    static constexpr KeyFilter digit() { return {KeyFilterKind::Digit}; }
    static constexpr KeyFilter strictDigit() { return {KeyFilterKind::StrictDigit}; }
    static constexpr KeyFilter countedDigit(int n) { return {KeyFilterKind::CountedDigit, n}; }
    static constexpr KeyFilter decimal(int decimals) { return {KeyFilterKind::Decimal, decimals}; }
    // The name, logo and address-name fields; the menu-prompt fields count
    // Backspace as a character, so a full prompt commits on it.
    static constexpr KeyFilter text(int width = 12, bool backspaceCounts = false) {
        return {KeyFilterKind::Text, width, backspaceCounts};
    }
    static constexpr KeyFilter toneLetter() { return {KeyFilterKind::ToneLetter, 8}; }
    static constexpr KeyFilter bit() { return {KeyFilterKind::Bit, 8}; }
};

enum class KeyMessageIcon { Error, Warning };

struct KeyMessage {
    std::string_view text;
    std::string_view caption;
    KeyMessageIcon icon;
};

enum class KeyVerdict { Pass, Swallow, Refuse, Commit };

struct KeyDecision {
    KeyVerdict verdict;
    KeyMessage message{};  // set for Refuse only
};

constexpr char32_t kKeyBackspace = 8;
constexpr char32_t kKeyEnter = 13;

// Judges one typed character. text is the field's whole current text.
KeyDecision FilterKey(const KeyFilter& filter, std::string_view text, bool hasSelection, char32_t key);

// The text without leading and trailing characters up to the blank (0x20).
std::string_view TrimBlanks(std::string_view text);

}  // namespace km640
