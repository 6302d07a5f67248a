#pragma once
// `check`: what is wrong or suspicious in a code-plug, found with the
// program's own rules and never changing it: the image checksum, the model
// text, the serial number checksum, channels in different bands or refused by
// the frequency rules, tones outside the range of the stored tone system or
// equal to the other tone of their address, tone-spacing conflicts between
// addresses in use, values outside what the window accepts (list bytes no
// entry stands for, thresholds, alert seconds, an initial profile switched
// off), and every field the normalisation changes before the code-plug goes
// to a pager (stale synthesizer and decoder words, tones off their plan, menu
// counts, the active switch settings, push-to-listen in a mode without it,
// ...), with the value stored and the value written.

#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"

namespace km640::fieldtext {

struct CheckFinding {
    std::string subject;  // the field's name in the memory map, or the group of fields concerned
    std::string problem;
    bool operator==(const CheckFinding&) const = default;
};

std::vector<CheckFinding> checkCodePlug(const CodePlugImage& image);

// One line per finding: "subject: problem".
std::string checkText(const std::vector<CheckFinding>& findings);

}  // namespace km640::fieldtext
