#include "fieldtext/EditorTexts.h"

#include "codeplug/CodePlugImage.h"

namespace km640::fieldtext {

std::string programTitle() { return std::string(kModelName) + " V" + ProgramVersionText(); }

std::string editorTitle(bool modified, std::string_view file) {
    std::string title = (modified ? "*" : "") + programTitle();
    if (!file.empty()) title += "  [" + std::string(file) + "]";
    return title;
}

std::string saveChangesQuestion(std::string_view savedTo) {
    if (savedTo.empty()) return "Save changes to the code-plug?\nIt has no file yet; Save As asks where to save it.";
    return "Save changes to the code-plug?\nThey are saved to \"" + std::string(savedTo) + "\".";
}

}  // namespace km640::fieldtext
