// The built programs as a shell starts them: closed standard descriptors, an output
// that fails, a file size limit, and standard error on a terminal or not.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

class Process : public kalvor::testing::ScratchDirTest {
protected:
    // The exit status of the program; each of descriptors 0-2 is closed (""), or opened on
    // the path given (a file in dir is truncated first).
    int run(const std::vector<std::string>& argv, const std::array<std::string, 3>& descriptors) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        for (int fd = 0; fd < 3; ++fd) {
            const std::string& path = descriptors[static_cast<size_t>(fd)];
            if (path.empty()) posix_spawn_file_actions_addclose(&actions, fd);
            else
                posix_spawn_file_actions_addopen(&actions, fd, path.c_str(),
                                                 fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        EXPECT_TRUE(WIFEXITED(status)) << argv[0];
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string out() const { return (dir / "out").string(); }
    std::string err() const { return (dir / "err").string(); }
};

}  // namespace

TEST_F(Process, ClosedStandardDescriptorsGetNoFileOfTheRun) {
    // Without /dev/null on descriptor 1 the permanence took its number, and the CSV
    // went into the file's descriptor.
    const fs::path input = dir / "tisch1.txt";
    fs::copy_file(kExample, input);
    const std::string before = readAll(input);
    EXPECT_EQ(run({kReport, "--chart", (dir / "c").string(), input.string()}, {"/dev/null", "", err()}), 0)
        << readAll(err());
    EXPECT_EQ(run({kReport, input.string()}, {"", "", ""}), 0);
    EXPECT_EQ(readAll(input), before);
#ifdef KALVOR_PROGRAM
    EXPECT_EQ(run({kProgram, "--version"}, {"/dev/null", "", err()}), 0);
#endif
}

TEST_F(Process, AnOutputThatFailsHasItsOwnStatus) {
    EXPECT_EQ(run({kReport, kExample.string()}, {"/dev/null", "/dev/full", err()}), 3);
    EXPECT_NE(readAll(err()), "");
    EXPECT_EQ(run({kReport, "--help"}, {"/dev/null", "/dev/full", err()}), 3);
    EXPECT_EQ(run({kReport, "--chart", "/dev/null/bilder", kExample.string()}, {"/dev/null", out(), err()}), 3);
    EXPECT_EQ(readAll(out()), "");
    EXPECT_EQ(run({kReport, "--bunt", kExample.string()}, {"/dev/null", out(), err()}), 2);
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

    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::grantpt(terminal), 0);
    ASSERT_EQ(::unlockpt(terminal), 0);
    EXPECT_EQ(run(argv, {"/dev/null", "/dev/null", ::ptsname(terminal)}), 0);
    std::string shown;
    char bytes[4096];
    // The child has ended: what it wrote is waiting, then the terminal has no writer.
    ::fcntl(terminal, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = ::read(terminal, bytes, sizeof bytes)) > 0;) shown.append(bytes, static_cast<size_t>(n));
    ::close(terminal);
    // The terminal turns the closing "\n" into "\r\n".
    EXPECT_TRUE(shown.starts_with("\rkalvor1-report: ")) << shown;
    EXPECT_TRUE(shown.ends_with("\rkalvor1-report: 3 von 3 Dateien\r\n")) << shown;
}
