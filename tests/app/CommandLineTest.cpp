// The command line: what it opens, what it refuses, and the version it names.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/LayoutTable.h"

using namespace kalvor;
using Action = CommandLine::Action;

namespace {

CommandLine parse(std::vector<std::string> args) { return parseCommandLine(args, "/home/anna/perm"); }

}  // namespace

TEST(CommandLine, AFileIsNamedAbsoluteAndPlainAgainstTheWorkingDirectory) {
    EXPECT_EQ(parse({}).action, Action::Run);
    EXPECT_EQ(parse({}).file, "");
    EXPECT_EQ(parse({"tisch1.txt"}).file, "/home/anna/perm/tisch1.txt");
    EXPECT_EQ(parse({"/daten/tisch1.txt"}).file, "/daten/tisch1.txt");
    // The panel lists every component of the path: no ".", "..", doubled or trailing slash.
    EXPECT_EQ(parse({"./alt/../neu//tisch2.txt"}).file, "/home/anna/perm/neu/tisch2.txt");
    EXPECT_EQ(parse({"../"}).file, "/home/anna");
    // After "--" a name may begin with "-"; "-" alone is a name anyway.
    const CommandLine dashed = parse({"--", "-tisch3.txt"});
    EXPECT_EQ(dashed.action, Action::Run);
    EXPECT_EQ(dashed.file, "/home/anna/perm/-tisch3.txt");
    EXPECT_EQ(parse({"-"}).file, "/home/anna/perm/-");
}

TEST(CommandLine, HelpVersionAndEveryOtherOptionOrASecondFileRefused) {
    EXPECT_EQ(parse({"--help"}).action, Action::Help);
    EXPECT_EQ(parse({"tisch1.txt", "-h"}).action, Action::Help);
    EXPECT_EQ(parse({"--version", "-reverse"}).action, Action::Version);
    // Qt's own start-up options are unknown options like any other.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"-reverse"},
                                                                                      {"-stylesheet", "red.qss"},
                                                                                      {"-style", "fusion"},
                                                                                      {"-platform", "offscreen"},
                                                                                      {"--hilfe"},
                                                                                      {"-x", "--help"}}) {
        const CommandLine line = parse(args);
        EXPECT_EQ(line.action, Action::UsageError) << args.front();
        EXPECT_EQ(line.error, "kalvor1: unbekannte Option „" + args.front() + "“");
        EXPECT_EQ(line.file, "");
    }
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"a.txt", "b.txt"}, {"a.txt", "--", "b.txt"}, {""}}) {
        EXPECT_EQ(parse(args).action, Action::UsageError) << args.front();
        EXPECT_EQ(parse(args).file, "");
    }
    // Nothing is opened then, and the message says so.
    EXPECT_EQ(parse({"a.txt", "b.txt"}).error, "kalvor1: mehr als eine Datei angegeben; geöffnet werden kann nur eine");
}

// The caption is fixed text; the version lives in the build. A release changes both.
TEST(CommandLine, TheVersionIsTheOneTheCaptionShows) {
    const std::string version(programVersion());
    const size_t dot = version.find('.');
    ASSERT_NE(dot, std::string::npos);
    const auto twoDigits = [](std::string part) { return part.size() < 2 ? "0" + part : part; };
    const std::string caption = "V" + twoDigits(version.substr(0, dot)) + "." + twoDigits(version.substr(dot + 1));
    EXPECT_NE(kWindowCaption.find(" / " + caption + "  "), std::string_view::npos) << caption;
    EXPECT_TRUE(versionText().starts_with("kalvor1 (Kalvor 1) " + version + "\n"));
}
