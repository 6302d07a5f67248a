#pragma once
// A setting edit field of the main window: a view of one place in the
// code-plug image that writes back only when it is committed.
//
// The life of an entry, in this order:
//   1. Focus arrives: a field set to clear on entry is emptied, so a new value
//      is typed from scratch; then the entry action runs (if any).
//   2. Each typed character passes the field's key filter (codeplug/KeyFilters):
//      it goes in, is dropped, is refused with a message, or commits the field.
//      Enter never goes in: it moves the focus to the focus sink edtNull,
//      which commits (a field set to commit twice runs its commit first).
//   3. Focus leaves (to edtNull or elsewhere in the window): the commit runs.
//      A blank text (trimmed) goes to the blank action, which shows the stored
//      value again; any other text goes to the commit action, which converts,
//      checks, stores and perhaps shows the value again in canonical form.
//      A refused value keeps its typed text and leaves the image unchanged.
// Focus lost to another window (a message box, another program) or to a
// popup menu is not an exit: nothing is committed and nothing cleared when it
// comes back.
//
// Text fields (names, prompts, logo lines) use the first-click rule: the first
// click after a commit of any text field selects the whole text (without its
// trailing blanks), so typing replaces it; their commit clears the rule's flag.
//
// Messages go through the window's message boxes in one of three styles.
//
// Typical use by a page:
//   auto* f = new EditField(window, "edtRpTM", group);
//   f->setKeyFilter(KeyFilter::digit()).setClearOnEntry()
//    .setOnBlank([&](EditField&) { refreshSection(); })
//    .setOnCommit(WholeNumberCommit{{{inRange(0, 255), "...", MessageStyle::Plain,
//                                     AfterRefusal::ToFocusSink}},
//                                   [&](int v) { image.setByte(36, v); }, true});

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "codeplug/KeyFilters.h"

namespace km640 {

class TfmMain;

enum class MessageStyle {
    Warning,  // caption "KM640" or the one given, exclamation icon
    Plain,    // the application title as caption, no icon
    Filter,   // caption "Warning!", error icon
};

// Where the focus goes after a refused value.
enum class AfterRefusal { BackToField, ToFocusSink };

class EditField : public QLineEdit {
    Q_OBJECT
public:
    using Action = std::function<void(EditField&)>;

    // tag >= 0 makes the field a member of its control family at that index.
    EditField(TfmMain& window, const QString& objectName, QWidget* parent, int tag = -1);

    // ---- Set-up; each returns the field so the calls chain. ----
    // Without a filter every key is typed and Enter does nothing.
    EditField& setKeyFilter(const KeyFilter& filter);
    EditField& setClearOnEntry();
    EditField& setFirstClickSelects();
    // Enter runs the commit at once and again as the focus leaves.
    EditField& setEnterCommitsTwice();
    EditField& setOnEntry(Action action);
    // Without a blank action a blank text reaches the commit (text fields,
    // where a blank is a value).
    EditField& setOnBlank(Action action);
    EditField& setOnCommit(Action action);

    // ---- For commit actions. ----
    // The text as a whole number or decimal; when it does not convert (only a
    // pasted text can do that, or a number too long for 32 bits) the standard
    // error box is shown and nothing is returned.
    std::optional<int> wholeNumber();
    std::optional<double> decimalNumber();
    // Shows why the value is refused and sends the focus on. The text stays.
    void refuse(const std::string& message, MessageStyle style, AfterRefusal focus,
                const std::string& caption = "KM640");
    // Shows a whole number in canonical form: 007 becomes 7.
    void showWhole(int value);
    // Runs the commit now, as losing the focus does.
    void commit();

    TfmMain& mainWindow() const { return window_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void takeFocusBack();

    TfmMain& window_;
    std::optional<KeyFilter> filter_;
    bool clearOnEntry_ = false;
    bool firstClickSelects_ = false;
    bool enterCommitsTwice_ = false;
    Action onEntry_, onBlank_, onCommit_;
    bool entered_ = false;    // focus arrived through an entry, a commit is due on leaving
    bool returning_ = false;  // the focus comes back after a refusal: no entry rule
};

// The character a key event types, as the key rules see it (Backspace 8,
// Enter 13); 0 for keys that type nothing (arrows, Delete, shortcuts).
char32_t TypedCharacter(const QKeyEvent* event);

// Shows a message in one of the window's three styles.
void ShowMessage(TfmMain& window, MessageStyle style, const std::string& text, const std::string& caption = "KM640");

// The usual commit of a whole-number field as one declaration: convert, try
// the checks in order (the first that does not accept refuses the value with
// its message), store, and show the value again in canonical form if asked.
struct WholeNumberCommit {
    struct Check {
        std::function<bool(int)> accepts;
        std::string message;
        MessageStyle style = MessageStyle::Warning;
        AfterRefusal focus = AfterRefusal::BackToField;
        std::string caption = "KM640";
    };
    std::vector<Check> checks;
    std::function<void(int)> store;
    bool reshow = false;

    void operator()(EditField& field) const;
};

// A range check for WholeNumberCommit: low <= v <= high.
std::function<bool(int)> inRange(int low, int high);

// Moving the pointer over the surface itself (or over a label on it) moves
// the focus to edtNull, which commits the field being edited; moving over
// other controls on it does not. With onPress, pressing a mouse button there
// does it instead of moving.
void CommitOnPointer(TfmMain& window, QWidget* surface, bool onPress = false);

}  // namespace km640
