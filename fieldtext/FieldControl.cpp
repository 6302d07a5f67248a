#include "fieldtext/FieldControl.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldLabel.h"
#include "fieldtext/FieldTextRules.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/MessageLine.h"
#include "fieldtext/ShownSetting.h"

namespace km640::fieldtext {

namespace {

using memmap::Encoding;
using memmap::Field;

constexpr std::string_view kKindNames[] = {"frequency", "tone", "list", "check", "set", "text", "number", "shown"};

std::vector<std::string> labelParts(const std::string& label) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = label.find(kLabelSeparator, start)) != std::string::npos;
         start = at + kLabelSeparator.size())
        parts.push_back(label.substr(start, at - start));
    parts.push_back(label.substr(start));
    return parts;
}

int pageIndex(std::string_view page) {
    const auto at = std::find(kWindowPages.begin(), kWindowPages.end(), page);
    return at == kWindowPages.end() ? -1 : static_cast<int>(at - kWindowPages.begin());
}

ControlKind kindOf(const Field& field) {
    if (field.derived()) return ControlKind::Shown;
    if (shownSetting(CodePlugImage{}, field)) return ControlKind::List;
    switch (field.encoding) {
    case Encoding::BcdFrequency: return ControlKind::Frequency;
    case Encoding::BcdTone: return ControlKind::Tone;
    case Encoding::Flag: return ControlKind::Check;
    case Encoding::BitSet: return ControlKind::Set;
    case Encoding::Text:
    case Encoding::ZeroPaddedText: return ControlKind::Text;
    default: return ControlKind::Number;
    }
}

FieldControl controlOf(const Field& field) {
    FieldControl control;
    control.field = &field;
    const std::vector<std::string> parts = labelParts(fieldLabel(field));
    control.page = parts.front();
    control.label = parts.back();
    for (std::size_t k = 1; k + 1 < parts.size(); ++k)
        control.group += (control.group.empty() ? "" : std::string(kLabelSeparator)) + parts[k];
    if (control.group.empty()) control.group = control.label;
    control.order = labelOrder(field);
    control.kind = kindOf(field);
    if (control.kind == ControlKind::Text) control.width = field.length;
    if (control.kind == ControlKind::Set) control.width = field.length * field.width;
    return control;
}

std::vector<FieldControl> buildControls() {
    std::vector<FieldControl> controls;
    for (const Field& field : memmap::fields()) {
        if (field.aggregate() || !(shownByWindow(field) || field.derived())) continue;
        FieldControl control = controlOf(field);
        if (pageIndex(control.page) >= 0) controls.push_back(std::move(control));
    }
    // Within a page the window's order of the declarations, element by
    // element; a group box stands where its first control does.
    const auto byDeclaration = [](const FieldControl& a, const FieldControl& b) {
        const auto key = [](const FieldControl& c) {
            return std::tuple(pageIndex(c.page), c.order, c.field->index, c.field->subIndex);
        };
        return key(a) < key(b);
    };
    std::stable_sort(controls.begin(), controls.end(), byDeclaration);
    std::map<std::pair<std::string, std::string>, std::size_t> groupAt;
    for (std::size_t k = 0; k < controls.size(); ++k) groupAt.emplace(std::pair(controls[k].page, controls[k].group), k);
    std::stable_sort(controls.begin(), controls.end(), [&](const FieldControl& a, const FieldControl& b) {
        return std::tuple(pageIndex(a.page), groupAt.at({a.page, a.group})) <
               std::tuple(pageIndex(b.page), groupAt.at({b.page, b.group}));
    });
    return controls;
}

bool saysDisabled(const std::string& message) { return message.find("disabled") != std::string::npos; }

// The rule's refusal of text in trial, when it says the control is disabled,
// as a commit of the field gives it. The rule is called on the field itself:
// a page's lists and sets are tried entry by entry after every commit.
std::optional<std::string> disabledRefusal(CodePlugImage trial, const Field& field, const std::string& text) {
    const Outcome outcome = applyFieldRule(trial, field, text);
    if (outcome.refusal && saysDisabled(*outcome.refusal)) return messageLine(*outcome.refusal);
    return std::nullopt;
}

}  // namespace

std::string_view controlKindName(ControlKind kind) { return kKindNames[static_cast<int>(kind)]; }

const std::vector<FieldControl>& windowControls() {
    static const std::vector<FieldControl> controls = buildControls();
    return controls;
}

std::optional<std::string> controlDisabled(const CodePlugImage& image, const Field& field) {
    if (!shownByWindow(field)) return std::string("The program works this value out from other settings");
    std::vector<std::string> trials = {valueText(image, field)};
    if (field.encoding == Encoding::Flag) trials = {"on", "off"};
    for (const std::string& text : trials)
        if (auto why = disabledRefusal(image, field, text)) return why;
    return std::nullopt;
}

std::vector<std::string> controlChoices(const CodePlugImage& image, const FieldControl& control) {
    if (control.kind != ControlKind::List) return {};
    return shownEntries(image, *control.field);
}

std::optional<NumberRange> controlRange(const CodePlugImage& image, const FieldControl& control) {
    if (control.kind == ControlKind::Shown) return std::nullopt;
    return fieldRuleRange(image, *control.field);
}

namespace {

// A box of a set is disabled when clicking it is refused as disabled both
// with the other boxes as they are and with every other box cleared. The
// second trial keeps a box that other boxes need ("Keyin Password" while
// "Set Password" is on) usable, as the window's box is, whose click clears
// the boxes that need it.
std::vector<std::string> setItemsDisabled(const CodePlugImage& image, const Field& field, int width) {
    const auto bits = memmap::readNumber(image, field);
    std::vector<std::string> out(static_cast<std::size_t>(width));
    bool any = false;
    for (int k = 0; k < width; ++k) {
        const std::uint32_t item = 1u << k;
        const auto asIs = disabledRefusal(image, field, bitSetText(bits ^ item, width));
        if (!asIs) continue;
        CodePlugImage alone = image;
        storeNumber(alone, field, bits & item);
        if (!disabledRefusal(alone, field, bitSetText((bits & item) ^ item, width))) continue;
        out[static_cast<std::size_t>(k)] = *asIs;
        any = true;
    }
    return any ? out : std::vector<std::string>{};
}

// An entry of a list is disabled when choosing it is refused as disabled.
std::vector<std::string> entriesDisabled(const CodePlugImage& image, const Field& field,
                                         const std::vector<std::string>& choices) {
    std::vector<std::string> out(choices.size());
    bool any = false;
    const std::string present = valueText(image, field);
    for (std::size_t k = 0; k < choices.size(); ++k) {
        if (choices[k] == present) continue;
        if (auto why = disabledRefusal(image, field, choices[k])) {
            out[k] = std::move(*why);
            any = true;
        }
    }
    return any ? out : std::vector<std::string>{};
}

}  // namespace

std::vector<std::string> controlItemsDisabled(const CodePlugImage& image, const FieldControl& control,
                                              const std::vector<std::string>& choices) {
    // A control disabled as a whole has no single items to disable.
    if (controlDisabled(image, *control.field)) return {};
    if (control.kind == ControlKind::Set) return setItemsDisabled(image, *control.field, control.width);
    if (control.kind == ControlKind::List) return entriesDisabled(image, *control.field, choices);
    return {};
}

}  // namespace km640::fieldtext
