#pragma once
// The computer's local date and time, for the clock that write, sync-time and
// production give the pager. Tests pass a fixed clock instead.

#include "platform/Services.h"

namespace km640::cli {

class LocalSystemClock : public LocalClock {
public:
    LocalDateTime now() override;
};

}  // namespace km640::cli
