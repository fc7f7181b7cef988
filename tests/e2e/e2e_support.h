// SPDX-License-Identifier: MIT
#pragma once

// Drives the real ballcourse binary on the current X display the way a user
// would: real key and pointer events through the XTEST extension (xdotool),
// window geometry from the X server (xwininfo) and the window's pixels as the
// screen shows them (ImageMagick's import). Every wait has a deadline; a
// failure throws E2eError, which GoogleTest reports as a failed test.
//
// The tests expect an X server with no window manager and nothing else on
// it (make test starts one), so that the window lands where it asks and
// keeps the keyboard focus.

#include <sys/types.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

class E2eError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Rgb {
    int r, g, b;  // 0..255
};

// A captured picture, rows from the top, three bytes per pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // The pixel at column x, row y (from the top); throws E2eError outside.
    Rgb at(int x, int y) const;
    // Writes the picture as a binary PPM, for looking at a failed test.
    void savePpm(const std::string& path) const;
};

// The mean position of the pixels that satisfy `match`, within the
// rectangle [x0, x1) x [y0, y1); count is 0 (and x, y are NaN) when none do.
struct Blob {
    int count;
    double x, y;
};
Blob findPixels(const Image& image, const std::function<bool(Rgb)>& match, int x0, int y0, int x1,
                int y1);
Blob findPixels(const Image& image, const std::function<bool(Rgb)>& match);

// Where a window is on the screen and how big it is, in pixels.
struct WindowGeometry {
    int x, y, width, height;
};

// The help text the toy prints at start and on H, spelled out here rather
// than taken from the program, so that a change to it shows as a failure.
extern const char kExpectedHelp[];

// How long a helper program (xdotool, xwininfo, import) may take: they
// answer in milliseconds, but the machine is shared, so the limit only
// catches one that hangs.
constexpr double kHelperTimeout = 15.0;

// What a helper program gave: its exit status (128 + signal when killed by
// one) and what it wrote.
struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

// Runs a helper program with no shell in between and collects its output;
// kills it and throws E2eError if it takes longer than `timeout` seconds.
CommandResult runCommand(const std::vector<std::string>& argv, double timeout = kHelperTimeout);

// Sleeps for the given number of seconds.
void pause(double seconds);

// Polls `condition` until it holds or `seconds` pass; true if it held.
bool eventually(const std::function<bool()>& condition, double seconds);

// A path for a file the running test leaves behind (a capture of a failure,
// the toy's output): `name` in a directory of the build tree named for the
// test, created on first use.
std::string artefactPath(const std::string& name);

// A path in the build tree's artefact directory that is the same for every
// test, for a file that another test reads (a scenario's last picture):
// `relative` may name directories, which are created.
std::string sharedArtefactPath(const std::string& relative);

// One run of the toy. The constructor starts it with its standard output
// going to a file, waits until its main window ("My Window") is on screen
// and has been drawn, gives that window the keyboard focus and parks the
// pointer at window pixel (500, 500), away from the palettes in the top-left
// corner (keys typed while the pointer is over a palette go to the palette,
// which ignores them). The destructor kills the toy if it still runs.
class RunningToy {
  public:
    // Extra command-line arguments are passed to the toy.
    explicit RunningToy(const std::vector<std::string>& args = {});
    // Starts the program at `binary` (an installed copy, say) instead of the
    // one built in this tree.
    RunningToy(const std::string& binary, const std::vector<std::string>& args);
    ~RunningToy();
    RunningToy(const RunningToy&) = delete;
    RunningToy& operator=(const RunningToy&) = delete;

    // Presses and releases one key, named as xdotool names it ("q", "Q",
    // "space"), then waits `settle` seconds so that the toy has seen it.
    void key(const std::string& name, double settle = 0.05);
    // Presses, or releases, a key without the other half (to hold A or D).
    void keyDown(const std::string& name, double settle = 0.05);
    void keyUp(const std::string& name, double settle = 0.05);

    // Pointer events at window pixel (x, y), counted from the window's
    // top-left corner; button 1 is left, 3 right. Each moves the pointer
    // first and waits a moment, so the toy sees the motion before the button.
    void moveTo(int x, int y, double settle = 0.05);
    void click(int button, int x, int y, double settle = 0.05);
    void press(int button, int x, int y, double settle = 0.05);
    void release(int button, int x, int y, double settle = 0.05);

    // Resizes the main window, as a user dragging its border would.
    void resize(int width, int height);
    // The toy's resident memory in kilobytes (VmRSS); -1 once it has ended.
    long residentKilobytes() const;

    // The main window's pixels as they are on screen now (palettes included).
    Image capture() const;
    // Captures repeatedly until `ready` holds for a capture or `seconds`
    // pass; returns the last capture either way.
    Image captureWhen(const std::function<bool(const Image&)>& ready, double seconds) const;
    // Captures repeatedly until `ready` has held for every capture over
    // `holdSeconds` (two captures at least), or `seconds` pass; returns the
    // last capture either way. For what must stay so, not merely show once.
    Image captureHeld(const std::function<bool(const Image&)>& ready, double seconds,
                      double holdSeconds) const;

    // Returns once the toy has handled every event sent before: it types H
    // and waits for the help it prints, so the pointer must be over the main
    // window, off the palettes. Throws E2eError after `seconds`.
    void sync(double seconds = 10.0);

    WindowGeometry geometry() const;
    std::string title() const;
    unsigned long window() const { return window_; }
    pid_t pid() const { return pid_; }

    // Everything the toy has written to standard output so far.
    std::string output() const;
    // Waits until the output holds `text` or `seconds` pass; true if it does.
    bool waitForOutput(const std::string& text, double seconds) const;

    bool running();
    // Waits up to `seconds` for the toy to end: its exit status, 128 + the
    // signal number if a signal ended it, or -1 if it still runs.
    int waitForExit(double seconds);
    // Sends Q and waits up to `seconds`; kills the toy if it is still running
    // then. Returns what waitForExit returned (-1 if it had to be killed).
    int quit(double seconds = 10.0);

  private:
    void focus();
    // Kills the toy if it still runs and removes its output file.
    void stop();
    void xdotool(const std::vector<std::string>& args);

    pid_t pid_ = -1;
    int exitStatus_ = -1;
    unsigned long window_ = 0;
    std::string tempDir_;
    std::string outputPath_;
};

}  // namespace e2e
