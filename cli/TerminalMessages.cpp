#include "cli/TerminalMessages.h"

namespace km640::cli {

MsgAnswer TerminalMessages::show(const std::string& text, const std::string&, MsgIcon, MsgButtons buttons) {
    view_.clearLine();
    err_ << text << "\n" << std::flush;
    last_ = text;
    // The only message of an open that failed: the port opening of link/.
    if (text.starts_with("Error opening comm port")) portOpenFailed_ = true;
    // Nobody is there to agree to anything.
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoDefaultNo: return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel: return MsgAnswer::Cancel;
    case MsgButtons::Ok: break;
    }
    return MsgAnswer::Ok;
}

}  // namespace km640::cli
