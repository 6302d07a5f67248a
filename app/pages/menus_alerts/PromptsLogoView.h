#pragma once
// The pager's own texts: the menu prompts (group "Prompts Edit" on the page
// "Menu && Alert Patterns", with the buttons that align the prompt last
// entered) and the two power-on logo lines (group "Power On Logo" on the
// page "Status Setting").
//
// A prompt or logo field stores its text when it is left; a blank text is a
// value (12 blanks). Prompts 13 and 14 show and take only their last seven
// characters; a marker box in front of each stands for the five blanks the
// pager keeps there for the message count. The prompts 0, 2, 4 and 5 have
// their fields on the hidden "Debug" page; an alignment button clicked before
// any prompt was entered acts on prompt 0.

#include <QObject>
#include <array>

#include "settings/FieldRef.h"
#include "settings/PromptText.h"

class QGridLayout;
class QWidget;

namespace km640 {

class CodePlugImage;
class EditField;
class TfmMain;

class PromptsLogoView : public QObject {
public:
    explicit PromptsLogoView(TfmMain& window);

    void showPrompts();
    void showLogo();

    // The prompt the alignment buttons act on.
    int currentPrompt() const { return current_; }

private:
    CodePlugImage& image() const;
    EditField* promptField(int k, QWidget* parent);
    EditField* countMarker(int k, QWidget* parent);
    void buildPrompts();
    void buildLogo();
    // edtManuItm0Exit: also the commit of the marker boxes.
    void commitPrompt(int k);
    // btnSP_LClick, btnSP_CClick, btnSP_RClick.
    void align(prompts::Alignment alignment);
    // edtLogo0Exit.
    void commitLogo(int line);

    TfmMain& w_;
    int current_ = 0;
    std::array<EditField*, prompts::kPrompts> prompt_{};
    std::array<FieldRef, prompts::kPrompts> promptFields_{};
    std::array<EditField*, 2> logo_{};
    std::array<FieldRef, 2> logoFields_{};
};

}  // namespace km640
