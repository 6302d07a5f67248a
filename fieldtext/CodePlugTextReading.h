#pragma once
// Inside the code-plug text: its JSON read into what it gives, strictly. A
// member it does not know, a name given twice anywhere, a missing or
// misspelled "fields", a value of the wrong type, a field name that does not
// exist, reserved bytes that are not reserved or given twice are each listed
// with their place; nothing is guessed. CodePlugText.h is the interface to
// use.

#include <string>
#include <string_view>
#include <vector>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"

namespace km640::fieldtext {

// A field's value as the text gives it.
struct GivenValue {
    const memmap::Field* field;
    std::string text;
    std::string place;  // "line 12, column 5"
};

struct GivenBytes {
    int offset;
    std::vector<std::uint8_t> bytes;
    std::string place;
};

struct ReadText {
    int version = 0;
    std::vector<GivenValue> fields;     // "fields", in the text's order
    std::vector<GivenValue> rawFields;  // {"raw": "HEX"}: the bits of values the window's control cannot take
    std::vector<GivenBytes> reservedBytes;
    std::vector<FieldRefusal> problems;  // of the text's form, each with its place
    std::string error;                   // not code-plug text at all: why
};

ReadText readCodePlugText(std::string_view text);

}  // namespace km640::fieldtext
