#pragma once
// The editor's own texts, the same in the window and on the browser page:
// the program's title, the title with its unsaved-changes mark and file, the
// question before unsaved changes would be lost, and the names of the two
// kinds of code-plug file in a file dialog.

#include <string>
#include <string_view>

namespace km640::fieldtext {

// "KM640 V1.0": the model and the program's version.
std::string programTitle();

// The title of the editor: "*" while the user's settings differ from those
// opened or saved last, then the program's title and the file shown, if any:
// "*KM640 V1.0  [bench.tbl]".
std::string editorTitle(bool modified, std::string_view file);

// "Save changes to the code-plug?" and where they go: the file Save writes
// (as shown to the user), or for none that Save As asks.
std::string saveChangesQuestion(std::string_view savedTo);

// The names of the file kinds in a file dialog: "Table files" (*.tbl) and
// "KM640 code-plug text" (*.json).
inline constexpr std::string_view kTableFilesName = "Table files";
inline constexpr std::string_view kCodePlugTextName = "KM640 code-plug text";

}  // namespace km640::fieldtext
