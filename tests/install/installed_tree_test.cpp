// SPDX-License-Identifier: MIT
// The program as `cmake --install` lays it out: started from its installed
// place on the current X display, with the menu entry, software-centre entry,
// icons and manual page that a desktop finds beside it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

const std::string kPrefix = INSTALLED_PREFIX;
const std::string kProgramDir = INSTALLED_PROGRAM_DIR;
const std::string kDataDir = INSTALLED_DATADIR;
const std::string kManDir = INSTALLED_MANDIR;
const std::string kAppId = APP_ID;
const std::string kChangelog = PACKAGE_CHANGELOG;

// The whole file, or nothing (and a failure) if it cannot be read.
std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return "";
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A helper's exit status and everything it wrote, standard error last.
std::pair<int, std::string> run(const std::vector<std::string>& argv) {
    const e2e::CommandResult result = e2e::runCommand(argv);
    return {result.status, result.out + result.err};
}

// The key=value lines of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntryKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    bool inGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (inGroup && line.find('=') != std::string::npos && line[0] != '#') {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

// The text of the first <tag> element of an XML document, "" if there is none.
std::string elementText(const std::string& xml, const std::string& tag) {
    std::smatch match;
    const std::regex element("<" + tag + "(\\s[^>]*)?>([^<]*)</" + tag + ">");
    return std::regex_search(xml, match, element) ? match[2].str() : "";
}

// The value of `attribute` in the first <tag> element, "" if there is none.
std::string attributeOf(const std::string& xml, const std::string& tag,
                        const std::string& attribute) {
    std::smatch match;
    if (!std::regex_search(xml, match, std::regex("<" + tag + "\\s[^>]*>"))) return "";
    const std::string start = match[0].str();
    if (!std::regex_search(start, match, std::regex("\\s" + attribute + "=\"([^\"]*)\"")))
        return "";
    return match[1].str();
}

// Width and height from a PNG's header chunk; (-1, -1) if it is no PNG.
std::pair<long, long> pngSize(const std::string& bytes) {
    const std::string signature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.compare(0, 8, signature) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {-1, -1};
    }
    auto bigEndian = [&bytes](size_t at) {
        long value = 0;
        for (size_t i = at; i < at + 4; ++i)
            value = value * 256 + static_cast<unsigned char>(bytes[i]);
        return value;
    };
    return {bigEndian(16), bigEndian(20)};
}

TEST(InstalledTree, ProgramOpensItsWindowAndPrintsTheHelp) {
    e2e::RunningToy toy(kProgramDir + "/ballcourse", {});
    EXPECT_EQ(toy.title(), "My Window");
    e2e::WindowGeometry geometry = toy.geometry();
    EXPECT_EQ(geometry.width, 600);
    EXPECT_EQ(geometry.height, 600);
    EXPECT_TRUE(toy.waitForOutput(e2e::kExpectedHelp, 10.0)) << "the output was:\n" << toy.output();
    EXPECT_EQ(toy.quit(), 0);
}

TEST(InstalledTree, DesktopEntryStartsTheInstalledProgramWithItsIcons) {
    const std::string path = kDataDir + "/applications/" + kAppId + ".desktop";
    std::map<std::string, std::string> keys = desktopEntryKeys(readFile(path));
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Terminal"], "false");
    EXPECT_EQ(keys["Categories"], "Game;Simulation;");
    EXPECT_FALSE(keys["Name"].empty());
    EXPECT_FALSE(keys["Comment"].empty());
    // A menu starts Exec through the search path; the installed program must
    // be the one it finds in the prefix's program directory.
    EXPECT_EQ(access((kProgramDir + "/" + keys["Exec"]).c_str(), X_OK), 0)
        << "Exec=" << keys["Exec"] << " is not an installed program";

    ASSERT_FALSE(keys["Icon"].empty());
    for (long size : {48L, 128L, 256L}) {
        const std::string dir = std::to_string(size) + "x" + std::to_string(size);
        const std::string icon =
            kDataDir + "/icons/hicolor/" + dir + "/apps/" + keys["Icon"] + ".png";
        EXPECT_EQ(pngSize(readFile(icon)), std::make_pair(size, size)) << icon;
    }

    auto [status, report] = run({"desktop-file-validate", path});
    EXPECT_EQ(status, 0) << report;
    EXPECT_EQ(report, "");
}

TEST(InstalledTree, SoftwareCentreEntryValidatesAndDescribesThePackagedRelease) {
    const std::string xml = readFile(kDataDir + "/metainfo/" + kAppId + ".metainfo.xml");
    // The whole tree, so the entry is also paired with the menu entry of its id.
    auto [status, report] = run({"appstreamcli", "validate-tree", "--no-net", kPrefix});
    EXPECT_EQ(status, 0) << report;

    EXPECT_EQ(elementText(xml, "id"), kAppId);
    EXPECT_EQ(elementText(xml, "launchable"), kAppId + ".desktop");
    EXPECT_EQ(elementText(xml, "metadata_license"), "MIT");
    EXPECT_EQ(elementText(xml, "project_license"), "MIT");
    EXPECT_EQ(attributeOf(xml, "content_rating", "type"), "oars-1.1");
    const std::string binary = elementText(xml, "binary");
    ASSERT_FALSE(binary.empty());
    EXPECT_EQ(access((kProgramDir + "/" + binary).c_str(), X_OK), 0) << binary;

    // The newest release, listed first, is the one the package's changelog
    // names, on the day of its changelog entry.
    auto [versionStatus, version] = run({"dpkg-parsechangelog", "-l", kChangelog, "-S", "Version"});
    ASSERT_EQ(versionStatus, 0) << version;
    auto [dateStatus, date] = run(
        {"sh", "-c", "date -u -d \"$(dpkg-parsechangelog -l \"$0\" -S Date)\" +%F", kChangelog});
    ASSERT_EQ(dateStatus, 0) << date;
    EXPECT_EQ(attributeOf(xml, "release", "version") + "\n", version);
    EXPECT_EQ(attributeOf(xml, "release", "date") + "\n", date);
}

TEST(InstalledTree, ManualPageListsEveryCommandAndFormatsCleanly) {
    const std::string page = kManDir + "/man6/ballcourse.6.gz";
    auto [unpacked, text] = run({"gzip", "-dc", page});
    ASSERT_EQ(unpacked, 0) << text;

    // Every key of the help, and H, which the help leaves out, has an entry
    // of its own; so have the two mouse buttons.
    std::istringstream help(e2e::kExpectedHelp);
    std::string line;
    std::getline(help, line);  // "Commands:"
    int keys = 0;
    while (std::getline(help, line)) {
        std::string name = line.substr(0, line.find(" - "));
        if (name.size() != 1) continue;
        ++keys;
        EXPECT_NE(text.find("\n.B " + name + "\n"), std::string::npos) << "no entry for " << name;
    }
    EXPECT_EQ(keys, 11);
    EXPECT_NE(text.find("\n.B H\n"), std::string::npos);
    EXPECT_NE(text.find("\n.B Left press in the main window\n"), std::string::npos);
    EXPECT_NE(text.find("\n.B Right drag\n"), std::string::npos);

    auto [formatted, warnings] = run({"sh", "-c", "gzip -dc \"$0\" | groff -man -ww -z", page});
    EXPECT_EQ(formatted, 0);
    EXPECT_EQ(warnings, "");
}

}  // namespace
