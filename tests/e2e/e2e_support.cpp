// SPDX-License-Identifier: MIT
#include "tests/e2e/e2e_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef BALLCOURSE_BINARY
#error "BALLCOURSE_BINARY must name the toy's executable"
#endif
#ifndef BALLCOURSE_ARTEFACT_DIR
#error "BALLCOURSE_ARTEFACT_DIR must name the directory for the tests' artefacts"
#endif

namespace e2e {

const char kExpectedHelp[] =
    "Commands:\n"
    "W - move camera forward\n"
    "S - move camera backward\n"
    "A - pan camera left\n"
    "D - pan camera right\n"
    "E - erase current piece\n"
    "Z - rotate current piece CCW\n"
    "X - rotate current piece CW\n"
    "P - pause ball\n"
    "O - advance ball 1 frame\n"
    "R - reset ball\n"
    "Left Mouse - place and select pieces\n"
    "Right Mouse - rotate current piece using virtual trackball\n"
    "Q - quit\n";

namespace {

using Clock = std::chrono::steady_clock;

// How long the toy may take to show its window on a loaded machine.
constexpr double kWindowTimeout = 30.0;
constexpr double kPollInterval = 0.05;
const char kTitlePattern[] = "^My Window$";

Clock::time_point deadlineIn(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string describe(const std::vector<std::string>& argv) {
    std::string text;
    for (const std::string& arg : argv) text += (text.empty() ? "" : " ") + arg;
    return text;
}

int decodeStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv, double timeout) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw E2eError("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw E2eError("fork failed");
    if (pid == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    CommandResult result{-1, "", ""};
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int openPipes = 2;
    Clock::time_point deadline = deadlineIn(timeout);
    bool timedOut = false;
    while (openPipes > 0) {
        int leftMs = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
        if (leftMs <= 0) {
            timedOut = true;
            break;
        }
        if (poll(fds, 2, leftMs) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --openPipes;
            }
        }
    }
    for (pollfd& fd : fds) {
        if (fd.fd >= 0) close(fd.fd);
    }
    if (timedOut) kill(pid, SIGKILL);
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        throw E2eError("timed out after " + std::to_string(timeout) + " s: " + describe(argv));
    result.status = decodeStatus(raw);
    return result;
}

namespace {

// Runs a helper that must succeed; returns its standard output.
std::string runChecked(const std::vector<std::string>& argv) {
    CommandResult result = runCommand(argv);
    if (result.status != 0) {
        throw E2eError("failed (status " + std::to_string(result.status) + "): " + describe(argv) +
                       "\n" + result.err);
    }
    return result.out;
}

// The visible windows whose title matches the regular expression.
std::vector<unsigned long> windowsTitled(const std::string& pattern) {
    // xdotool's status is 1 when nothing matches, which is no error here.
    CommandResult found = runCommand({"xdotool", "search", "--onlyvisible", "--name", pattern});
    std::vector<unsigned long> ids;
    std::istringstream lines(found.out);
    unsigned long id;
    while (lines >> id) ids.push_back(id);
    return ids;
}

// Decodes a binary PPM (P6, maxval 255) as ImageMagick writes it.
Image decodePpm(const std::string& data) {
    size_t pos = 0;
    auto nextToken = [&]() {
        while (pos < data.size()) {
            if (data[pos] == '#') {
                while (pos < data.size() && data[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(data[pos]))) {
                ++pos;
            } else {
                break;
            }
        }
        size_t start = pos;
        while (pos < data.size() && !std::isspace(static_cast<unsigned char>(data[pos]))) ++pos;
        return data.substr(start, pos - start);
    };
    if (nextToken() != "P6") throw E2eError("capture is not a binary PPM");
    Image image;
    image.width = std::atoi(nextToken().c_str());
    image.height = std::atoi(nextToken().c_str());
    int maxValue = std::atoi(nextToken().c_str());
    ++pos;  // the single whitespace byte before the pixels
    size_t size = static_cast<size_t>(image.width) * image.height * 3;
    if (image.width <= 0 || image.height <= 0 || maxValue != 255 || data.size() < pos + size) {
        throw E2eError("capture has an unexpected PPM header or is truncated");
    }
    image.rgb.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                     data.begin() + static_cast<std::ptrdiff_t>(pos + size));
    return image;
}

// True when the picture has more than one colour: a window that has been
// drawn shows the palettes on the white background, an undrawn one is blank.
bool hasBeenDrawn(const Image& image) {
    for (size_t i = 3; i < image.rgb.size(); ++i) {
        if (image.rgb[i] != image.rgb[i % 3]) return true;
    }
    return false;
}

}  // namespace

Rgb Image::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) {
        throw E2eError("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                       ") is outside the " + std::to_string(width) + "x" + std::to_string(height) +
                       " capture");
    }
    const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
}

void Image::savePpm(const std::string& path) const {
    std::ofstream file(path, std::ios::binary);
    file << "P6\n" << width << " " << height << "\n255\n";
    file.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
}

Blob findPixels(const Image& image, const std::function<bool(Rgb)>& match, int x0, int y0, int x1,
                int y1) {
    long count = 0;
    double sumX = 0, sumY = 0;
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y) {
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
            if (match(image.at(x, y))) {
                ++count;
                sumX += x;
                sumY += y;
            }
        }
    }
    if (count == 0) return Blob{0, NAN, NAN};
    return Blob{static_cast<int>(count), sumX / count, sumY / count};
}

Blob findPixels(const Image& image, const std::function<bool(Rgb)>& match) {
    return findPixels(image, match, 0, 0, image.width, image.height);
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool eventually(const std::function<bool()>& condition, double seconds) {
    Clock::time_point deadline = deadlineIn(seconds);
    while (!condition()) {
        if (Clock::now() > deadline) return false;
        pause(kPollInterval);
    }
    return true;
}

std::string artefactPath(const std::string& name) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = BALLCOURSE_ARTEFACT_DIR;
    mkdir(dir.c_str(), 0755);
    dir += "/";
    dir += test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "no-test";
    // Parameterised names hold slashes; one directory per test is enough.
    std::replace(
        dir.begin() + static_cast<std::ptrdiff_t>(std::strlen(BALLCOURSE_ARTEFACT_DIR)) + 1,
        dir.end(), '/', '_');
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        throw E2eError("cannot create " + dir + ": " + std::strerror(errno));
    }
    return dir + "/" + name;
}

std::string sharedArtefactPath(const std::string& relative) {
    std::string path = BALLCOURSE_ARTEFACT_DIR;
    mkdir(path.c_str(), 0755);
    size_t from = 0;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', from)) {
        path += "/" + relative.substr(from, slash - from);
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            throw E2eError("cannot create " + path + ": " + std::strerror(errno));
        }
        from = slash + 1;
    }
    return path + "/" + relative.substr(from);
}

RunningToy::RunningToy(const std::vector<std::string>& args)
    : RunningToy(BALLCOURSE_BINARY, args) {}

RunningToy::RunningToy(const std::string& binary, const std::vector<std::string>& args) {
    if (std::getenv("DISPLAY") == nullptr) {
        throw E2eError(
            "no DISPLAY: run the end-to-end tests on an X server (make test starts one)");
    }
    std::string dirTemplate = artefactPath("toy-XXXXXX");
    if (mkdtemp(dirTemplate.data()) == nullptr) {
        throw E2eError("cannot create a directory for the toy's output");
    }
    tempDir_ = dirTemplate;
    outputPath_ = tempDir_ + "/stdout.txt";

    const std::vector<unsigned long> before = windowsTitled(kTitlePattern);
    std::vector<std::string> argv = {binary};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) throw E2eError("fork failed");
    if (pid_ == 0) {
        // If the test process dies (a crash, a CTest timeout), so does the toy.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        int devNull = open("/dev/null", O_RDONLY);
        int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(devNull, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        std::vector<char*> cargs;
        for (const std::string& arg : argv) cargs.push_back(const_cast<char*>(arg.c_str()));
        cargs.push_back(nullptr);
        execv(cargs[0], cargs.data());
        std::fprintf(stderr, "cannot run %s: %s\n", cargs[0], std::strerror(errno));
        _exit(127);
    }

    // A constructor that throws gets no destructor: end the toy here.
    try {
        // The window is known by its title. freeglut does not record its process
        // id on it, so a window already titled so before the start (a toy left
        // over from an earlier test) is set aside.
        Clock::time_point deadline = deadlineIn(kWindowTimeout);
        while (window_ == 0) {
            if (!running()) {
                throw E2eError("ballcourse exited with status " + std::to_string(exitStatus_) +
                               " before opening its window; its output:\n" + output());
            }
            if (Clock::now() > deadline) {
                throw E2eError("no window titled \"My Window\" appeared within " +
                               std::to_string(kWindowTimeout) + " s");
            }
            std::vector<unsigned long> found = windowsTitled(kTitlePattern);
            for (unsigned long id : found) {
                if (std::find(before.begin(), before.end(), id) == before.end()) window_ = id;
            }
            if (window_ == 0) pause(kPollInterval * 2);
        }
        focus();
        moveTo(500, 500, 0.0);
        captureWhen(hasBeenDrawn, 10.0);
    } catch (...) {
        stop();
        throw;
    }
}

RunningToy::~RunningToy() {
    stop();
}

void RunningToy::stop() {
    if (pid_ > 0 && running()) {
        kill(pid_, SIGKILL);
        waitForExit(5.0);
    }
    if (!tempDir_.empty()) {
        std::remove(outputPath_.c_str());
        rmdir(tempDir_.c_str());
        tempDir_.clear();
    }
}

// Without a window manager nothing moves the focus, so it is set once. Keys
// then go to the main window, or to the palette the pointer is over.
void RunningToy::focus() {
    Clock::time_point deadline = deadlineIn(kHelperTimeout);
    const std::string id = std::to_string(window_);
    while (true) {
        runChecked({"xdotool", "windowfocus", id});
        // Before anything has the focus, getwindowfocus fails: try again.
        CommandResult focused = runCommand({"xdotool", "getwindowfocus"});
        if (focused.status == 0 && std::strtoul(focused.out.c_str(), nullptr, 10) == window_) {
            return;
        }
        if (Clock::now() > deadline) throw E2eError("the toy's window does not take the focus");
        pause(kPollInterval);
    }
}

void RunningToy::xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    runChecked(argv);
}

void RunningToy::key(const std::string& name, double settle) {
    xdotool({"key", "--delay", "0", name});
    pause(settle);
}

void RunningToy::keyDown(const std::string& name, double settle) {
    xdotool({"keydown", name});
    pause(settle);
}

void RunningToy::keyUp(const std::string& name, double settle) {
    xdotool({"keyup", name});
    pause(settle);
}

void RunningToy::moveTo(int x, int y, double settle) {
    xdotool(
        {"mousemove", "--window", std::to_string(window_), std::to_string(x), std::to_string(y)});
    pause(settle);
}

void RunningToy::click(int button, int x, int y, double settle) {
    moveTo(x, y);
    xdotool({"click", std::to_string(button)});
    pause(settle);
}

void RunningToy::press(int button, int x, int y, double settle) {
    moveTo(x, y);
    xdotool({"mousedown", std::to_string(button)});
    pause(settle);
}

void RunningToy::release(int button, int x, int y, double settle) {
    moveTo(x, y);
    xdotool({"mouseup", std::to_string(button)});
    pause(settle);
}

void RunningToy::resize(int width, int height) {
    xdotool({"windowsize", std::to_string(window_), std::to_string(width), std::to_string(height)});
}

long RunningToy::residentKilobytes() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// import reads the window's pixels from the screen, sub-windows included.
Image RunningToy::capture() const {
    return decodePpm(runChecked(
        {"import", "-silent", "-window", std::to_string(window_), "-depth", "8", "ppm:-"}));
}

Image RunningToy::captureWhen(const std::function<bool(const Image&)>& ready,
                              double seconds) const {
    Image image = capture();
    eventually(
        [&] {
            if (ready(image)) return true;
            image = capture();
            return false;
        },
        seconds);
    return image;
}

Image RunningToy::captureHeld(const std::function<bool(const Image&)>& ready, double seconds,
                              double holdSeconds) const {
    Clock::time_point deadline = deadlineIn(seconds);
    Image image = capture();
    Clock::time_point heldSince = Clock::now();
    int heldCaptures = 0;
    while (true) {
        if (ready(image)) {
            if (heldCaptures++ == 0) heldSince = Clock::now();
            const double held = std::chrono::duration<double>(Clock::now() - heldSince).count();
            if (heldCaptures >= 2 && held >= holdSeconds) return image;
        } else {
            heldCaptures = 0;
        }
        if (Clock::now() > deadline) return image;
        pause(kPollInterval);
        image = capture();
    }
}

void RunningToy::sync(double seconds) {
    const char kLastHelpLine[] = "Q - quit\n";
    const auto helps = [this, &kLastHelpLine]() {
        const std::string text = output();
        int count = 0;
        for (size_t at = text.find(kLastHelpLine); at != std::string::npos;
             at = text.find(kLastHelpLine, at + 1)) {
            ++count;
        }
        return count;
    };
    const int before = helps();
    key("h", 0.0);
    if (!eventually([&] { return helps() > before; }, seconds)) {
        throw E2eError("the toy did not answer H within " + std::to_string(seconds) + " s");
    }
}

WindowGeometry RunningToy::geometry() const {
    std::istringstream lines(runChecked({"xwininfo", "-id", std::to_string(window_)}));
    WindowGeometry geometry{-1, -1, -1, -1};
    std::string line;
    auto valueAfter = [&](const char* label, int& field) {
        size_t at = line.find(label);
        if (at != std::string::npos) field = std::atoi(line.c_str() + at + std::strlen(label));
    };
    while (std::getline(lines, line)) {
        valueAfter("Absolute upper-left X:", geometry.x);
        valueAfter("Absolute upper-left Y:", geometry.y);
        valueAfter("Width:", geometry.width);
        valueAfter("Height:", geometry.height);
    }
    return geometry;
}

std::string RunningToy::title() const {
    std::string name = runChecked({"xdotool", "getwindowname", std::to_string(window_)});
    if (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

std::string RunningToy::output() const {
    std::ifstream file(outputPath_, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool RunningToy::waitForOutput(const std::string& text, double seconds) const {
    return eventually([&] { return output().find(text) != std::string::npos; }, seconds);
}

bool RunningToy::running() {
    if (exitStatus_ >= 0 || pid_ <= 0) return false;
    int raw = 0;
    pid_t done = waitpid(pid_, &raw, WNOHANG);
    if (done == pid_) {
        exitStatus_ = decodeStatus(raw);
        return false;
    }
    if (done < 0 && errno != EINTR) {
        exitStatus_ = 255;  // reaped elsewhere: it has ended, its status is lost
        return false;
    }
    return true;
}

int RunningToy::waitForExit(double seconds) {
    Clock::time_point deadline = deadlineIn(seconds);
    while (running()) {
        if (Clock::now() > deadline) return -1;
        pause(kPollInterval / 2);
    }
    return exitStatus_;
}

int RunningToy::quit(double seconds) {
    if (running()) key("q", 0.0);
    int status = waitForExit(seconds);
    if (status < 0) {
        kill(pid_, SIGKILL);
        waitForExit(5.0);
    }
    return status;
}

}  // namespace e2e
