#include "app/ControlArrays.h"

#include <QObject>
#include <QVariant>
#include <QWidget>

namespace km640 {

const std::vector<std::string>& ControlArrayPrefixes() {
    static const std::vector<std::string> prefixes = [] {
        std::vector<std::string> p = {
            "chk1POM", "chk1IdelM", "edtPName", "chkPON", "cboRstCon", "edtRstDly", "cboMAT", "edtCRTM",
            "lblDlyTM", "lblDlySec", "edtF1Freq", "edtF2Freq", "cboF1CS", "cboF2CS", "cboF1BW", "cboF2BW",
            "cboF1SQL", "cboF2SQL", "lblF1PLLR", "lblF1PLLN", "lblF1MUTL", "lblF2PLLR", "lblF2PLLN", "lblF2MUTL",
        };
        for (const char* stem : {"cboP%dFAT", "cboP%dC1FM", "cboP%dC2FM", "chkP%dFPTL", "lblP%dMode"})
            for (int n = 1; n <= 4; ++n) {
                std::string s(stem);
                s.replace(s.find("%d"), 2, std::to_string(n));
                p.push_back(s);
            }
        for (const char* s : {"edtTonality", "edtManuItm", "edtAPat", "edtLEDPat", "edtVibrPat", "edtLogo",
                              "chkKeyFun", "edtWSQLOFF", "edtWSQLON", "edtNSQLOFF", "edtNSQLON", "edtWBNRSSI",
                              "edtNBNRSSI", "radProf", "cboBat", "chkF1CON", "chkF2CON", "edtF1Mark",
                              "edtF2Mark", "edtF1T1", "edtF1T2", "edtF2T1", "edtF2T2"})
            p.push_back(s);
        for (const char* ch : {"chkF1P", "chkF2P"})
            for (int n = 1; n <= 4; ++n) p.push_back(ch + std::to_string(n));
        for (const char* s : {"cboF1APat", "cboF2APat", "edtF1ATM", "edtF2ATM", "chkF1VCh", "chkF2VCh"})
            p.push_back(s);
        for (const char* ch : {"chkF1SW", "chkF2SW"})
            for (char sw = 'A'; sw <= 'D'; ++sw) p.push_back(ch + std::string(1, sw));
        for (const char* s : {"cboF1AT", "cboF2AT", "lblF1AS", "lblF2AS", "chkF1PArt", "chkF2PArt",
                              "radToneSystem", "cboF1AlTT", "cboF2AlTT"})
            p.push_back(s);
        return p;
    }();
    return prefixes;
}

std::string ControlArrayFor(std::string_view objectName) {
    for (const auto& prefix : ControlArrayPrefixes())
        if (objectName.substr(0, prefix.size()) == prefix) return prefix;
    return {};
}

int ControlTag(const QObject* control) {
    const QVariant v = control->property("tag");
    return v.isValid() ? v.toInt() : -1;
}

void SetControlTag(QObject* control, int tag) { control->setProperty("tag", tag); }

void ControlArrays::build(QObject* root) {
    arrays_.clear();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        const std::string family = ControlArrayFor(w->objectName().toStdString());
        if (family.empty()) continue;
        const int index = ControlTag(w);
        if (index < 0) continue;
        auto& entries = arrays_[family];
        if (static_cast<int>(entries.size()) <= index) entries.resize(static_cast<std::size_t>(index) + 1, nullptr);
        entries[static_cast<std::size_t>(index)] = w;
    }
}

QWidget* ControlArrays::at(const std::string& family, int index) const {
    const auto it = arrays_.find(family);
    if (it == arrays_.end() || index < 0 || index >= static_cast<int>(it->second.size())) return nullptr;
    return it->second[static_cast<std::size_t>(index)];
}

const std::vector<QWidget*>& ControlArrays::family(const std::string& prefix) const {
    static const std::vector<QWidget*> none;
    const auto it = arrays_.find(prefix);
    return it == arrays_.end() ? none : it->second;
}

}  // namespace km640
