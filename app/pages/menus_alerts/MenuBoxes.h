#pragma once
// The two user menus of the pager: the power-on menu (group "Menu - Power On
// Enter (Function Switch B + Play Key)" on "Advance") with its password, and
// the idle menu (group "Menu Prompts" on "Menu && Alert Patterns"). A click
// on an item stores its bit and the menu's item count; "Set Password" is
// offered only with "Keyin Password", and the password field only with "Set
// Password". An idle item switches the prompt fields it shows on and off.
//
// Items 8 and 9 ("(2T)") have no bit in the pager's memory: their boxes in
// both menus change nothing but themselves.

#include <QObject>
#include <array>

#include "settings/FieldRef.h"
#include "settings/SystemBlock.h"

class QCheckBox;
class QLineEdit;

namespace km640 {

class CodePlugImage;
class EditField;
class TfmMain;

class MenuBoxes : public QObject {
public:
    explicit MenuBoxes(TfmMain& window);

private:
    using Boxes = std::array<QCheckBox*, sysblock::kMenuItems>;

    CodePlugImage& image() const;
    // chk1POM0Click: a power-on box, or an idle "(2T)" box, with this tag.
    void powerOnClick(int item);
    // chk1IdelM0Click: an idle box of items 0-7.
    void idleClick(int item);
    // edtPOMPwdExit.
    void commitPassword(EditField& field);
    // 1 + the highest of items 0-7 whose box is checked, 0 when none.
    static std::uint8_t count(const Boxes& boxes);

    TfmMain& w_;
    Boxes powerOn_{};
    Boxes idle_{};
    QLineEdit* password_ = nullptr;
    FieldRef powerOnItems_, powerOnCount_, idleItems_, idleCount_, passwordField_;
};

}  // namespace km640
