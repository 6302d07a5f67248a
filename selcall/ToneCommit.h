#pragma once
// Committing a tone field: the typed tone is checked against the other tone of its
// address and the range of the tone system, fitted to the plan (Standard, Plectron)
// or checked against the channel's other tones (User), and stored as BCD digits and
// as the decoder word. Everything is decided from the image: the tone system, the
// decoder bandwidth, the channel's tones and which addresses are in use.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "selcall/SelcallMessage.h"
#include "selcall/ToneField.h"
#include "selcall/ToneSystem.h"

namespace km640 {

enum class ToneCommitOutcome {
    Restored,    // blank entry: nothing stored, the channel's stored tones are shown again
    Refused,     // equal to the other tone of its address or too close to another tone:
                 // nothing stored, the message, then the stored tones are shown again
    OutOfRange,  // the message; the re-shown text stays and the field keeps the focus
    NotANumber,  // a pasted text that is no number: the message, nothing stored
    Stored,      // BCD and decoder word written; the channel's tones are shown again
};

// What a commit does to the page's pending-conflict marker, which holds the address
// of the last spacing-rule failure and stops the page from ending the tone edit.
enum class ConflictMarker { Unchanged, Set, Cleared };

struct ToneCommitResult {
    ToneCommitOutcome outcome = ToneCommitOutcome::Restored;
    std::string fieldText;                  // what the committed field shows afterwards
    std::optional<SelcallMessage> message;  // shown before the tones are shown again
    ConflictMarker marker = ConflictMarker::Unchanged;
    int conflictRecord = -1;                // with ConflictMarker::Set: the conflicting address
    std::string hint;                       // with Stored: the field's new hint
    bool keepsFocus() const { return outcome == ToneCommitOutcome::OutOfRange; }
    bool reshowsChannel() const {
        return outcome == ToneCommitOutcome::Restored || outcome == ToneCommitOutcome::Refused ||
               outcome == ToneCommitOutcome::Stored;
    }
};

// Commits the text of a tone field (typed, picked from a tone table, or shown).
ToneCommitResult commitTone(CodePlugImage& image, const ToneField& field, std::string_view text);

// The hint of a stored tone field, "(0x580, 0x581) = 0xca, 0x88": the word's two
// image offsets and its high and low byte in lower-case hexadecimal.
std::string toneWordHint(const ToneField& field, std::uint16_t word);

// One field of a re-validation: its stored tone and decoder word before and after,
// and its commit. A tone committed unchanged still rewrites its word, which mends a
// word that did not match its tone.
struct ToneRevalidation {
    ToneField field;
    std::optional<int> before;
    std::optional<int> after;
    std::uint16_t wordBefore = 0;
    std::uint16_t wordAfter = 0;
    ToneCommitResult result;
    bool changed() const { return before != after || wordBefore != wordAfter; }
};

// Commits every tone field again with the text it shows, in revalidationOrder();
// each failing field brings its own message, fitted tones are stored.
std::vector<ToneRevalidation> revalidateAllTones(CodePlugImage& image);

// A click on a "Tone System" button: stores the system, then re-validates all tones.
// The window shows the timing set of the new system (decoderTimingSet) itself.
std::vector<ToneRevalidation> selectToneSystem(CodePlugImage& image, ToneSystem system);

// A pick in the decoder bandwidth list (index 0..15): stores it, then re-validates.
std::vector<ToneRevalidation> selectDecodeBandwidth(CodePlugImage& image, int index);

}  // namespace km640
