#pragma once
// Setting controls that exist once per profile, address, switch or item are
// reached as (family, index). A control joins the first family whose name
// prefix its object name starts with, at the index held in its "tag"
// property — so cboBatHigh sits at index 2 of "cboBat" although its name ends
// in no digit.

#include <map>
#include <string>
#include <string_view>
#include <vector>

class QWidget;
class QObject;

namespace km640 {

// The family prefixes in the order they are tried; the first match wins.
const std::vector<std::string>& ControlArrayPrefixes();
// The family a control name belongs to, or an empty string.
std::string ControlArrayFor(std::string_view objectName);

class ControlArrays {
public:
    // Walks every widget under root in creation order and files it.
    void build(QObject* root);
    // The control at (family, index), or nullptr when there is none.
    QWidget* at(const std::string& family, int index) const;
    // Every control of a family, empty slots as nullptr.
    const std::vector<QWidget*>& family(const std::string& prefix) const;

    template <class T>
    T* as(const std::string& family, int index) const {
        return dynamic_cast<T*>(at(family, index));
    }

private:
    std::map<std::string, std::vector<QWidget*>, std::less<>> arrays_;
};

// Reads the index of a family control (its "tag" property); -1 when it has none.
int ControlTag(const QObject* control);
void SetControlTag(QObject* control, int tag);

}  // namespace km640
