#pragma once
// The computer's local date and time, for the clock a write, SYNC TIME and
// the production line give the pager. Tests pass a fixed clock instead.

#include "platform/Services.h"

namespace km640 {

class SystemClock : public LocalClock {
public:
    LocalDateTime now() override;
};

}  // namespace km640
