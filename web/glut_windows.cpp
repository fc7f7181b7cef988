// SPDX-License-Identifier: MIT
#include "web/glut_windows.h"

#include <memory>

namespace web {

namespace {

std::vector<std::unique_ptr<GlutWindow>> windows;  // index = id - 1
GlutWindow* current = nullptr;

int addWindow(int parent, CanvasRect rect) {
    auto window = std::make_unique<GlutWindow>();
    window->id = static_cast<int>(windows.size()) + 1;
    window->parent = parent;
    window->rect = rect;
    // A new window's viewport covers it, as a new context's does.
    window->gl.viewport[2] = rect.width;
    window->gl.viewport[3] = rect.height;
    windows.push_back(std::move(window));
    setCurrentWindow(static_cast<int>(windows.size()));
    return static_cast<int>(windows.size());
}

bool contains(const CanvasRect& rect, int x, int y) {
    return x >= rect.left && x < rect.left + rect.width && y >= rect.top &&
           y < rect.top + rect.height;
}

}  // namespace

int createTopWindow(int width, int height) {
    if (!windows.empty()) {
        return 0;
    }
    return addWindow(0, CanvasRect{0, 0, width, height});
}

int createSubWindow(int parent, int x, int y, int width, int height) {
    const GlutWindow* owner = findWindow(parent);
    if (owner == nullptr) {
        return 0;
    }
    const CanvasRect rect{owner->rect.left + x, owner->rect.top + y, width, height};
    return addWindow(parent, rect);
}

GlutWindow* findWindow(int id) {
    if (id < 1 || id > static_cast<int>(windows.size())) {
        return nullptr;
    }
    return windows[id - 1].get();
}

GlutWindow* topWindow() {
    return windows.empty() ? nullptr : windows.front().get();
}

GlutWindow* currentWindow() {
    return current;
}

void setCurrentWindow(int id) {
    GlutWindow* window = findWindow(id);
    if (window != nullptr) {
        current = window;
        makeGlCurrent(&window->gl);
    }
}

GlutWindow* windowAt(int x, int y) {
    if (windows.empty() || !contains(windows.front()->rect, x, y)) {
        return nullptr;
    }
    // Later windows are drawn over earlier ones, so the last one that holds
    // the point is the one the user sees there.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (contains((*it)->rect, x, y)) {
            return it->get();
        }
    }
    return nullptr;
}

std::vector<GlutWindow*> windowsInDrawingOrder() {
    // Sub-windows are only ever created after their parent, so creation order
    // puts every parent first.
    std::vector<GlutWindow*> order;
    order.reserve(windows.size());
    for (auto& window : windows) {
        order.push_back(window.get());
    }
    return order;
}

}  // namespace web
