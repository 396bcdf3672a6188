// The built programs as a shell starts them: closed standard descriptors, an output
// that fails, a file size limit, and standard error on a terminal or not.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <functional>
#include <optional>
#include <thread>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/ScratchDir.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

const std::string kReport = KALVOR_REPORT;
#ifdef KALVOR_PROGRAM
const std::string kProgram = KALVOR_PROGRAM;  // built with the window only
#endif
const fs::path kExample = KALVOR_SOURCE_DIR "/examples/hamburg_2026-11-27_tisch1.txt";

// How a child is started, beyond its arguments and descriptors.
struct Start {
    std::vector<std::string> unset;      // variables taken out of the environment
    std::vector<std::string> set;        // "NAME=value"
    bool asNobody = false;               // as root: as the user nobody
    std::optional<rlim_t> processLimit;  // RLIMIT_NPROC
    std::function<bool()> inChild;       // before the program starts; false ends the child with 77
};

class Process : public kalvor::testing::ScratchDirTest {
protected:
    // Starts the program; each of descriptors 0-2 is closed (""), or opened on the
    // path given (a file in dir is truncated first).
    pid_t start(const std::vector<std::string>& argv, const std::array<std::string, 3>& descriptors,
                const Start& how = {}) {
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            bool dropped = std::find(how.unset.begin(), how.unset.end(), name) != how.unset.end();
            for (const std::string& s : how.set) dropped |= s.starts_with(name + "=");
            if (!dropped) environment.push_back(entry);
        }
        environment.insert(environment.end(), how.set.begin(), how.set.end());
        std::vector<char*> args, env;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string& e : environment) env.push_back(const_cast<char*>(e.c_str()));
        env.push_back(nullptr);
        const pid_t pid = ::fork();
        if (pid != 0) return pid;
        // The child: only calls that are safe after a fork, until exec.
        for (int fd = 0; fd < 3; ++fd) {
            const std::string& path = descriptors[static_cast<size_t>(fd)];
            if (path.empty()) {
                ::close(fd);
                continue;
            }
            const int opened = ::open(path.c_str(), fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (opened < 0) ::_exit(126);
            if (opened != fd) {
                ::dup2(opened, fd);
                ::close(opened);
            }
        }
        if (how.inChild && !how.inChild()) ::_exit(77);
        if (how.asNobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
        if (how.processLimit) {
            const struct rlimit limit { *how.processLimit, *how.processLimit };
            if (::setrlimit(RLIMIT_NPROC, &limit) != 0) ::_exit(126);
        }
        ::execve(args[0], args.data(), env.data());
        ::_exit(127);
    }

    // The exit status, or minus the signal that ended it.
    static int wait(pid_t pid) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1000;
    }

    int run(const std::vector<std::string>& argv, const std::array<std::string, 3>& descriptors,
            const Start& how = {}) {
        const int status = wait(start(argv, descriptors, how));
        EXPECT_GE(status, 0) << argv[0] << " ended by signal " << -status;
        return status;
    }

    std::string out() const { return (dir / "out").string(); }
    std::string err() const { return (dir / "err").string(); }
};

// A pseudo-terminal, and what was written to it.
class Terminal {
public:
    Terminal() {
        fd_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(::grantpt(fd_), 0);
        EXPECT_EQ(::unlockpt(fd_), 0);
    }
    ~Terminal() { ::close(fd_); }
    std::string path() const { return ::ptsname(fd_); }
    // Once the child has ended: what it wrote is waiting, then the terminal has no writer.
    std::string shown() const {
        std::string text;
        char bytes[4096];
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
        for (ssize_t n; (n = ::read(fd_, bytes, sizeof bytes)) > 0;) text.append(bytes, static_cast<size_t>(n));
        return text;
    }

private:
    int fd_ = -1;
};

}  // namespace

TEST_F(Process, ClosedStandardDescriptorsGetNoFileOfTheRun) {
    // Without /dev/null on descriptor 1 the permanence took its number, and the CSV
    // went into the file's descriptor. What was to go to a closed standard output is
    // lost: a failure of its own, not a success.
    const fs::path input = dir / "tisch1.txt";
    fs::copy_file(kExample, input);
    const std::string before = readAll(input);
    EXPECT_EQ(run({kReport, "--chart", (dir / "c").string(), input.string()}, {"/dev/null", "", err()}), 3)
        << readAll(err());
    EXPECT_NE(readAll(err()).find("die Ausgabe konnte nicht geschrieben werden"), std::string::npos);
    EXPECT_EQ(run({kReport, input.string()}, {"", "", ""}), 3);
    EXPECT_EQ(run({kReport, "--summary", "-", input.string()}, {"/dev/null", "", err()}), 3);
    EXPECT_EQ(run({kReport, input.string()}, {"", out(), ""}), 0);
    EXPECT_EQ(readAll(input), before);
#ifdef KALVOR_PROGRAM
    EXPECT_EQ(run({kProgram, "--version"}, {"/dev/null", "", err()}), 3);
    EXPECT_EQ(run({kProgram, "--version"}, {"/dev/null", out(), ""}), 0);
#endif
}

TEST_F(Process, AnOutputThatFailsHasItsOwnStatus) {
    EXPECT_EQ(run({kReport, kExample.string()}, {"/dev/null", "/dev/full", err()}), 3);
    EXPECT_NE(readAll(err()), "");
    EXPECT_EQ(run({kReport, "--help"}, {"/dev/null", "/dev/full", err()}), 3);
    EXPECT_EQ(run({kReport, "--chart", "/dev/null/bilder", kExample.string()}, {"/dev/null", out(), err()}), 3);
    EXPECT_EQ(readAll(out()), "");
    EXPECT_EQ(run({kReport, "--bunt", kExample.string()}, {"/dev/null", out(), err()}), 2);
    // The summary over the file that standard output goes to: refused before any line.
    EXPECT_EQ(run({kReport, "--summary", out(), kExample.string()}, {"/dev/null", out(), err()}), 3);
    EXPECT_EQ(readAll(err()),
              "kalvor1-report: Zusammenfassung nicht geschrieben (an seiner Stelle steht eine Datei, "
              "die diese Auswertung liest): " +
                  out() + "\n");
#ifdef KALVOR_PROGRAM
    EXPECT_EQ(run({kProgram, "--version"}, {"/dev/null", "/dev/full", err()}), 3);
    EXPECT_EQ(run({kProgram, "--bunt"}, {"/dev/null", out(), err()}), 2);
#endif
}

TEST_F(Process, APictureThatCannotBeWrittenLeavesNoFile) {
    // A file size limit of 0 bytes fails every write to a file, as a full disk does;
    // the CSV goes to a device, which the limit leaves alone.
    const fs::path charts = dir / "c";
    fs::create_directories(charts);
    EXPECT_EQ(run({"/bin/sh", "-c", "ulimit -f 0; exec \"$0\" \"$@\"", kReport, "--chart", charts.string(),
                   kExample.string()},
                  {"/dev/null", "/dev/null", err()}),
              1)
        << readAll(err());
    EXPECT_TRUE(fs::is_empty(charts));
}

TEST_F(Process, ProgressOnlyOnATerminal) {
    const std::vector<std::string> argv{kReport, kExample.parent_path().string()};
    EXPECT_EQ(run(argv, {"/dev/null", "/dev/null", err()}), 0);
    EXPECT_EQ(readAll(err()), "");

    const Terminal terminal;
    EXPECT_EQ(run(argv, {"/dev/null", "/dev/null", terminal.path()}), 0);
    const std::string shown = terminal.shown();
    // The terminal turns the closing "\n" into "\r\n".
    EXPECT_TRUE(shown.starts_with("\rkalvor1-report: ")) << shown;
    EXPECT_TRUE(shown.ends_with("\rkalvor1-report: 3 von 3 Dateien\r\n")) << shown;

    // The lines on the same terminal: a progress line there would run into them.
    const Terminal both;
    EXPECT_EQ(run(argv, {"/dev/null", both.path(), both.path()}), 0);
    const std::string lines = both.shown();
    EXPECT_TRUE(lines.starts_with("Datei,Kopfzeile 1,")) << lines;
    EXPECT_EQ(lines.find("von 3 Dateien"), std::string::npos) << lines;
}

#ifdef KALVOR_PROGRAM
// Where the window cannot open, the user reads why in German and the program ends
// with its own status, not with Qt's English text and an abort.
TEST_F(Process, NoDisplayIsToldInGerman) {
    const fs::path input = dir / "tisch1.txt";
    fs::copy_file(kExample, input);
    Start none, unreachable;
    none.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    unreachable.unset = {"WAYLAND_DISPLAY"};
    unreachable.set = {"DISPLAY=:97", "QT_QPA_PLATFORM=xcb"};
    for (const Start& how : {none, unreachable}) {
        EXPECT_EQ(run({kProgram, input.string()}, {"/dev/null", out(), err()}, how), 4);
        EXPECT_EQ(readAll(err()),
                  "kalvor1: Kein Bildschirm erreichbar. Kalvor 1 braucht eine grafische Sitzung (X11 oder Wayland);\n"
                  "DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt oder nennen keine erreichbare Anzeige.\n"
                  "Für eine Auswertung ohne Bildschirm gibt es kalvor1-report.\n");
    }
}
#endif

// A system that starts no more threads: the report goes on with the threads it
// has, or on its own, instead of waiting for ever for workers that never came.
TEST_F(Process, ThreadsThatCannotStartLeaveTheReportToFewer) {
    // Root may start threads past any limit, so the child runs as nobody; the sanitizers'
    // leak check stops the world with a thread of its own, which the limit forbids too.
    Start how;
    how.set = {"ASAN_OPTIONS=detect_leaks=0"};
    how.asNobody = true;
    how.processLimit = 0;
    const fs::path archive = dir / "archiv";
    fs::create_directories(archive);
    for (const auto& entry : fs::directory_iterator(kExample.parent_path()))
        fs::copy_file(entry.path(), archive / entry.path().filename());
    fs::permissions(dir, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(archive, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    for (const auto& entry : fs::directory_iterator(archive))
        fs::permissions(entry.path(), fs::perms::others_read, fs::perm_options::add);
    const pid_t pid = start({kReport, "-j", "7", archive.string()}, {"/dev/null", out(), err()}, how);
    int status = -1;
    for (int waited = 0; waited < 3000; ++waited) {
        int raw = 0;
        if (::waitpid(pid, &raw, WNOHANG) == pid) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (status == -1) {
        ::kill(pid, SIGKILL);
        wait(pid);
        FAIL() << "the report hangs";
    }
    if (status == 127) GTEST_SKIP() << "the user nobody may not start " << kReport;
    EXPECT_EQ(status, 0) << readAll(err());
    EXPECT_EQ(readAll(err()),
              "kalvor1-report: Das System startet keine weiteren Threads; die Dateien werden nacheinander "
              "ausgewertet.\n");
    EXPECT_EQ(run({kReport, "-j", "1", archive.string()}, {"/dev/null", (dir / "one").string(), err()}), 0);
    EXPECT_EQ(readAll(out()), readAll(dir / "one"));
}

namespace {

// An archive that takes the report long enough to be interrupted.
void writeArchive(const fs::path& folder, int files) {
    fs::create_directories(folder);
    std::mt19937 engine(7);
    for (int f = 0; f < files; ++f) {
        std::ofstream o(folder / ("tag" + std::to_string(1000 + f) + ".txt"), std::ios::binary);
        o << "Spielbank Hamburg\r\nTisch 1\r\nTag " << f << "\r\nab 15 Uhr\r\n";
        for (int i = 0; i < 2000; ++i) o << engine() % 37 << "\r\n";
    }
}

std::size_t countLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

// An interrupted run leaves no file of its own making but whole pictures, and the
// CSV ends with a whole line.
TEST_F(Process, ASignalLeavesNoTemporaryFileAndWholeLines) {
    writeArchive(dir / "archiv", 400);
    int interrupted = 0;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGTERM}) {
        const fs::path charts = dir / "bilder", page = dir / "seite";
        fs::remove_all(charts);
        fs::remove_all(page);
        fs::create_directories(page);
        fs::remove(out());  // the lines counted are this run's
        const pid_t pid = start({kReport, "-j", "2", "--chart", charts.string(), "--html", (page / "s.html").string(),
                                 (dir / "archiv").string()},
                                {"/dev/null", out(), err()});
        // Some lines in, and a little later each time.
        const std::size_t after = 5 + 40 * static_cast<std::size_t>(interrupted);
        for (int waited = 0; waited < 20000 && countLines(readAll(out())) < after; ++waited)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        ::kill(pid, signal);
        const int status = wait(pid);
        if (status == -signal) ++interrupted;
        else EXPECT_EQ(status, 0) << "signal " << signal;  // finished first
        const std::string csv = readAll(out());
        std::error_code ignored;  // a signal before the folder was made
        EXPECT_TRUE(csv.ends_with("\r\n")) << csv.substr(csv.size() - std::min<size_t>(csv.size(), 200));
        for (const auto& entry : fs::directory_iterator(charts, fs::directory_options::none, ignored)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.ends_with(".png") && !name.starts_with('.')) << name;
            EXPECT_TRUE(readAll(entry.path()).ends_with(std::string("IEND\xAE\x42\x60\x82", 8))) << name;
        }
        for (const auto& entry : fs::directory_iterator(page))
            EXPECT_EQ(entry.path().filename(), "s.html") << "left behind: " << entry.path();
    }
    EXPECT_GE(interrupted, 3);
}

// The page stages its rows beside itself: a temporary directory that is gone or
// cannot take a byte does not matter.
TEST_F(Process, ThePageNeedsNoTemporaryDirectory) {
    fs::copy_file(kExample, dir / "tisch1.txt");
    Start how;
    how.set = {"TMPDIR=/nonexistent"};
    const std::string folder = dir.string();
    how.inChild = [folder] {
        // In this child's own mounts: /tmp read-only, all but the test's folder.
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("/tmp", "/tmp", nullptr, MS_BIND, nullptr) == 0 &&
               ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
               ::mount(nullptr, "/tmp", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    };
    const int status = run({kReport, "--html", (dir / "seite.html").string(), (dir / "tisch1.txt").string()},
                           {"/dev/null", out(), err()}, how);
    if (status == 77) GTEST_SKIP() << "no mount namespace here (needs root)";
    EXPECT_EQ(status, 0) << readAll(err());
    EXPECT_TRUE(readAll(dir / "seite.html").ends_with("</html>\n"));
}

// As root, the summary and the page over /dev/null and /dev/full: each refused and
// left a device. The devices are a tmpfs's own, in a mount namespace of the child,
// so that the real /dev is never at risk. A disk that is full is named so, and
// keeps nothing of the page.
TEST_F(Process, DevicesStayDevicesAndAFullDiskIsNamedAsRoot) {
    fs::copy_file(kExample, dir / "tisch1.txt");
    const std::string script =
        "mount -t tmpfs -o size=64k kalvor-dev /dev || exit 77\n"
        "mknod -m 666 /dev/null c 1 3 && mknod -m 666 /dev/full c 1 7 || exit 77\n"
        "for output in '--html /dev/null' '--summary /dev/full' '--summary /dev/null --html /dev/full'; do\n"
        "  \"$0\" $output \"$1\" > \"$2\" 2>> \"$3\"; echo $? >> \"$2.status\"\n"
        "done\n"
        "[ -c /dev/null ] && [ -c /dev/full ] || exit 1\n"
        "mkdir -p \"$2.voll\" && mount -t tmpfs -o size=8k kalvor-full \"$2.voll\" || exit 77\n"
        "\"$0\" --html \"$2.voll/s.html\" \"$1\" > /dev/null 2> \"$2.voll.err\"; echo $? >> \"$2.status\"\n"
        "ls -A \"$2.voll\" > \"$2.left\"\n";
    const int status =
        run({"/usr/bin/unshare", "-m", "/bin/sh", "-c", script, kReport, (dir / "tisch1.txt").string(), out(), err()},
            {"/dev/null", "/dev/null", (dir / "sh").string()});
    if (status == 77 || ::geteuid() != 0) GTEST_SKIP() << "needs root and a mount namespace";
    EXPECT_EQ(status, 0) << "a device was replaced";
    EXPECT_EQ(readAll(out() + ".status"), "3\n3\n3\n1\n") << readAll(err());
    EXPECT_EQ(readAll(out() + ".voll.err"),
              "kalvor1-report: Seite nicht geschrieben (Datenträger voll): " + out() + ".voll/s.html\n");
    EXPECT_EQ(readAll(out() + ".left"), "");
    EXPECT_EQ(readAll(err()),
              "kalvor1-report: Seite nicht geschrieben (an seiner Stelle steht keine normale Datei): /dev/null\n"
              "kalvor1-report: Zusammenfassung nicht geschrieben (an seiner Stelle steht keine normale Datei): "
              "/dev/full\n"
              "kalvor1-report: Zusammenfassung nicht geschrieben (an seiner Stelle steht keine normale Datei): "
              "/dev/null\n");
    EXPECT_EQ(readAll(out()), "");
}
