#pragma once
// The window's controls described without the window: which fields a page
// shows, on which of the window's pages and group boxes, as what kind of
// control, whether the control can be used right now and why not. An editor
// that is not the Qt window (the browser page) builds its pages from this, so
// it shows what the window shows and commits through the same rules.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/NumberRange.h"

namespace km640::fieldtext {

// The window's pages in the order of its tabs (the Debug page stays hidden).
inline constexpr std::array<std::string_view, 7> kWindowPages = {
    "Profiles", "Channel F1", "Channel F2", "Status Setting", "Menu & Alert Patterns", "Advance", "System",
};

enum class ControlKind {
    Frequency,  // a channel frequency in units of 100 Hz
    Tone,       // a tone in Hz with one decimal
    List,       // a list, radio buttons or a coded setting: one of the choices
    Check,      // a check box: on or off
    Set,        // a row of check boxes: "{0,2}"
    Text,       // an 8-bit text of a fixed width
    Number,     // any other number the window takes as typed
    Shown,      // a value the program works out and shows (synthesizer words, menu counts)
};
std::string_view controlKindName(ControlKind kind);

struct FieldControl {
    const memmap::Field* field = nullptr;
    std::string page, group, label;  // the window's names; group may hold " › " for nested boxes
    int order = 0;                   // the window's order of the declaration
    ControlKind kind = ControlKind::Number;
    int width = 0;                   // the characters of a text, the items of a set
};

// Every field the window shows on one of its pages, in page order, then in
// the window's order within the page.
const std::vector<FieldControl>& windowControls();

// Why the window's control of the field cannot be used now (a channel
// switched off by "One Channel", an address not in use, a profile that is
// off, ...), or nothing when it can. Found by the field's own rule: a control
// whose rule refuses its present value, or for a check box either state, as
// disabled is disabled.
std::optional<std::string> controlDisabled(const CodePlugImage& image, const memmap::Field& field);

// The entries of a list control as the window shows them now.
std::vector<std::string> controlChoices(const CodePlugImage& image, const FieldControl& control);

// The values a number control's rule takes now (a frequency, a tone, a
// delay, a time, a threshold); nothing for the other controls.
std::optional<NumberRange> controlRange(const CodePlugImage& image, const FieldControl& control);

// For each entry of a list (in the order of choices) or each item of a set:
// why the window disables that one entry or box now ("Set Password" while
// "Keyin Password" is off, the radio button of a profile that is off), or an
// empty text where it can be used. Found by the field's rule, as
// controlDisabled is; empty when no single item is disabled.
std::vector<std::string> controlItemsDisabled(const CodePlugImage& image, const FieldControl& control,
                                              const std::vector<std::string>& choices);

}  // namespace km640::fieldtext
