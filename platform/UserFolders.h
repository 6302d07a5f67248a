#pragma once
// The user's own folders for km640, where the XDG base directories put them:
// what the program keeps for the user (the production record, pager backups)
// and what it may throw away and make again (roster checks). The window and
// km640-cli find them through these, so both use the very same files.

#include <filesystem>

namespace km640 {

// $XDG_DATA_HOME/km640 when that is an absolute path, else
// $HOME/.local/share/km640; empty when neither is known.
std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home);

// $XDG_CACHE_HOME/km640 when that is an absolute path, else
// $HOME/.cache/km640; empty when neither is known.
std::filesystem::path UserCacheFolder(const char* xdgCacheHome, const char* home);

}  // namespace km640
