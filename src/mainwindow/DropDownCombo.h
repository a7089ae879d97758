#pragma once
// A combo box that tells when its list is about to open, by mouse or keyboard.
#include <QComboBox>
#include <functional>

namespace fyn {

class DropDownCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> dropDown;

    void showPopup() override {
        if (dropDown)
            dropDown();
        QComboBox::showPopup();
    }
};

} // namespace fyn
