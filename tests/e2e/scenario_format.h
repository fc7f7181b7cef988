// SPDX-License-Identifier: MIT
#pragma once

// Reads the user scenarios of tests/scenarios/ (the format is described in
// the README there): one step a line. The browser driver reads the same
// files with tests/browser/scenario_format.mjs; the two must agree.
//
// Header-only: the end-to-end executable is built from the *_e2e_test.cpp
// files alone.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace scenario {

// A line that is not a step; the message names the line.
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr int kWindowSize = 600;
// Half-side of the square a blob is looked for in, unless `within` says.
constexpr int kDefaultWithin = 40;
// The longest that `step until still` goes on stepping.
constexpr int kMaxStillSteps = 400;

struct Point {
    int x, y;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

enum class Subject { Piece, Ball };

enum class Kind {
    Move,            // the pointer to points[0], no button held
    Click,           // left press and release at points[0]
    Drag,            // `button` pressed at points[0], moved through the rest, released
    Key,             // `key` pressed and released `count` times
    KeyDown,         // `key` held down
    KeyUp,           // `key` let go
    Step,            // O `count` times, each in a tick of its own
    StepUntilStill,  // O until the ball has come to rest
    ExpectBlob,      // a colour blob, or its absence
    ExpectColour,    // the pixel at points[0] is `rgb`
    ExpectPalettes,  // both palettes show their prototypes
    ExpectHelp,      // the output is the help `count` times over
    ExpectEnded,     // the toy has ended
    ExpectTitle,     // the window's title is `title`
    Snapshot,        // the still picture kept as `name`
};

struct Step {
    Kind kind = Kind::Move;
    int line = 0;      // counted from 1
    std::string text;  // the line without its comment, for messages
    std::vector<Point> points;
    int button = 1;  // X's numbering: 1 left, 3 right
    int stride = 0;  // a drag's pixels between motion events
    char key = 0;
    int count = 1;
    // A blob expectation: `near` says points[0] is the middle of the square
    // of half-side `within` looked at; width 0 leaves the size unchecked.
    Subject subject = Subject::Piece;
    bool absent = false;
    bool held = false;
    bool near = false;
    int within = kDefaultWithin;
    int width = 0, height = 0;
    int rgb[3] = {0, 0, 0};
    std::string name;
    std::string title;  // the rest of an `expect title` line, single-spaced
};

namespace detail {

// The words of one line, read left to right; every read names the line in
// its error.
class Words {
  public:
    Words(const std::string& text, int line) : line_(line) {
        std::istringstream in(text);
        std::string word;
        while (in >> word) words_.push_back(word);
    }

    bool done() const { return at_ >= words_.size(); }
    const std::string& peek() const {
        static const std::string none;
        return done() ? none : words_[at_];
    }
    bool take(const std::string& word) {
        if (peek() != word) return false;
        ++at_;
        return true;
    }
    void expect(const std::string& word) {
        if (!take(word)) fail("expected \"" + word + "\"");
    }
    std::string word(const char* what) {
        if (done()) fail(std::string("expected ") + what);
        return words_[at_++];
    }
    int number(const char* what, int low, int high) {
        const std::string text = word(what);
        size_t digits = 0;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
            ++digits;
        }
        if (digits == 0 || digits != text.size() || digits > 6) {
            fail(std::string("expected ") + what + ", found \"" + text + "\"");
        }
        const int value = std::atoi(text.c_str());
        if (value < low || value > high) {
            fail(std::string(what) + " " + text + " is outside " + std::to_string(low) + ".." +
                 std::to_string(high));
        }
        return value;
    }
    Point point() {
        const int x = number("x", 0, kWindowSize - 1);
        return Point{x, number("y", 0, kWindowSize - 1)};
    }
    char letter() {
        const std::string text = word("a key letter");
        if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0]))) {
            fail("a key is one letter, not \"" + text + "\"");
        }
        return text[0];
    }
    // An optional trailing "N times" (or "1 time").
    int times() {
        if (done()) return 1;
        const int n = number("a count", 1, 10000);
        if (!take(n == 1 ? "time" : "times"))
            fail(n == 1 ? "expected \"time\"" : "expected \"times\"");
        return n;
    }
    void end() {
        if (!done()) fail("unexpected \"" + peek() + "\"");
    }
    [[noreturn]] void fail(const std::string& message) const {
        throw FormatError("line " + std::to_string(line_) + ": " + message);
    }

  private:
    std::vector<std::string> words_;
    size_t at_ = 0;
    int line_;
};

inline int buttonNamed(Words& words) {
    const std::string name = words.word("left or right");
    if (name == "left") return 1;
    if (name == "right") return 3;
    words.fail("a button is left or right, not \"" + name + "\"");
}

// expect [no] piece|ball [stays] [near X Y] [within R] [size WxH]
inline void readBlob(Words& words, Step& step) {
    step.kind = Kind::ExpectBlob;
    step.absent = words.take("no");
    const std::string subject = words.word("piece or ball");
    if (subject == "piece") {
        step.subject = Subject::Piece;
    } else if (subject == "ball") {
        step.subject = Subject::Ball;
    } else {
        words.fail("expected piece or ball, found \"" + subject + "\"");
    }
    step.held = words.take("stays");
    if (words.take("near")) {
        step.near = true;
        step.points.push_back(words.point());
    }
    while (!words.done()) {
        if (words.take("within")) {
            step.within = words.number("a radius", 1, kWindowSize);
        } else if (words.take("size")) {
            const std::string size = words.word("a size WxH");
            const size_t x = size.find('x');
            const auto isNumber = [](const std::string& s) {
                return !s.empty() && s.size() < 5 &&
                       s.find_first_not_of("0123456789") == std::string::npos;
            };
            if (x == std::string::npos || !isNumber(size.substr(0, x)) ||
                !isNumber(size.substr(x + 1))) {
                words.fail("a size is WxH in pixels, not \"" + size + "\"");
            }
            step.width = std::atoi(size.substr(0, x).c_str());
            step.height = std::atoi(size.substr(x + 1).c_str());
        } else {
            words.fail("unexpected \"" + words.peek() + "\"");
        }
    }
    if (step.absent && step.width > 0) words.fail("\"no\" takes no \"size\"");
    if (!step.near && (step.within != kDefaultWithin || step.width > 0)) {
        words.fail("\"within\" and \"size\" need \"near X Y\"");
    }
}

inline void readExpectation(Words& words, Step& step) {
    if (words.take("colour")) {
        step.kind = Kind::ExpectColour;
        for (int& channel : step.rgb) channel = words.number("a colour level", 0, 255);
        words.expect("at");
        step.points.push_back(words.point());
    } else if (words.take("palettes")) {
        step.kind = Kind::ExpectPalettes;
    } else if (words.take("help")) {
        step.kind = Kind::ExpectHelp;
        if (words.done()) words.fail("expected how many times");
        step.count = words.times();
    } else if (words.take("ended")) {
        step.kind = Kind::ExpectEnded;
    } else if (words.take("title")) {
        step.kind = Kind::ExpectTitle;
        step.title = words.word("a title");
        while (!words.done()) step.title += " " + words.word("a title");
    } else {
        readBlob(words, step);
    }
    words.end();
}

}  // namespace detail

// One line as a step; `parsed` false for a blank or comment line.
inline Step parseLine(const std::string& raw, int line, bool& parsed) {
    Step step;
    step.line = line;
    step.text = raw.substr(0, raw.find('#'));
    while (!step.text.empty() && std::isspace(static_cast<unsigned char>(step.text.back()))) {
        step.text.pop_back();
    }
    size_t first = step.text.find_first_not_of(" \t");
    step.text = first == std::string::npos ? "" : step.text.substr(first);
    detail::Words words(step.text, line);
    parsed = !words.done();
    if (!parsed) return step;

    const std::string verb = words.word("a step");
    if (verb == "move" || verb == "click") {
        step.kind = verb == "move" ? Kind::Move : Kind::Click;
        step.points.push_back(words.point());
    } else if (verb == "drag") {
        step.kind = Kind::Drag;
        step.button = detail::buttonNamed(words);
        step.points.push_back(words.point());
        while (words.take("to")) step.points.push_back(words.point());
        if (step.points.size() < 2) words.fail("a drag goes from one point \"to\" another");
        words.expect("by");
        step.stride = words.number("the pixels between motion events", 1, kWindowSize);
    } else if (verb == "key") {
        step.kind = Kind::Key;
        step.key = words.letter();
        step.count = words.times();
    } else if (verb == "keydown" || verb == "keyup") {
        step.kind = verb == "keydown" ? Kind::KeyDown : Kind::KeyUp;
        step.key = words.letter();
    } else if (verb == "step") {
        if (words.take("until")) {
            words.expect("still");
            step.kind = Kind::StepUntilStill;
        } else {
            step.kind = Kind::Step;
            step.count = words.times();
        }
    } else if (verb == "expect") {
        detail::readExpectation(words, step);
    } else if (verb == "snapshot") {
        step.kind = Kind::Snapshot;
        step.name = words.word("a name");
        if (step.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_-") !=
            std::string::npos) {
            words.fail("a snapshot's name is lower-case letters, digits, _ and -");
        }
    } else {
        words.fail("unknown step \"" + verb + "\"");
    }
    words.end();
    return step;
}

// Every step of a scenario file's text, in order; throws FormatError at the
// first line that is not one, and for a file with no step at all.
inline std::vector<Step> parseScenario(const std::string& text) {
    std::vector<Step> steps;
    std::istringstream lines(text);
    std::string raw;
    int line = 0;
    while (std::getline(lines, raw)) {
        bool parsed = false;
        Step step = parseLine(raw, ++line, parsed);
        if (parsed) steps.push_back(step);
    }
    if (steps.empty()) throw FormatError("the scenario has no step");
    return steps;
}

// The motion events of a drag after its press at points[0]: along each
// straight line to the next point, n = round(length / stride) events (one at
// least), the i-th at start + (end - start) * i / n in whole pixels
// (truncated toward zero), so the last lands on the line's end.
inline std::vector<Point> dragMotion(const Step& drag) {
    std::vector<Point> motion;
    Point from = drag.points.at(0);
    for (size_t k = 1; k < drag.points.size(); ++k) {
        const Point to = drag.points[k];
        const int dx = to.x - from.x, dy = to.y - from.y;
        int n =
            static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)) / drag.stride + 0.5);
        if (n < 1) n = 1;
        for (int i = 1; i <= n; ++i)
            motion.push_back(Point{from.x + dx * i / n, from.y + dy * i / n});
        from = to;
    }
    return motion;
}

}  // namespace scenario
