#pragma once
// The tone fields of both channel pages as the user edits them: the key rule,
// clearing on entry, the commit with its messages, the pending tone field that F9
// and a double-click serve with the picker of the tone system, the pending-conflict
// marker, and the re-validation of every tone when the tone system or the decoder
// bandwidth changes. The decisions are made by commitTone and its kin; this class
// shows them.

#include <QObject>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "selcall/SelcallMessage.h"
#include "selcall/ToneCommit.h"
#include "selcall/ToneField.h"

namespace km640 {

class TfmMain;
class EditField;
class ToneFieldHost;

class ToneEditing : public QObject {
    Q_OBJECT
public:
    explicit ToneEditing(TfmMain& window);

    // The two channel pages whose tone fields this serves, F1 then F2.
    void setPages(ToneFieldHost& f1, ToneFieldHost& f2);
    // Makes a page's field a tone field.
    void attach(EditField& edit, const ToneField& field);

    // The tone field F9 serves, and the address of the last spacing conflict.
    std::optional<ToneField> pendingToneField() const { return pending_; }
    std::optional<int> pendingConflict() const { return conflict_; }

    // Commits a tone field with the text it holds. returnFocus: a tone out of range
    // sends the focus back into the field for a new entry.
    void commitToneField(const ToneField& field, bool returnFocus);
    // F9 and a double-click: the picker of the tone system for the pending field;
    // nothing in the User system or without a pending field.
    void openToneTable();
    // The pointer moved over a page outside its rows.
    void pageBackgroundPointer(CallChannel channel);

    // A "Tone System" button with this tag was clicked.
    void radToneSystem0Click(int tag);
    // The refresh selected the button with this tag after the normalisation
    // re-validated every tone: the pending spacing conflict and the fields'
    // hints follow the re-validation. The system block shows the button and
    // the timing set, the tone fields have their own refresh step, and the
    // messages are the window's to show.
    void showToneSystem(int tag, const std::vector<ToneRevalidation>& fields);
    // A decoder bandwidth entry was picked.
    void cboDBWClick(int entry);

private:
    void entered(const ToneField& field);
    void doubleClicked(const ToneField& field);
    void pick(const std::string& tone);
    void leave();
    void applyMarker(const ToneCommitResult& result);
    void applyRevalidation(const std::vector<ToneRevalidation>& fields, bool clicked);
    void showMessage(const SelcallMessage& message);
    void showTimingSet();
    ToneFieldHost& page(CallChannel channel) const;
    EditField& edit(const ToneField& field) const;

    TfmMain& window_;
    std::array<ToneFieldHost*, 2> pages_{};
    std::optional<ToneField> pending_;
    std::optional<int> conflict_;
};

}  // namespace km640
