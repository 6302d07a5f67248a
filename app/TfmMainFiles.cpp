// The main window's code-plug files: the start-up defaults, File > Open
// (a "*.tbl" image or code-plug text, by content), Save to the file that is
// open and Save As, with the title naming the file.

#include <QString>
#include <filesystem>
#include <vector>

#include "app/TfmMain.h"
#include "codeplug/CodePlugFile.h"
#include "fieldtext/CodePlugSource.h"
#include "fieldtext/CodePlugText.h"

namespace km640 {
namespace fs = std::filesystem;

std::string TfmMain::resolveInStartDirectory(const std::string& name) const {
    const fs::path p(name);
    if (p.is_absolute() || services_.startDirectory.empty()) return name;
    return (fs::path(services_.startDirectory) / p).string();
}

void TfmMain::setTitleWithPath(const std::string& path) {
    titlePath_ = path;
    updateTitle();
}

void TfmMain::LoadDefaultCodePlug() {
    const std::string path = resolveInStartDirectory("default.tbl");
    std::error_code ec;
    bool loaded = false;
    if (fs::exists(path, ec)) {
        const auto read = ReadCodePlugFile(path);
        if (read.status == CodePlugFileRead::Status::Ok) {
            image_.bytes() = read.bytes;
            loaded = true;
        } else {
            // A damaged default file must not feed the image garbage: the
            // built-in code-plug is used and the user is told why.
            warn("\"" + path + "\" could not be loaded: " + read.reason + ".\nThe built-in defaults are used.");
        }
    }
    if (!loaded) BuildDefaultThresholds(image_);
    codePlugSource_ = loaded ? path : "(built-in defaults)";
    RefreshAll();
    rememberUnchanged();
}

void TfmMain::OpenCodePlug() {
    if (!askToSaveChanges()) return;
    const auto chosen = services_.dialogs.openFile(services_.startDirectory);
    if (!chosen) return;
    OpenCodePlugFile(*chosen);
}

namespace {

bool isTextFileName(const std::string& path) {
    return QString::fromStdString(path).endsWith(".json", Qt::CaseInsensitive);
}

// A refused text's problems as rows of the list: where in the text, the
// field, its value as written and why the window refuses it. A problem of
// the text's form names no field.
std::vector<ListedProblem> listed(const std::vector<fieldtext::FieldRefusal>& refusals) {
    std::vector<ListedProblem> rows;
    for (const auto& r : refusals) rows.push_back({r.place, r.field, r.text, r.message});
    return rows;
}

}  // namespace

bool TfmMain::OpenCodePlugFile(const std::string& path, bool remember) {
    // By content: the 2048 bytes of a *.tbl, or code-plug text (JSON).
    const fieldtext::LoadedCodePlug loaded = fieldtext::loadCodePlugFile(path);
    // A text's refusals may be many: they are listed where each one can be
    // read beside its place, never in a box taller than the screen.
    if (loaded.status == fieldtext::LoadedCodePlug::Status::Refused) {
        services_.messages.showProblems(fieldtext::refusedTextHeading(loaded, path), listed(loaded.refusals), "KM640");
        return false;
    }
    if (const auto refusal = fieldtext::openingRefusal(loaded, path)) {
        if (loaded.ok() || loaded.status == fieldtext::LoadedCodePlug::Status::BadText)
            warn(*refusal);
        else
            services_.messages.show(*refusal, std::string(fieldtext::kFileErrorCaption), MsgIcon::Exclamation,
                                    MsgButtons::OkCancel);
        return false;
    }
    CodePlugImage::Bytes bytes = loaded.image.bytes();
    if (CodePlugIsOld(bytes[ident::kVersionBcd], bytes[ident::kVersionBcd + 1])) LegacyBatteryPatch(bytes);
    image_.bytes() = bytes;
    RefreshAll();
    // A text arrives normalised already: what that changed is told here.
    for (const std::string& line : loaded.messages) warn(line);
    StampVersion(image_);
    rememberUnchanged();
    setTitleWithPath(path);
    codePlugSource_ = path;
    // Save goes back to the file that is open, in its own form. A restored
    // pager backup is only a copy to write back: Save asks where, so the
    // backup stays as taken.
    saveName_ = remember ? path : std::string();
    saveAsText_ = loaded.fromText;
    if (remember) rememberRecent(path);
    return true;
}

bool TfmMain::saveTo(const std::string& name) {
    ImageChecksum(image_);
    StampVersion(image_);
    const std::string path = resolveInStartDirectory(name);
    // Every earlier version stays beside the file, as NAME.BAK, NAME.1.BAK, ...
    const fs::path folder = fs::path(path).has_parent_path() ? fs::path(path).parent_path() : fs::path(".");
    CodePlugFileWrite result;
    if (saveAsText_) {
        const std::string text = fieldtext::exportCodePlugText(image_);
        const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
        result = WriteFileKeepingBackup(path, std::span(first, text.size()), folder);
    } else {
        result = WriteCodePlugFile(path, image_, folder);
    }
    if (!result.ok()) {
        warn("The code-plug could not be saved to \"" + name + "\": " + result.reason + ".");
        updateTitle();
        return false;
    }
    rememberUnchanged();
    rememberRecent(fs::absolute(path).string());
    return true;
}

bool TfmMain::savesToDefaultFile() const {
    if (saveName_.empty()) return false;
    const fs::path target = fs::absolute(resolveInStartDirectory(saveName_)).lexically_normal();
    const fs::path defaults = fs::absolute(resolveInStartDirectory("default.tbl")).lexically_normal();
    std::error_code ec;
    return target == defaults || fs::equivalent(target, defaults, ec);
}

bool TfmMain::SaveCodePlug() {
    // A code-plug read from a pager (or a restored backup) has no file of its
    // own: writing the start-up defaults with it would change every later start.
    if (saveName_.empty()) return SaveCodePlugAs();
    if (savesToDefaultFile()) {
        const MsgAnswer a = services_.messages.show(
            "Click OK will save all changes to the default file.\nThis will change all the default values and "
            "automatically loaded up by KM640 programming software in the future.",
            "KM640", MsgIcon::Exclamation, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes) return false;
    }
    return saveTo(saveName_);
}

bool TfmMain::SaveCodePlugAs() {
    // A cancelled Save As leaves everything as it was, the file Save writes too.
    const auto chosen = services_.dialogs.saveFile(services_.startDirectory);
    if (!chosen) return false;
    saveName_ = *chosen;
    // The name chosen says the form: "*.json" is code-plug text.
    saveAsText_ = isTextFileName(*chosen);
    const bool saved = saveTo(saveName_);
    setTitleWithPath(*chosen);
    codePlugSource_ = *chosen;
    return saved;
}

}  // namespace km640
