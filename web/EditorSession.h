#pragma once
// The browser edition's editor: one code-plug held as the window holds it,
// opened from bytes the page hands over, edited field by field through the
// window's own rules, normalised, and given back as bytes or as text. The
// page never touches a file here; it passes the bytes in and takes them out.
// Answers are JSON texts the page parses.

#include <string>
#include <vector>

#include <optional>

#include "codeplug/CodePlugImage.h"
#include "fieldtext/NumberRange.h"

namespace km640::web {

class EditorSession {
public:
    // A new session holds the built-in code-plug, as a window that has just started.
    EditorSession();

    // Opens the bytes of a "*.tbl" or a code-plug text named name, as the
    // window's File > Open does: {"opened":bool,"refusal":"…","messages":[…],
    // "fromText":bool}. On refusal the code-plug stays as it was.
    std::string open(const std::string& bytes, const std::string& name);

    // The window's title: the model and the program's version.
    static std::string programTitle();
    // The window's title with its unsaved-changes mark and the file shown.
    std::string title(const std::string& file) const;
    // The window's question before unsaved changes would be lost, for the
    // file Save writes (none: Save As asks).
    static std::string saveQuestion(const std::string& file);
    // The window's names of the kinds of file: [{"name","extension"}].
    static std::string fileKinds();

    // What stays the same for a session: every control the window shows, in
    // page order, [{"name","page","group","label","kind","width"}].
    static std::string controls();
    // The state of the controls of one page now (every page for an empty
    // name): [{"index","value","disabled","choices","range","itemsDisabled"}],
    // each member after value only when there is one: range
    // {"lowest","highest","step","decimals"} for a number control, and
    // itemsDisabled the reason for each box of a set the window disables on
    // its own ("" for the others). Working out the entries of every list
    // takes long, so the page asks for them one page at a time, when it
    // shows it.
    std::string state(const std::string& page);

    // Commits text into the field named name as the window does when the
    // user leaves its control: {"refusal":"…"} or {"changed":[…]} with every
    // control whose value or state moved with it, and the lists of the
    // field's page whose entries moved.
    std::string commit(const std::string& name, const std::string& text);

    // The reason for each entry of the list named name (in the order of its
    // choices) that the window disables on its own now, "" for the others:
    // ["", "The window's control is disabled: Profile 3 is not on", …], []
    // when none is. Each entry is tried through the field's rule, which
    // takes too long to do for every list after every commit, so the page
    // asks when a list is opened.
    std::string entriesDisabled(const std::string& name) const;

    // Normalises as the window does when it shows a code-plug:
    // {"messages":[…],"changed":[…]}.
    std::string normalise();
    // The page of the field named name, empty for a field no page shows.
    static std::string pageOf(const std::string& name);

    // The code-plug as the window's Save writes it (version and checksum
    // stamped): the 2048 bytes, or the code-plug text.
    std::string saveImage();
    std::string saveText();
    // Whether the user's settings differ from those opened or saved last.
    bool modified() const;

    // The fields that differ between two code-plugs (each the bytes of a
    // "*.tbl" or a code-plug text), named as the window names them:
    // {"error":"…"} or {"rows":[{"name","label","place","a","b","stamped"}]}.
    // An empty side is the code-plug held.
    std::string compare(const std::string& a, const std::string& nameA, const std::string& b,
                        const std::string& nameB) const;

    // A fleet roster (CSV) checked against the code-plug held:
    // {"rows":n,"summary":"3 rows, 1 problem","problems":["line 4, serial …: …", …]}.
    std::string checkRoster(const std::string& csv) const;

    // The pager operations' side. The code-plug as the editor holds it now,
    // the 2048 bytes the window's Write and Verify take (nothing stamped).
    std::string imageBytes() const;
    // A Read brought the pager's code-plug: held as the window holds it
    // after a Read (normalised as shown, nothing unsaved); {"messages":[…]}.
    std::string takeRead(const std::string& bytes);
    // A Write sent the code-plug with what it stamped and took from the
    // pager: the editor holds that, as the window does after a Write; what
    // counts as unsaved stays as it was. True when a value the user sees
    // moved with it (battery levels set afresh for an old pager).
    bool takeWritten(const std::string& bytes);

    const CodePlugImage& image() const { return image_; }

private:
    struct ControlState {
        std::string value;
        std::string disabled;
        std::vector<std::string> choices;
        std::optional<fieldtext::NumberRange> range;
        std::vector<std::string> itemsDisabled;
        bool operator==(const ControlState&) const = default;
    };
    // Every control's value and state now; the entries of the lists on page
    // (all for an empty name), the others as last shown.
    std::vector<ControlState> currentStates(const std::string& page) const;
    std::string changedSinceShown(const std::string& page);

    CodePlugImage image_;
    CodePlugImage unchanged_;
    std::vector<ControlState> shown_;  // what the page was last told
};

}  // namespace km640::web
