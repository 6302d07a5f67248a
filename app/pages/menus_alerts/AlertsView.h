#pragma once
// The alert sounds on the page "Menu && Alert Patterns": the group "Alert
// Tonality" with the four alert tones "Tonality A" to "Tonality D" (Hz), and
// the group "Alert Patterns" with a row per pattern "Pattern #1" to "Pattern
// #8" and the columns "Alert" (tone letters A-D, "-" for a rest), "LED" and
// "Vibrator" (eight "0"/"1" steps each). Every field is emptied on entry; a
// field left blank shows its column again from the image and stores nothing.

#include <QObject>
#include <array>

#include "settings/AlertCoding.h"
#include "settings/FieldRef.h"

namespace km640 {

class CodePlugImage;
class EditField;
class TfmMain;

class AlertsView : public QObject {
public:
    explicit AlertsView(TfmMain& window);

    // The refresh, in two parts: the prompts are shown between them.
    void showTonality();
    void showPatterns();

private:
    // The LED and vibrator columns differ only in their byte.
    enum Column { Letters, Led, Vibrator, kColumns };

    CodePlugImage& image() const;
    void build();
    void showColumn(Column column);
    // edtTonality0Exit, edtAPat0Exit, edtLEDPat0Exit and edtVibrPat0Exit.
    void commitTonality(int tone, int hz);
    void commitLetters(EditField& field, int pattern);
    void commitSteps(EditField& field, Column column, int pattern);

    TfmMain& w_;
    std::array<EditField*, alerts::kTonalities> tonality_{};
    std::array<std::array<EditField*, alerts::kPatterns>, kColumns> patterns_{};
    std::array<FieldRef, alerts::kTonalities> divider_{}, hz_{};
    std::array<std::array<FieldRef, alerts::kPatterns>, kColumns> patternFields_{};
};

}  // namespace km640
