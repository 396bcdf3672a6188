// The import panel over a real directory tree: the three lists, OK and Abbr., the
// mount table, and the example permanences imported and replayed.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "import/RegularFile.h"
#include "app/ImportPanel.h"
#include "import/LocalFileSystem.h"
#include "tests/support/TestWindow.h"

using namespace kalvor;
using kalvor::testing::TestWindow;
namespace fs = std::filesystem;

namespace {

// The local disk, with the drives and working directory a test chooses.
class TreeFileSystem final : public LocalFileSystem {
public:
    std::vector<std::string> drives() override { return drives_; }
    std::string currentDirectory() override { return cwd; }
    std::vector<std::string> drives_;
    std::string cwd;
};

// A small tree on the real disk: a working directory and a mounted drive.
struct PanelTree {
    PanelTree() {
        std::random_device seed;
        root = fs::temp_directory_path() / ("kalvor-panel-" + std::to_string(seed()));
        for (const char* dir : {"work/Beta", "work/alpha", "work/.cache", "work/x.txt", "mnt/empty"})
            fs::create_directories(root / dir);
        for (const char* file :
             {"work/b.TXT", "work/A.txt", "work/c.Txt", "work/notes.md", "work/.hidden.txt", "work/txt", "mnt/m.txt"})
            std::ofstream(root / file) << "Spielbank Hamburg\nTisch\nTag\n-\n1\n";
        disk.drives_ = {"/", root.string() + "/mnt", root.string() + "/no-medium"};
        disk.cwd = (root / "work").string();
    }
    ~PanelTree() { fs::remove_all(root); }

    fs::path root;
    TreeFileSystem disk;
    NoPrinter printer;
};

class Panel : public ::testing::Test, protected PanelTree {
protected:
    std::vector<std::string> expectedDirItems(const fs::path& dir, std::vector<std::string> subdirectories) {
        std::vector<std::string> items{"/"};
        for (const auto& part : dir.relative_path()) items.push_back(part.string());
        items.insert(items.end(), subdirectories.begin(), subdirectories.end());
        return items;
    }
    ImportPanel& panel() { return w.panel(); }

    TestWindow w{disk, printer};
    Controls& c = w.controls();
    kalvor::testing::FakePlatform& platform = w.platform;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(Panel, StartsInTheWorkingDirectoryOnItsDrive) {
    panel();
    EXPECT_EQ(c.Drive1.items, disk.drives_);
    EXPECT_EQ(c.Drive1.current, 0);
    EXPECT_EQ(c.Dir1.path, disk.cwd);
    EXPECT_EQ(c.Dir1.items, expectedDirItems(root / "work", {"alpha", "Beta", "x.txt"}));
    EXPECT_EQ(c.Dir1.pathDepth, static_cast<int>(expectedDirItems(root / "work", {}).size()));
    // "*.txt" in any case, by name; no directories, no hidden files.
    EXPECT_EQ(c.File1.path, disk.cwd);
    EXPECT_EQ(c.File1.items, (Names{"A.txt", "b.TXT", "c.Txt"}));
    EXPECT_FALSE(c.okexternok.enabled);

    disk.cwd = (root / "mnt").string();
    TestWindow onMount(disk, printer);
    EXPECT_EQ(onMount.controls().Drive1.current, 1);
}

TEST_F(Panel, DrivesMoveTheListsAndAnUnreadableDriveIsPassedOver) {
    panel();
    c.Drive1.choose(2);
    EXPECT_EQ(c.Drive1.current, 2);
    EXPECT_EQ(c.Dir1.path, disk.cwd);
    EXPECT_EQ(c.File1.items, (Names{"A.txt", "b.TXT", "c.Txt"}));
    EXPECT_TRUE(platform.notices.empty());

    c.Drive1.choose(1);
    EXPECT_EQ(c.Dir1.path, root.string() + "/mnt");
    EXPECT_EQ(c.Dir1.items, expectedDirItems(root / "mnt", {"empty"}));
    EXPECT_EQ(c.File1.path, c.Dir1.path);
    EXPECT_EQ(c.File1.items, Names{"m.txt"});
}

TEST_F(Panel, OpeningDirectoriesAndTheStateOfOk) {
    panel();
    c.File1.click(1);
    EXPECT_EQ(c.File1.selectedName(), "b.TXT");
    EXPECT_TRUE(c.okexternok.enabled);

    c.Dir1.open(c.Dir1.pathDepth);  // alpha: no files, OK keeps its state
    EXPECT_EQ(c.Dir1.path, (root / "work/alpha").string());
    EXPECT_TRUE(c.File1.items.empty());
    EXPECT_EQ(c.File1.selected, -1);
    EXPECT_TRUE(c.okexternok.enabled);
    c.File1.click(-1);
    EXPECT_FALSE(c.okexternok.enabled);

    c.Dir1.open(c.Dir1.pathDepth - 2);  // up to work
    EXPECT_EQ(c.Dir1.path, disk.cwd);
    EXPECT_EQ(c.File1.items.size(), 3u);
    c.Dir1.open(0);
    EXPECT_EQ(c.Dir1.path, "/");
    EXPECT_EQ(c.Dir1.pathDepth, 1);
    EXPECT_EQ(c.File1.path, "/");
}

TEST_F(Panel, AFileThatBecameADirectoryIsNotRead) {
    panel();
    c.File1.click(0);
    fs::remove(root / "work/A.txt");
    fs::create_directory(root / "work/A.txt");
    c.okexternok.click();
    EXPECT_EQ(platform.notices, Names{" Import|Die Datei konnte nicht gelesen werden: keine normale Datei."});
    EXPECT_EQ(w.state().extern_, 0);
}

TEST_F(Panel, ImportTwiceShowsTheInstructionsOnceAndAbbrRestoresTheStandardPrompt) {
    panel();
    c.File1.click(2);
    c.okextern.click();
    c.okextern.click();
    EXPECT_TRUE(c.Frame1.visible);
    EXPECT_EQ(c.text.text,
              "  Geben Sie den Ort an, wo sich die Datei\r   mit den Permanenzen der Hamburger Spiel-\r"
              "   bank befindet und drücken Sie anschl. OK");

    c.okexternabbruch.click();
    EXPECT_FALSE(c.Frame1.visible);
    EXPECT_EQ(c.text.text,
              " Anzahl der gewünschten Würfe eingeben,\r  Modus wählen und Start drücken.\r"
              "  Oder Import drücken und entspr. Datei der\r  Spielbank Hamburg angeben.");
    EXPECT_EQ(w.state().extern_, 0);
    // The panel reopens where the user left it.
    EXPECT_EQ(c.File1.selectedName(), "c.Txt");
    EXPECT_TRUE(c.okexternok.enabled);
    EXPECT_EQ(c.Dir1.path, disk.cwd);
}

TEST_F(Panel, AFileNamedOutsideThePanelIsShownSelectedAndImportedAsByOk) {
    std::ofstream(root / "mnt/notes.txt") << "Kein Kopf\n";
    EXPECT_EQ(panel().importFile((root / "mnt/notes.txt").string())->outcome, PermanenceRead::Outcome::NotPermanence);
    // Refused as OK refuses it: the panel stays open on the file's directory and drive.
    // Unlike OK, it says why: the user named the file, not a list.
    EXPECT_EQ(platform.notices,
              Names{" Import|Die Datei ist keine Permanenz: Die erste Zeile beginnt nicht mit „Spielbank“."});
    c.okexternok.click();  // the same file through OK: refused without a word
    EXPECT_EQ(platform.notices.size(), 1u);
    EXPECT_TRUE(c.Frame1.visible);
    EXPECT_EQ(c.text.text, importPrompt());
    EXPECT_EQ(c.Dir1.path, (root / "mnt").string());
    EXPECT_EQ(c.Drive1.current, 1);
    EXPECT_EQ(c.File1.selectedName(), "notes.txt");
    EXPECT_TRUE(c.okexternok.enabled);

    EXPECT_EQ(panel().importFile((root / "work/c.Txt").string())->outcome, PermanenceRead::Outcome::Read);
    EXPECT_EQ(c.Dir1.path, (root / "work").string());
    EXPECT_EQ(c.Drive1.current, 0);
    EXPECT_EQ(c.File1.selectedName(), "c.Txt");
    EXPECT_FALSE(c.Frame1.visible);
    EXPECT_EQ(w.state().extern_, 1);
    EXPECT_EQ(c.textanzahl.text(), "1");
}

TEST(MountTable, OnlyFileSystemsAUserKeepsFilesOn) {
    std::istringstream table(
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "/dev/sda1 /home ext4 rw 0 0\n"
        "sysfs /sys sysfs ro 0 0\n"
        "/dev/sdb1 /media/me/USB\\040Stick vfat rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sda1 /home ext4 rw 0 0\n"
        "server:/export /mnt/share nfs4 rw 0 0\n"
        "/dev/sda2 /dev/odd ext4 rw 0 0\n"
        "broken-line\n");
    EXPECT_EQ(userMountPoints(table), (Names{"/home", "/media/me/USB Stick", "/mnt/share"}));
}

TEST(LocalDisk, TheRootIsTheFirstDriveAndOnlyPlainFilesOpenWithoutWaiting) {
    LocalFileSystem disk;
    const Names drives = disk.drives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), "/");
    EXPECT_EQ(disk.open("/").error, FileError::NotPlainFile);
    EXPECT_EQ(disk.open("/no/such/file.txt").error, FileError::NotFound);
    EXPECT_EQ(disk.open("/etc/hostname/x").error, FileError::NotFound);
    EXPECT_FALSE(disk.subdirectories("/no/such/dir"));

    // A FIFO under a file's name has no writer: opening it must neither wait (the
    // alarm ends a test that hangs) nor read it. The info file is read the same way,
    // and only up to its bound.
    const fs::path dir = fs::temp_directory_path() / ("kalvor-disk-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string fifo = (dir / "pipe.txt").string();
    const std::string plain = (dir / "p.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(plain) << "Spielbank";
    ::alarm(10);
    EXPECT_EQ(disk.open(fifo).error, FileError::NotPlainFile);
    EXPECT_FALSE(readRegularFile(fifo, 100));
    ::alarm(0);
    EXPECT_EQ(disk.files(dir.string()), Names{"p.txt"});
    OpenedFile in = disk.open(plain);
    ASSERT_TRUE(in);
    EXPECT_EQ(in.size, 9u);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(*in.stream), {}), "Spielbank");
    // Without the right to read (root has it anyway).
    fs::permissions(plain, fs::perms::none);
    if (::geteuid() != 0) {
        EXPECT_EQ(disk.open(plain).error, FileError::NoPermission);
    }
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readRegularFile(plain, 9), "Spielbank");
    EXPECT_FALSE(readRegularFile(plain, 8));
    fs::remove_all(dir);
}

// The files in examples/ are what the generator writes, import with their full
// count, and replay in the window.
TEST(Examples, ImportAndReplay) {
    struct Expected {
        const char* name;
        const char* prompt;
        int count;
    };
    for (const Expected& e : {
             Expected{"hamburg_2026-11-27_tisch1.txt", "Spielbank Hamburg\rTisch 1\rFreitag 27.11.2026", 312},
             Expected{"hamburg_2026-11-28_tisch3.txt",
                      "Spielbank Hamburg\rTisch 3 - Französisches Roulette\rSamstag 28.11.2026", 250},
             Expected{"hamburg_2026-11-29_tisch2.txt", "Spielbank Hamburg\rTisch 2\rSonntag 29.11.2026", 75},
         }) {
        SCOPED_TRACE(e.name);
        TreeFileSystem disk;
        disk.drives_ = {"/"};
        disk.cwd = KALVOR_SOURCE_DIR "/examples";
        NoPrinter printer;
        TestWindow form(disk, printer);
        Controls& c = form.controls();
        c.okextern.click();
        const auto it = std::find(c.File1.items.begin(), c.File1.items.end(), e.name);
        ASSERT_NE(it, c.File1.items.end());
        c.File1.click(static_cast<int>(it - c.File1.items.begin()));
        c.okexternok.click();
        ASSERT_EQ(form.state().extern_, 1);
        EXPECT_EQ(c.text.text, e.prompt);
        EXPECT_EQ(c.textanzahl.text(), std::to_string(e.count));

        // The last number of the file is the last one shown.
        std::ifstream file(fs::path(KALVOR_SOURCE_DIR "/examples") / e.name, std::ios::binary);
        std::string line, last;
        while (std::getline(file, line))
            if (!line.empty() && line[0] >= '0' && line[0] <= '9') last = line;
        while (!last.empty() && last.back() == '\r') last.pop_back();

        c.Option1.select(Mode::Durchlauf);
        c.okstart.click();
        EXPECT_EQ(c.lakut.text, std::to_string(e.count));
        EXPECT_EQ(c.lzahl.text, last);
        EXPECT_FALSE(c.okstart.enabled);
    }
}
