#pragma once
// The texts the pager shows in its menus and at power-on: fifteen menu
// prompts and two logo lines of 12 characters each, blank filled. Prompts
// 13 and 14 ("PAGE", "PAGES") follow a five-character message count on the
// pager's display, so only their last seven characters can be edited and the
// first five are always blanks. Free of the window toolkit.

#include <array>
#include <string>
#include <string_view>

namespace km640::prompts {

constexpr int kPrompts = 15;
constexpr int kTextWidth = 12;
// Prompts from this one on keep their first five characters for the count.
constexpr int kFirstCountedPrompt = 13;
constexpr int kCountWidth = 5;

// The labels beside the prompt fields.
constexpr std::array<std::string_view, kPrompts> kPromptLabels{
    "Key In Password",  "CLEAR READ MESSAGE", "Clear All Message", "SET DATE", "Select Function Alert",
    "Set New ID Code",  "SET CONTRAST",       "SEL PROFILE",       "SET TIME", "CLEARING MESSAGE",
    "YES",              "NO",                 "NO PAGES",          "PAGE",     "PAGES"};
// Prompts whose fields sit on the page that is never shown.
constexpr bool PromptHidden(int k) { return k == 0 || k == 2 || k == 4 || k == 5; }

// How many characters prompt k's field takes: 12, or 7 for prompts 13 and 14.
constexpr int PromptFieldWidth(int k) { return k >= kFirstCountedPrompt ? kTextWidth - kCountWidth : kTextWidth; }

// A typed text as stored: blank when it holds nothing but blanks, otherwise
// as typed (leading blanks kept), cut or blank-filled to 12 characters.
std::string StoredText(std::string_view typed);
// Prompt k's field text as stored: prompts 13 and 14 behind five blanks.
std::string StoredPrompt(int k, std::string_view fieldText);
// What prompt k's field shows of its 12 stored characters: without trailing
// blanks; prompts 13 and 14 only their last seven characters.
std::string ShownPrompt(int k, std::string_view stored);

enum class Alignment { Left, Centre, Right };
// A field text aligned within the field's width; the text is trimmed first.
std::string AlignedText(Alignment alignment, int width, std::string_view text);

}  // namespace km640::prompts
