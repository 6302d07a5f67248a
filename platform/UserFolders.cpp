#include "platform/UserFolders.h"

namespace km640 {

namespace fs = std::filesystem;

namespace {

// A relative XDG value is to be ignored, as the base directory rules say.
fs::path userFolder(const char* xdgValue, const char* home, const char* underHome) {
    if (xdgValue && fs::path(xdgValue).is_absolute()) return fs::path(xdgValue) / "km640";
    if (home && fs::path(home).is_absolute()) return fs::path(home) / underHome / "km640";
    return {};
}

}  // namespace

fs::path UserDataFolder(const char* xdgDataHome, const char* home) {
    return userFolder(xdgDataHome, home, ".local/share");
}

fs::path UserCacheFolder(const char* xdgCacheHome, const char* home) { return userFolder(xdgCacheHome, home, ".cache"); }

}  // namespace km640
