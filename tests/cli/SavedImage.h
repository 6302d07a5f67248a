#pragma once
// The built-in code-plug as the window hands it on: the model text written at
// start, normalised as showing it does, then the version and the checksum a
// save stamps.

#include "settings/CodePlugNormalisation.h"

namespace km640::clitest {

inline CodePlugImage savedImage() { return ProgrammedDefaultImage(); }

}  // namespace km640::clitest
