#include "settings/PromptText.h"

#include <algorithm>

#include "codeplug/CodePlugImage.h"
#include "codeplug/KeyFilters.h"

namespace km640::prompts {

std::string StoredText(std::string_view typed) {
    std::string s = TrimBlanks(typed).empty() ? std::string() : std::string(typed.substr(0, kTextWidth));
    s.resize(kTextWidth, ' ');
    return s;
}

std::string StoredPrompt(int k, std::string_view fieldText) {
    if (k < kFirstCountedPrompt) return StoredText(fieldText);
    return StoredText(std::string(kCountWidth, ' ') + std::string(fieldText));
}

std::string ShownPrompt(int k, std::string_view stored) {
    if (k >= kFirstCountedPrompt) stored = stored.substr(std::min<std::size_t>(kCountWidth, stored.size()));
    return displayText(stored);
}

std::string AlignedText(Alignment alignment, int width, std::string_view text) {
    const std::string_view t = TrimBlanks(text);
    const int room = std::max(0, width - static_cast<int>(t.size()));
    int lead = 0;
    if (alignment == Alignment::Centre) lead = room / 2;
    if (alignment == Alignment::Right) lead = room;
    return std::string(static_cast<std::size_t>(lead), ' ') + std::string(t);
}

}  // namespace km640::prompts
