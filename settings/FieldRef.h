#pragma once
// A field of the memory map, looked up by name once when a page is built and
// then read and written with the image's bit access.

#include <cstdint>
#include <string_view>

#include "codeplug/CodePlugImage.h"

namespace km640 {

struct FieldRef {
    int offset = 0;
    int shift = 0;
    int width = 8;
    int length = 1;

    // Throws std::out_of_range for a name the memory map does not know, so a
    // misspelt field stops the program at start, not at the first refresh.
    static FieldRef of(std::string_view name);
    static FieldRef of(std::string_view pattern, int index, int subIndex = 0);

    // One bit of a multi-bit field (bit k of a set of menu items or switches).
    FieldRef bit(int k) const { return {offset, shift + k, 1, 1}; }

    std::uint8_t get(const CodePlugImage& image) const { return image.GetBits(offset, shift, width); }
    void set(CodePlugImage& image, std::uint8_t value) const { image.SetBits(offset, shift, value, width); }
};

}  // namespace km640
