// SPDX-License-Identifier: MIT
// Plays every user scenario of tests/scenarios/ on the real toy under X, one
// test per file: each step through real pointer and key events, each
// expectation polled on the window's pixels until it holds or its deadline
// passes. The browser driver (tests/browser/) plays the same files in the
// Emscripten build.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/scenario_format.h"
#include "tests/e2e/scenario_picture.h"

namespace {

using e2e::Image;
using e2e::RunningToy;
using scenario::Kind;
using scenario::Step;
using Clock = std::chrono::steady_clock;

// How long an expectation is polled: a loaded machine or a cold shader cache
// can hold a frame back for seconds, and a ball let go above a block takes
// about 7 s to come to rest at full speed, more on a busy machine.
constexpr double kDeadline = 30.0;
// How long a picture that `stays` must keep meeting the expectation: 15 ticks.
constexpr double kHoldSeconds = 0.3;
// How long a single step waits for the picture to change before taking it
// that nothing moved: 15 ticks, ample for the toy to handle the O and run
// the tick that consumes it, so no two presses fall in the same tick.
constexpr double kTickWait = 0.3;
// Steps in a row that change nothing, once the ball has moved, that mean
// it has come to rest.
constexpr int kStillSteps = 15;
// Two pictures this far apart that agree mean nothing is moving.
constexpr double kStillGap = 0.2;
constexpr double kPollInterval = 0.05;

// The scenarios sit in tests/scenarios/ of the source tree. CMake compiles
// every source by its absolute path, so this file's own name leads there.
std::string scenarioDirectory() {
    const std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/../scenarios";
}

// A scenario file, printed by its place in the source tree: CTest shows the
// printed parameter beside each test's name.
struct ScenarioFile {
    std::string path;
    std::string shown() const { return "tests/scenarios/" + path.substr(path.rfind('/') + 1); }
};

void PrintTo(const ScenarioFile& file, std::ostream* out) {
    *out << file.shown();
}

std::vector<ScenarioFile> scenarioFiles() {
    std::vector<ScenarioFile> files;
    const std::string dir = scenarioDirectory();
    if (DIR* listing = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            const std::string suffix = ".scenario";
            if (name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
                files.push_back(ScenarioFile{dir + "/" + name});
            }
        }
        closedir(listing);
    }
    std::sort(files.begin(), files.end(),
              [](const ScenarioFile& a, const ScenarioFile& b) { return a.path < b.path; });
    return files;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw e2e::E2eError("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The file's name without folder and suffix, as a test name can hold it.
std::string stem(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    name = name.substr(0, name.rfind('.'));
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

// Carries out the steps of one scenario on one running toy. Each step
// returns "" when it went as described, else what went otherwise; the
// latest capture is kept for the failure report.
class Player {
  public:
    explicit Player(RunningToy& toy) : toy_(toy) {}
    // Lets go of the keys still held: the X server would keep them down,
    // and auto-repeat them, for the next toy on the display.
    ~Player() {
        for (char key : held_) {
            try {
                toy_.keyUp(std::string(1, key), 0.0);
            } catch (const e2e::E2eError&) {
            }
        }
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    std::string play(const Step& step) {
        seen_.clear();
        switch (step.kind) {
            case Kind::Move:
                toy_.moveTo(step.points[0].x, step.points[0].y);
                return "";
            case Kind::Click:
                toy_.click(1, step.points[0].x, step.points[0].y);
                return "";
            case Kind::Drag:
                return drag(step);
            case Kind::Key:
                for (int i = 0; i < step.count; ++i) toy_.key(std::string(1, step.key));
                return "";
            case Kind::KeyDown:
                held_.insert(step.key);
                toy_.keyDown(std::string(1, step.key));
                return "";
            case Kind::KeyUp:
                toy_.keyUp(std::string(1, step.key));
                held_.erase(step.key);
                return "";
            case Kind::Step:
                return singleSteps(step.count);
            case Kind::StepUntilStill:
                return stepUntilStill();
            case Kind::ExpectBlob:
            case Kind::ExpectColour:
            case Kind::ExpectPalettes:
                return expectPicture(step);
            case Kind::ExpectHelp:
                return expectHelp(step.count);
            case Kind::ExpectEnded:
                return expectEnded();
            case Kind::ExpectTitle:
                return expectTitle(step.title);
            case Kind::Snapshot:
                return snapshot(step.name);
        }
        return "unknown step";
    }

    const Image& lastCapture() const { return last_; }
    // What the last picture expectation saw, whether met or not.
    const std::string& seen() const { return seen_; }

  private:
    std::string drag(const Step& step) {
        toy_.press(step.button, step.points[0].x, step.points[0].y);
        try {
            for (const scenario::Point& p : scenario::dragMotion(step)) toy_.moveTo(p.x, p.y);
        } catch (const e2e::E2eError&) {
            // A button left down would stay down for the next toy on the display.
            toy_.release(step.button, step.points.back().x, step.points.back().y);
            throw;
        }
        toy_.release(step.button, step.points.back().x, step.points.back().y);
        return "";
    }

    // Captures until the picture differs from `before` or `seconds` pass.
    bool changedFrom(const Image& before, double seconds) {
        return e2e::eventually(
            [&] {
                last_ = toy_.capture();
                return last_.rgb != before.rgb;
            },
            seconds);
    }

    // The picture once two captures kStillGap apart agree.
    bool stillPicture(Image& still) {
        const Clock::time_point start = Clock::now();
        still = toy_.capture();
        while (changedFrom(still, kStillGap)) {
            still = last_;
            if (secondsSince(start) > kDeadline) return false;
        }
        last_ = still;
        return true;
    }

    // One O press, then the change it makes or kTickWait of nothing.
    bool singleStep(Image& before) {
        toy_.key("o", 0.0);
        if (!changedFrom(before, kTickWait)) return false;
        before = last_;
        return true;
    }

    std::string singleSteps(int count) {
        Image before = toy_.capture();
        for (int i = 0; i < count; ++i) singleStep(before);
        return "";
    }

    std::string stepUntilStill() {
        Image before;
        if (!stillPicture(before)) return "the picture keeps changing; is the ball paused?";
        bool moved = false;
        int unchanged = 0, steps = 0;
        while (steps < scenario::kMaxStillSteps && (!moved || unchanged < kStillSteps)) {
            if (singleStep(before)) {
                moved = true;
                unchanged = 0;
            } else {
                ++unchanged;
            }
            ++steps;
        }
        if (!moved) return "nothing moved in " + std::to_string(steps) + " steps";
        if (unchanged < kStillSteps) {
            return "the ball was still moving after " + std::to_string(steps) + " steps";
        }
        return "";
    }

    std::string expectPicture(const Step& step) {
        const Clock::time_point start = Clock::now();
        Clock::time_point heldSince = start;
        int heldCaptures = 0;
        while (true) {
            last_ = toy_.capture();
            const scenario::Verdict verdict = scenario::judge(step, last_);
            seen_ = verdict.seen;
            if (verdict.met) {
                if (!step.held) return "";
                if (heldCaptures++ == 0) heldSince = Clock::now();
                if (heldCaptures >= 2 && secondsSince(heldSince) >= kHoldSeconds) return "";
            } else {
                heldCaptures = 0;
            }
            if (secondsSince(start) > kDeadline) {
                return verdict.met ? "it did not stay so for 0.3 s"
                                   : "the picture shows " + verdict.seen;
            }
            e2e::pause(kPollInterval);
        }
    }

    std::string expectHelp(int times) {
        const std::string wanted = repeated(e2e::kExpectedHelp, times);
        if (e2e::eventually([&] { return toy_.output().size() >= wanted.size(); }, kDeadline) &&
            toy_.output() == wanted) {
            return "";
        }
        return "the output is:\n" + toy_.output();
    }

    std::string expectTitle(const std::string& title) {
        std::string seen;
        const bool shown = e2e::eventually(
            [&] {
                seen = toy_.title();
                return seen == title;
            },
            kDeadline);
        return shown ? "" : "the window's title is \"" + seen + "\"";
    }

    std::string expectEnded() {
        const int status = toy_.waitForExit(kDeadline);
        if (status == 0) return "";
        if (status < 0) return "the toy still runs";
        return "the toy ended with status " + std::to_string(status);
    }

    std::string snapshot(const std::string& name) {
        Image still;
        if (!stillPicture(still)) return "the picture did not come to rest";
        const std::string path = e2e::sharedArtefactPath("frames/desktop/" + name + ".ppm");
        still.savePpm(path);
        return "";
    }

    RunningToy& toy_;
    std::set<char> held_;
    Image last_;
    std::string seen_;
};

class ScenarioE2eTest : public ::testing::TestWithParam<ScenarioFile> {};

TEST_P(ScenarioE2eTest, Plays) {
    const std::string file = GetParam().path;
    const std::string where = GetParam().shown();
    std::vector<Step> steps;
    try {
        steps = scenario::parseScenario(readFile(file));
    } catch (const std::exception& error) {
        FAIL() << where << ": " << error.what();
    }
    // For writing a scenario: each step with what the picture showed.
    const bool tracing = std::getenv("BALLCOURSE_SCENARIO_TRACE") != nullptr;
    RunningToy toy;
    Player player(toy);
    for (const Step& step : steps) {
        std::string failure;
        try {
            failure = player.play(step);
        } catch (const e2e::E2eError& error) {
            failure = error.what();
        }
        if (tracing)
            std::printf("%d: %s -> %s\n", step.line, step.text.c_str(), player.seen().c_str());
        if (failure.empty()) continue;
        // The first difference ends the scenario: what follows builds on it.
        std::string saved;
        if (player.lastCapture().width > 0) {
            saved = e2e::artefactPath("line-" + std::to_string(step.line) + ".ppm");
            player.lastCapture().savePpm(saved);
        }
        FAIL() << where << ":" << step.line << ": " << step.text << "\n  " << failure
               << (saved.empty() ? "" : "\n  picture: " + saved);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioE2eTest, ::testing::ValuesIn(scenarioFiles()),
                         [](const ::testing::TestParamInfo<ScenarioFile>& info) {
                             return stem(info.param.path);
                         });

// The format itself, without a toy: what both drivers must read alike.
TEST(ScenarioFormat, EveryScenarioFileReads) {
    const std::vector<ScenarioFile> files = scenarioFiles();
    ASSERT_FALSE(files.empty()) << "no scenario in " << scenarioDirectory();
    for (const ScenarioFile& file : files) {
        SCOPED_TRACE(file.shown());
        EXPECT_NO_THROW(scenario::parseScenario(readFile(file.path)));
    }
}

TEST(ScenarioFormat, ReadsEachKindOfStep) {
    const std::vector<Step> steps = scenario::parseScenario(
        "# a comment line\n"
        "\n"
        "click 50 150   # the curve palette\n"
        "key x 54 times\n"
        "drag right 599 299 to 599 0 to 180 0 by 24\n"
        "expect piece stays near 427 190 within 60 size 19x55\n"
        "expect no ball\n"
        "expect colour 204 204 230 at 1 1\n"
        "expect help 1 time\n"
        "step until still\n"
        "snapshot demo_course\n");
    ASSERT_EQ(steps.size(), 9u);
    EXPECT_EQ(steps[0].kind, Kind::Click);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].text, "click 50 150");
    EXPECT_TRUE(steps[0].points[0] == (scenario::Point{50, 150}));
    EXPECT_EQ(steps[1].key, 'x');
    EXPECT_EQ(steps[1].count, 54);
    EXPECT_EQ(steps[2].button, 3);
    EXPECT_EQ(steps[2].points.size(), 3u);
    EXPECT_EQ(steps[2].stride, 24);
    const Step& blob = steps[3];
    EXPECT_TRUE(blob.held && blob.near && !blob.absent);
    EXPECT_EQ(blob.within, 60);
    EXPECT_EQ(blob.width, 19);
    EXPECT_EQ(blob.height, 55);
    EXPECT_TRUE(steps[4].absent);
    EXPECT_EQ(steps[4].subject, scenario::Subject::Ball);
    EXPECT_FALSE(steps[4].near);
    EXPECT_EQ(steps[5].rgb[2], 230);
    EXPECT_EQ(steps[6].count, 1);
    EXPECT_EQ(steps[7].kind, Kind::StepUntilStill);
    EXPECT_EQ(steps[8].name, "demo_course");
}

// The lines of tests/scenarios/format_errors.txt, each after a good line.
TEST(ScenarioFormat, RejectsWhatIsNoStepAndNamesTheLine) {
    std::istringstream lines(readFile(scenarioDirectory() + "/format_errors.txt"));
    std::string line;
    int tried = 0;
    while (std::getline(lines, line)) {
        const std::string step = line.substr(0, line.find('#'));
        if (step.find_first_not_of(" \t") == std::string::npos) continue;
        ++tried;
        SCOPED_TRACE(line);
        try {
            scenario::parseScenario("move 1 1\n" + step + "\n");
            ADD_FAILURE() << "read without complaint";
        } catch (const scenario::FormatError& error) {
            EXPECT_EQ(std::string(error.what()).rfind("line 2: ", 0), 0u) << error.what();
        }
    }
    EXPECT_GT(tried, 30);
    EXPECT_THROW(scenario::parseScenario("# only a comment\n\n"), scenario::FormatError);
}

// The demo script's arithmetic: round(length / stride) events a line, at
// whole pixels truncated toward zero, each line ending on its point.
TEST(ScenarioFormat, DragMovesInEvenStepsThatEndOnEachPoint) {
    const Step drag = scenario::parseScenario("drag right 599 299 to 599 0 to 180 0 by 24\n")[0];
    const std::vector<scenario::Point> motion = scenario::dragMotion(drag);
    ASSERT_EQ(motion.size(), 12u + 17u);  // 299 / 24 = 12.5 rounds to 12; 419 / 24 to 17
    EXPECT_TRUE(motion[0] == (scenario::Point{599, 275}));  // 299 - 299/12 truncated
    EXPECT_TRUE(motion[11] == (scenario::Point{599, 0}));
    EXPECT_TRUE(motion[12] == (scenario::Point{575, 0}));  // 599 - 419/17 = 574.4, toward 599
    EXPECT_TRUE(motion.back() == (scenario::Point{180, 0}));
    for (size_t i = 1; i < motion.size(); ++i) {
        const int dx = motion[i].x - motion[i - 1].x, dy = motion[i].y - motion[i - 1].y;
        EXPECT_LE(dx * dx + dy * dy, 26 * 26) << "event " << i;
        EXPECT_GT(dx * dx + dy * dy, 22 * 22) << "event " << i;
    }

    // A line shorter than half the stride still moves once, to its end.
    const Step nudge = scenario::parseScenario("drag left 10 10 to 12 10 by 30\n")[0];
    const std::vector<scenario::Point> one = scenario::dragMotion(nudge);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(one[0] == (scenario::Point{12, 10}));
}

// A white window with an orange 54 by 18 block centred on (400, 200) and an
// orange square in the block palette; the browser driver's test judges the
// same picture alike.
Image pictureWithBlock() {
    Image image;
    image.width = image.height = scenario::kWindowSize;
    image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 255);
    const auto paint = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                unsigned char* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
                p[0] = 230;
                p[1] = 150;
                p[2] = 40;
            }
        }
    };
    paint(373, 191, 427, 209);
    paint(30, 30, 70, 70);
    return image;
}

TEST(ScenarioPicture, FindsABlobWhereItIsWithItsSizePalettesLeftOut) {
    const Image image = pictureWithBlock();
    const auto met = [&](const std::string& line) {
        return scenario::judge(scenario::parseScenario(line + "\n")[0], image).met;
    };
    // The mean is (399.5, 199.5): within 4 pixels, not 5.
    EXPECT_TRUE(met("expect piece near 400 200 size 54x18"));
    EXPECT_TRUE(met("expect piece near 403 203 size 58x22"));
    EXPECT_FALSE(met("expect piece near 405 200"));
    EXPECT_FALSE(met("expect piece near 400 200 size 59x18"));
    EXPECT_FALSE(met("expect piece near 400 200 size 54x13"));
    EXPECT_FALSE(met("expect no piece"));
    EXPECT_TRUE(met("expect no piece near 200 450"));
    EXPECT_TRUE(met("expect no ball"));
    EXPECT_FALSE(met("expect ball"));
    // Within 30 the square holds part of the block only: its mean shifts.
    EXPECT_FALSE(met("expect piece near 380 200 within 30"));
    EXPECT_EQ(
        scenario::judge(scenario::parseScenario("expect piece near 400 200\n")[0], image).seen,
        "972 such pixels, mean (399.5, 199.5), 54x18 from (373, 191)");
    EXPECT_FALSE(met("expect palettes")) << "the curve palette shows no prototype";
    EXPECT_TRUE(met("expect colour 255 255 255 at 0 599"));
    EXPECT_TRUE(met("expect colour 227 153 37 at 400 200"));
    EXPECT_FALSE(met("expect colour 226 150 40 at 400 200"));
}

}  // namespace
