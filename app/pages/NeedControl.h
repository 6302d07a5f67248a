#pragma once
// Finding a control that a page of this folder built, by its object name.
// A page whose control is missing is a mistake in the program, so the search
// stops the program at start instead of leaving a rule without its control.

#include <QObject>
#include <stdexcept>
#include <string>

namespace km640 {

template <class T>
T* NeedControl(const QObject* root, const QString& name) {
    T* w = root->findChild<T*>(name);
    if (!w) throw std::logic_error("the window has no control " + name.toStdString());
    return w;
}

}  // namespace km640
