#include "web/EditorSession.h"

#include <algorithm>
#include <cstdio>

#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/CodePlugSource.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/EditorTexts.h"
#include "fieldtext/FieldControl.h"
#include "fieldtext/JsonWriter.h"
#include "fieldtext/MessageLine.h"
#include "fieldtext/Roster.h"
#include "pager/ScanDetector.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::web {

using namespace km640::fieldtext;

namespace {

// A small JSON builder for the page: compact, members in the order given.
// Texts of the code-plug are 8-bit and go out as \u00XX; the window's own
// names are UTF-8 and go out as they are.
class Json {
public:
    Json& open(char bracket) { return item(std::string(1, bracket), false); }
    Json& close(char bracket) {
        out_ += bracket;
        comma_ = true;
        return *this;
    }
    Json& key(std::string_view name) { return item(jsonString(name) + ":", false); }
    Json& text(std::string_view utf8) { return item(jsonString(utf8)); }
    Json& number(long long n) { return item(std::to_string(n)); }
    Json& number(double x, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, x);
        return item(text);
    }
    Json& flag(bool b) { return item(b ? "true" : "false"); }
    std::string str() const { return out_; }

private:
    // Appends s after a comma where one belongs; a value or a closed
    // bracket is followed by one, a key or an opened bracket is not.
    Json& item(const std::string& s, bool complete = true) {
        if (comma_) out_ += ',';
        out_ += s;
        comma_ = complete;
        return *this;
    }
    std::string out_;
    bool comma_ = false;
};

Json& messageList(Json& json, const std::vector<std::string>& lines) {
    json.key("messages").open('[');
    for (const auto& line : lines) json.text(line);
    return json.close(']');
}

// A new window's code-plug: the built-in one with the model text and the
// default thresholds, normalised as the window shows it.
CodePlugImage startingImage() {
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    BuildDefaultThresholds(image);
    normaliseCodePlug(image);
    return image;
}

}  // namespace

EditorSession::EditorSession()
    : image_(startingImage()), unchanged_(image_), shown_(windowControls().size()) {}

std::string EditorSession::pageOf(const std::string& name) {
    for (const FieldControl& control : windowControls())
        if (control.field->name == name) return control.page;
    return {};
}

std::string EditorSession::open(const std::string& bytes, const std::string& name) {
    const LoadedCodePlug loaded = loadCodePlugBytes(bytes, ProgrammedDefaultImage());
    Json json;
    json.open('{');
    if (const auto refusal = openingRefusal(loaded, name)) {
        json.key("opened").flag(false).key("refusal").text(*refusal);
        return json.close('}').str();
    }
    // As the window opens a file: normalised as shown (its messages first),
    // then a text's own messages.
    image_ = loaded.image;
    std::vector<std::string> messages = takeAsOpened(image_);
    messages.insert(messages.end(), loaded.messages.begin(), loaded.messages.end());
    unchanged_ = image_;
    json.key("opened").flag(true).key("fromText").flag(loaded.fromText);
    return messageList(json, messages).close('}').str();
}

std::string EditorSession::programTitle() { return fieldtext::programTitle(); }

std::string EditorSession::title(const std::string& file) const { return editorTitle(modified(), file); }

std::string EditorSession::saveQuestion(const std::string& file) { return saveChangesQuestion(file); }

std::string EditorSession::fileKinds() {
    Json json;
    json.open('[');
    json.open('{').key("name").text(kTableFilesName).key("extension").text(".tbl").close('}');
    json.open('{').key("name").text(kCodePlugTextName).key("extension").text(".json").close('}');
    return json.close(']').str();
}

std::string EditorSession::controls() {
    Json json;
    json.open('[');
    for (const FieldControl& control : windowControls()) {
        json.open('{')
            .key("name").text(control.field->name)
            .key("page").text(control.page)
            .key("group").text(control.group)
            .key("label").text(control.label)
            .key("kind").text(controlKindName(control.kind))
            .key("width").number(control.width)
            .close('}');
    }
    return json.close(']').str();
}

std::vector<EditorSession::ControlState> EditorSession::currentStates(const std::string& page) const {
    const auto& controls = windowControls();
    std::vector<ControlState> states(controls.size());
    for (std::size_t k = 0; k < controls.size(); ++k) {
        ControlState& state = states[k];
        state.value = valueText(image_, *controls[k].field);
        if (const auto why = controlDisabled(image_, *controls[k].field)) state.disabled = *why;
        // The entries and ranges of other pages stay as last shown, as their lists do.
        if (!page.empty() && controls[k].page != page) {
            state.choices = shown_[k].choices;
            state.range = shown_[k].range;
            state.itemsDisabled = shown_[k].itemsDisabled;
            continue;
        }
        state.choices = controlChoices(image_, controls[k]);
        state.range = controlRange(image_, controls[k]);
        if (controls[k].kind == ControlKind::Set) state.itemsDisabled = controlItemsDisabled(image_, controls[k], {});
    }
    return states;
}

namespace {

Json& textList(Json& json, std::string_view name, const std::vector<std::string>& texts) {
    json.key(name).open('[');
    for (const auto& text : texts) json.text(text);
    return json.close(']');
}

// A control's state (EditorSession::ControlState) as the members of its object.
template <class State>
void stateMembers(Json& json, const State& state) {
    json.key("value").text(state.value);
    if (!state.disabled.empty()) json.key("disabled").text(state.disabled);
    if (!state.choices.empty()) textList(json, "choices", state.choices);
    if (state.range) {
        const NumberRange& r = *state.range;
        json.key("range").open('{')
            .key("lowest").number(r.lowest, r.decimals)
            .key("highest").number(r.highest, r.decimals)
            .key("step").number(r.step, r.decimals)
            .key("decimals").number(r.decimals)
            .close('}');
    }
    if (!state.itemsDisabled.empty()) textList(json, "itemsDisabled", state.itemsDisabled);
}

}  // namespace

std::string EditorSession::state(const std::string& page) {
    shown_ = currentStates(page);
    const auto& controls = windowControls();
    Json json;
    json.open('[');
    for (std::size_t k = 0; k < controls.size(); ++k) {
        if (!page.empty() && controls[k].page != page) continue;
        json.open('{').key("index").number(static_cast<long long>(k));
        stateMembers(json, shown_[k]);
        json.close('}');
    }
    return json.close(']').str();
}

std::string EditorSession::changedSinceShown(const std::string& page) {
    const std::vector<ControlState> now = currentStates(page);
    Json json;
    json.key("changed").open('[');
    for (std::size_t k = 0; k < now.size(); ++k) {
        if (now[k] == shown_[k]) continue;
        json.open('{').key("index").number(static_cast<long long>(k));
        stateMembers(json, now[k]);
        json.close('}');
    }
    shown_ = now;
    return json.close(']').str();
}

std::string EditorSession::commit(const std::string& name, const std::string& text) {
    Json json;
    json.open('{');
    // The page types Unicode, as `set` takes it: the rule stores the pager's
    // 8-bit characters and refuses a character it cannot hold.
    if (const auto refusal = setFieldFromText(image_, name, text))
        return json.key("refusal").text(refusal->message).close('}').str();
    return json.str() + changedSinceShown(pageOf(name)) + "}";
}

std::string EditorSession::entriesDisabled(const std::string& name) const {
    Json json;
    json.open('[');
    for (const FieldControl& control : windowControls()) {
        if (control.field->name != name || control.kind != ControlKind::List) continue;
        for (const auto& why : controlItemsDisabled(image_, control, controlChoices(image_, control))) json.text(why);
    }
    return json.close(']').str();
}

std::string EditorSession::normalise() {
    std::vector<std::string> messages;
    for (const RefreshMessage& message : normaliseCodePlug(image_).messages) messages.push_back(messageLine(message.text));
    Json json;
    json.open('{');
    messageList(json, messages);
    return json.str() + "," + changedSinceShown({}) + "}";
}

std::string EditorSession::saveImage() {
    ImageChecksum(image_);
    StampVersion(image_);
    unchanged_ = image_;
    return std::string(image_.bytes().begin(), image_.bytes().end());
}

std::string EditorSession::saveText() {
    ImageChecksum(image_);
    StampVersion(image_);
    unchanged_ = image_;
    return exportCodePlugText(image_);
}

std::string EditorSession::imageBytes() const { return std::string(image_.bytes().begin(), image_.bytes().end()); }

std::string EditorSession::takeRead(const std::string& bytes) {
    std::copy_n(bytes.begin(), std::min(bytes.size(), kImageSize), image_.bytes().begin());
    const std::vector<std::string> messages = takeAsOpened(image_);
    unchanged_ = image_;
    Json json;
    json.open('{');
    return messageList(json, messages).close('}').str();
}

bool EditorSession::takeWritten(const std::string& bytes) {
    const CodePlugImage before = image_;
    std::copy_n(bytes.begin(), std::min(bytes.size(), kImageSize), image_.bytes().begin());
    return !memmap::sameUserSettings(before, image_);
}

bool EditorSession::modified() const { return !memmap::sameUserSettings(image_, unchanged_); }

std::string EditorSession::compare(const std::string& a, const std::string& nameA, const std::string& b,
                                   const std::string& nameB) const {
    Json json;
    json.open('{');
    CodePlugImage sides[2] = {image_, image_};
    const std::string* bytes[2] = {&a, &b};
    const std::string* names[2] = {&nameA, &nameB};
    for (int k = 0; k < 2; ++k) {
        if (bytes[k]->empty()) continue;
        const LoadedCodePlug loaded = loadCodePlugBytes(*bytes[k], ProgrammedDefaultImage());
        if (const auto refusal = openingRefusal(loaded, *names[k]))
            return json.key("error").text(*refusal).close('}').str();
        sides[k] = loaded.image;
    }
    json.key("rows").open('[');
    for (const DifferenceRow& row : differenceRows(diffCodePlugs(sides[0], sides[1]))) {
        json.open('{')
            .key("name").text(row.name)
            .key("label").text(row.label)
            .key("place").text(row.place)
            .key("a").text(row.valueA)
            .key("b").text(row.valueB)
            .key("stamped").flag(row.stamped)
            .close('}');
    }
    return json.close(']').close('}').str();
}

std::string EditorSession::checkRoster(const std::string& csv) const {
    const RosterFile roster = rosterFromBytes(csv, image_, ScannedSerialProblem);
    Json json;
    json.open('{')
        .key("rows").number(static_cast<long long>(roster.roster.rows.size()))
        .key("summary").text(rosterSummary(roster.roster.rows.size(), roster.problems.size()))
        .key("problems").open('[');
    for (const RosterProblem& problem : roster.problems) json.text(problemLine(problem));
    return json.close(']').close('}').str();
}

}  // namespace km640::web
