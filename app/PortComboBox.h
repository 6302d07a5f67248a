#pragma once
// "COM Port": a drop-down list that asks for its entries afresh each time it
// opens, so a programmer board plugged in (or a simulator started) after the
// window appears without a restart.

#include <QComboBox>
#include <functional>

namespace km640 {

class PortComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    // Called just before the list opens.
    std::function<void()> aboutToOpen;

    void showPopup() override {
        if (aboutToOpen) aboutToOpen();
        QComboBox::showPopup();
    }
};

}  // namespace km640
