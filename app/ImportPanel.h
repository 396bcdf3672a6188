#pragma once
// The import panel Frame1: opening and cancelling it, keeping its drive, directory
// and file lists in step, and the import itself behind its "OK" button.
// Toolkit-free; it installs its handlers into the controls' hooks.

#include <optional>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/Controls.h"
#include "core/Platform.h"
#include "core/SeriesState.h"
#include "import/FileSystem.h"
#include "import/Permanence.h"
#include "app/ImportRunner.h"

namespace kalvor {

inline constexpr std::string_view kImportFailedMessage = "Die Datei konnte nicht gelesen werden.";
inline constexpr std::string_view kNotPermanenceMessage =
    "Die Datei ist keine Permanenz: Die erste Zeile beginnt nicht mit „Spielbank“.";
inline constexpr std::string_view kEmptyFileMessage = "Die Datei ist leer und damit keine Permanenz.";
inline constexpr std::string_view kNoFileSelectedMessage = "Bitte zuerst eine Datei auswählen.";
inline constexpr std::string_view kImportTitle = " Import";

// The three lines shown while the panel is open.
std::string importPrompt();
// The prompt after an import: the three header fields as three lines, each cut where
// the box could no longer show it.
std::string headerPrompt(const std::array<Field, 3>& header);

// The message box of a refused import, empty for none: a file that could not be
// read says why ("Die Datei konnte nicht gelesen werden: nicht gefunden."); a file
// that is no permanence says so only when it was named outside the panel, which
// lists nothing else to pick; a cancelled import says nothing.
std::string refusalMessage(Refusal refusal, bool namedOutside);

struct ImportResult {
    PermanenceRead::Outcome outcome = PermanenceRead::Outcome::Unreadable;
    Refusal refusal = Refusal::ReadError;
};

class ImportPanel {
public:
    // Fills the lists with the program's working directory and its drive.
    ImportPanel(Controls& controls, SeriesState& state, Platform& platform, FileSystem& files);
    // Takes its handlers out of the controls again.
    ~ImportPanel();
    ImportPanel(const ImportPanel&) = delete;
    ImportPanel& operator=(const ImportPanel&) = delete;

    void okextern_Click();
    void okexternabbruch_Click();
    void okexternok_Click();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Open(int index);
    void File1_Click();

    // Where the reading of a file runs from now on; without one, at once. The runner
    // must outlive the panel or be replaced before it goes.
    void setRunner(ImportRunner& runner) { runner_ = &runner; }
    // True while a file is being read: the window must not change under it.
    bool importing() const { return importing_; }

    // A file named outside the panel (the command line, a drop, the report): opens the
    // panel, shows the file's directory with the file selected, and imports it as "OK"
    // does, with the same refusals; a file that is no permanence gets a message. path
    // is absolute. What the reader found when the import ended before the return
    // (always without a runner that reads elsewhere).
    std::optional<ImportResult> importFile(const std::string& path);

    // Lists read from now on take their memory from budget, shared with other imports.
    void shareListMemory(ListBudget& budget) { budget_ = &budget; }
    // The header fields of the last file read, as the reader gave them.
    const std::array<Field, 3>& header() const { return header_; }

private:
    // The import behind "OK" for the file at path, run by the runner.
    std::optional<ImportResult> importPath(const std::string& path, bool namedOutside);
    // Applies what the reader found, on the window's thread.
    void finish(PermanenceRead file, bool namedOutside);

    // Shows dir in Dir1, which moves File1; false, with nothing changed, when dir
    // cannot be read.
    bool moveDirectory(const std::string& dir);

    Controls& controls_;
    SeriesState& state_;
    Platform& platform_;
    FileSystem& files_;
    ImmediateRunner immediate_;
    ImportRunner* runner_ = &immediate_;
    bool importing_ = false;
    bool closeOnCancel_ = false;  // the file was named outside, the panel opened for it
    std::string promptBefore_;    // the prompt before it opened
    std::optional<ImportResult> finished_;
    // The files moveDirectory read with the subdirectories, for the Dir1_Change it
    // raises at once: a large directory is read once, not twice.
    struct Listed {
        std::string dir;
        std::vector<std::string> files;
    };
    std::optional<Listed> justListed_;
    ListBudget* budget_ = nullptr;
    ListBudget::Reservation listMemory_;  // the current list's share of budget_
    std::array<Field, 3> header_;
};

}  // namespace kalvor
