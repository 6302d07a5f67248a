#include "app/pages/menus_alerts/MenuBoxes.h"

#include <QCheckBox>

#include "app/EditField.h"
#include "app/TfmMain.h"
#include "app/pages/NeedControl.h"

namespace km640 {

namespace {

using namespace sysblock;

constexpr int kKeyinPassword = 0;
constexpr int kSetPassword = 5;

}  // namespace

MenuBoxes::MenuBoxes(TfmMain& window) : QObject(&window), w_(window) {
    powerOnItems_ = FieldRef::of("PowerOnMenuItems");
    powerOnCount_ = FieldRef::of("PowerOnMenuCount");
    idleItems_ = FieldRef::of("IdleMenuItems");
    idleCount_ = FieldRef::of("IdleMenuCount");
    passwordField_ = FieldRef::of("PowerOnMenuPassword");
    for (int k = 0; k < kMenuItems; ++k) {
        powerOn_[k] = NeedControl<QCheckBox>(&w_, QString("chk1POM%1").arg(k));
        idle_[k] = NeedControl<QCheckBox>(&w_, QString("chk1IdelM%1").arg(k));
    }
    for (int k = 0; k < kMenuItems; ++k) {
        connect(powerOn_[k], &QCheckBox::clicked, this, [this, k] { powerOnClick(k); });
        // The idle "(2T)" boxes answer to the power-on rule, which has no bit
        // to store for them either.
        if (k < kMenuItemBits) connect(idle_[k], &QCheckBox::clicked, this, [this, k] { idleClick(k); });
        else connect(idle_[k], &QCheckBox::clicked, this, [this, k] { powerOnClick(k); });
    }
    auto* password = NeedControl<EditField>(&w_, "edtPOMPwd");
    password->setOnCommit([this](EditField& f) { commitPassword(f); });
    password_ = password;
}

CodePlugImage& MenuBoxes::image() const { return w_.image(); }

std::uint8_t MenuBoxes::count(const Boxes& boxes) {
    std::uint8_t items = 0;
    for (int k = 0; k < kMenuItemBits; ++k)
        if (boxes[k]->isChecked()) items |= static_cast<std::uint8_t>(1u << k);
    return MenuCount(items);
}

void MenuBoxes::powerOnClick(int item) {
    if (item < kMenuItemBits) powerOnItems_.bit(item).set(image(), powerOn_[item]->isChecked() ? 1 : 0);
    if (item == kKeyinPassword || item == kSetPassword) {
        // Setting a new password needs the old one keyed in first.
        QCheckBox* setPassword = powerOn_[kSetPassword];
        setPassword->setEnabled(powerOn_[kKeyinPassword]->isChecked());
        if (setPassword->isChecked() && setPassword->isEnabled()) {
            password_->setEnabled(true);
        } else {
            password_->setEnabled(false);
            setPassword->setChecked(false);
            powerOnItems_.bit(kSetPassword).set(image(), 0);
        }
    }
    powerOnCount_.set(image(), count(powerOn_));
}

void MenuBoxes::idleClick(int item) {
    const bool on = idle_[item]->isChecked();
    idleItems_.bit(item).set(image(), on ? 1 : 0);
    for (int prompt : PromptsOfIdleItem(item))
        if (QWidget* field = w_.arrays().at("edtManuItm", prompt)) field->setEnabled(on);
    if (item == kKeyinPassword) idle_[kSetPassword]->setEnabled(on);
    idleCount_.set(image(), count(idle_));
}

void MenuBoxes::commitPassword(EditField& field) {
    image().copyIn(passwordField_.offset, PasswordBytes(field.text().toLatin1().toStdString()));
}

}  // namespace km640
