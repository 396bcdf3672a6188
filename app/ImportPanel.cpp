#include "app/ImportPanel.h"

#include <algorithm>
#include <utility>

#include "core/NumberText.h"
#include "app/Prompts.h"
#include "core/TextEncoding.h"
#include "import/FileNames.h"
#include "import/Permanence.h"

namespace kalvor {
namespace {

// The prompt shows a header field in about two of its lines; a longer one is cut.
constexpr std::size_t kHeaderLineChars = 80;

std::vector<std::string> pathComponents(std::string_view path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string pathOf(const std::vector<std::string>& parts, size_t count) {
    std::string path = "/";
    for (size_t i = 0; i < count; ++i) path = childPath(path, parts[i]);
    return path;
}

// The drive whose root holds path: the longest root that is path or one of its parents.
int driveHolding(const std::vector<std::string>& drives, std::string_view path) {
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < drives.size(); ++i) {
        const std::string& root = drives[i];
        const bool holds = root == "/" || path == root ||
                           (path.starts_with(root) && (root.ends_with('/') || path[root.size()] == '/'));
        if (holds && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    return best;
}

}  // namespace

std::string importPrompt() {
    std::string prompt = " ";
    prompt += " Geben Sie den Ort an, wo sich die Datei\r";
    prompt += "   mit den Permanenzen der Hamburger Spiel-\r";
    prompt += "   bank befindet und drücken Sie anschl. OK";
    return prompt;
}

std::string headerPrompt(const std::array<Field, 3>& header) {
    const auto line = [](const Field& field) { return decodeLine(field.text, kHeaderLineChars, field.cut); };
    return line(header[0]) + '\r' + line(header[1]) + '\r' + line(header[2]);
}

std::string refusalMessage(Refusal refusal, bool namedOutside) {
    switch (refusal) {
    case Refusal::None:
    case Refusal::Cancelled: return {};
    case Refusal::Empty: return namedOutside ? std::string(kEmptyFileMessage) : std::string();
    case Refusal::NotPermanence: return namedOutside ? std::string(kNotPermanenceMessage) : std::string();
    default: break;
    }
    std::string message(kImportFailedMessage);
    message.pop_back();  // its full stop goes after the reason
    return message + ": " + std::string(refusalText(refusal)) + '.';
}

ImportPanel::ImportPanel(Controls& controls, SeriesState& state, Platform& platform, FileSystem& files)
    : controls_(controls), state_(state), platform_(platform), files_(files) {
    Controls& c = controls_;
    c.okextern.onClick = [this] { okextern_Click(); };
    c.okexternabbruch.onClick = [this] { okexternabbruch_Click(); };
    c.okexternok.onClick = [this] { okexternok_Click(); };
    c.Drive1.onChange = [this] { Drive1_Change(); };
    c.Dir1.onChange = [this] { Dir1_Change(); };
    c.Dir1.onOpen = [this](int index) { Dir1_Open(index); };
    c.File1.onClick = [this] { File1_Click(); };

    c.Drive1.items = files_.drives();
    const std::string start = files_.currentDirectory();
    c.Drive1.current = driveHolding(c.Drive1.items, start);
    // A working directory that cannot be listed leaves the lists on its drive, or on "/".
    if (moveDirectory(start)) return;
    if (c.Drive1.current >= 0 && moveDirectory(c.Drive1.items[static_cast<size_t>(c.Drive1.current)])) return;
    moveDirectory("/");
}

ImportPanel::~ImportPanel() {
    Controls& c = controls_;
    for (CommandButton* b : {&c.okextern, &c.okexternabbruch, &c.okexternok}) b->onClick = nullptr;
    c.Drive1.onChange = nullptr;
    c.Dir1.onChange = nullptr;
    c.Dir1.onOpen = nullptr;
    c.File1.onClick = nullptr;
}

void ImportPanel::okextern_Click() {
    controls_.Frame1.visible = true;
    controls_.text.text = importPrompt();
}

void ImportPanel::okexternabbruch_Click() {
    state_.extern_ = 0;
    controls_.Frame1.visible = false;
    controls_.text.text = standardPrompt();
}

void ImportPanel::okexternok_Click() {
    // Without a selection (after a change of directory) there is only the directory,
    // which is never read as a file.
    const std::string name = controls_.File1.selectedName();
    if (name.empty()) {
        platform_.inform(std::string(kNoFileSelectedMessage), std::string(kImportTitle));
        return;
    }
    closeOnCancel_ = false;
    importPath(childPath(controls_.Dir1.path, name), false);
}

std::optional<ImportResult> ImportPanel::importFile(const std::string& path) {
    if (importing_) return std::nullopt;
    // The panel opens for the file; a cancelled import closes it again where the
    // user had not opened it.
    closeOnCancel_ = !controls_.Frame1.visible;
    promptBefore_ = controls_.text.text;
    okextern_Click();
    const size_t slash = path.rfind('/');
    const std::string dir = slash == 0 ? "/" : path.substr(0, slash == std::string::npos ? 0 : slash);
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    // A directory that cannot be listed leaves the lists where they were; the file is
    // still read, as the user named it.
    if (moveDirectory(dir)) {
        controls_.Drive1.current = driveHolding(controls_.Drive1.items, controls_.Dir1.path);
        FileList& list = controls_.File1;
        const auto it = std::find(list.items.begin(), list.items.end(), name);
        if (it != list.items.end()) list.click(static_cast<int>(it - list.items.begin()));
    }
    return importPath(path, true);
}

std::optional<ImportResult> ImportPanel::importPath(const std::string& path, bool namedOutside) {
    if (importing_) return std::nullopt;
    state_.zeilen = 0;
    importing_ = true;
    finished_.reset();
    // The reading sees the file system only; the window changes in finish().
    runner_->run(
        path,
        [&files = files_, budget = budget_, path](ReadWatch& watch) {
            return budget ? readPermanence(files, path, *budget, &watch)
                          : readPermanence(files, path, listRoom(), &watch);
        },
        [this, namedOutside](PermanenceRead file) { finish(std::move(file), namedOutside); });
    return std::exchange(finished_, std::nullopt);
}

void ImportPanel::finish(PermanenceRead file, bool namedOutside) {
    Controls& c = controls_;
    importing_ = false;
    finished_ = ImportResult{file.outcome, file.refusal};
    if (file.outcome != PermanenceRead::Outcome::Read) {
        if (file.refusal == Refusal::Cancelled && std::exchange(closeOnCancel_, false)) {
            c.Frame1.visible = false;
            c.text.text = promptBefore_;
        }
        const std::string message = refusalMessage(file.refusal, namedOutside);
        if (!message.empty()) platform_.inform(message, std::string(kImportTitle));
        return;
    }

    // Both passes have succeeded; only now does the window change, in the usual order.
    c.text.text = headerPrompt(file.header);
    state_.zeilen = static_cast<double>(file.count);
    state_.anzahl = state_.zeilen;
    // Runs the box's change rule at once; it leaves anzahl at the count (it sets it from
    // the count's own digits, or keeps it), so the list read at that size fits.
    c.textanzahl.setText(numberToText(state_.zeilen));
    state_.extern_ = 1;
    state_.perm = std::move(file.numbers);
    listMemory_ = std::move(file.memory);
    header_ = std::move(file.header);
    state_.permPresent = true;
    c.Frame1.visible = false;
    c.okextern.enabled = false;
    c.okabbrechen.enabled = true;
}

void ImportPanel::Drive1_Change() {
    const DriveList& drives = controls_.Drive1;
    if (drives.current < 0 || drives.current >= static_cast<int>(drives.items.size())) return;
    // A drive that cannot be read is passed over: the lists stay where they were.
    moveDirectory(drives.items[static_cast<size_t>(drives.current)]);
}

void ImportPanel::Dir1_Change() {
    const std::string& dir = controls_.Dir1.path;
    std::optional<std::vector<std::string>> found;
    if (justListed_ && justListed_->dir == dir) found = std::move(justListed_->files);
    else found = files_.files(dir);
    justListed_.reset();
    // A directory whose files cannot be listed shows an empty file list.
    controls_.File1.setPath(dir, found ? permanenceFiles(std::move(*found)) : std::vector<std::string>{});
}

void ImportPanel::Dir1_Open(int index) {
    const DirList& list = controls_.Dir1;
    if (index < 0 || index >= static_cast<int>(list.items.size())) return;
    const auto i = static_cast<size_t>(index);
    if (index < list.pathDepth) {
        // Item 0 is the root; item k the k-th directory below it.
        moveDirectory(pathOf(pathComponents(list.path), i));
    } else {
        moveDirectory(childPath(list.path, list.items[i]));
    }
}

void ImportPanel::File1_Click() { controls_.okexternok.enabled = !controls_.File1.items.empty(); }

bool ImportPanel::moveDirectory(const std::string& dir) {
    auto listing = files_.list(dir);
    if (!listing) return false;
    std::vector<std::string> subdirectories;
    for (std::string& n : listing->subdirectories)
        if (!isHiddenName(n)) subdirectories.push_back(std::move(n));
    sortNames(subdirectories);

    const std::vector<std::string> parts = pathComponents(dir);
    std::vector<std::string> items{"/"};
    items.insert(items.end(), parts.begin(), parts.end());
    const int depth = static_cast<int>(items.size());
    items.insert(items.end(), std::make_move_iterator(subdirectories.begin()),
                 std::make_move_iterator(subdirectories.end()));
    // The path is kept in its plain form, so that the same directory is the same path.
    std::string path = pathOf(parts, parts.size());
    justListed_ = Listed{path, std::move(listing->files)};
    controls_.Dir1.setPath(std::move(path), std::move(items), depth);
    justListed_.reset();
    return true;
}

}  // namespace kalvor
