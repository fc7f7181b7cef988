// SPDX-License-Identifier: MIT
#include "interaction/picking.h"

#include <GL/glu.h>

#include <algorithm>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/orbit_camera.h"

namespace {

// Draws the scene through the pick region with a selection buffer of
// buffer.size() words; returns what glRenderMode reports, negative when the
// records overflowed the buffer.
int renderSelection(const AppState& state, std::vector<GLuint>& buffer) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(kUnnamed);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(state.pickX, pickRow(viewport[3], state.pickY), state.pickSize, state.pickSize,
                  viewport);
    gluPerspective(state.fieldOfView, double(state.windowWidth) / double(state.windowHeight),
                   kNearPlane, kFarPlane);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyCameraView(state);
    drawScene(state);
    glPopMatrix();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glFlush();
    return glRenderMode(GL_RENDER);
}

}  // namespace

double pickRow(int viewportHeight, int pickY) {
    // The flip has no -1: GL rows count from 0 at the bottom edge. Every int
    // is exact in a double, so the difference is exact where an int one
    // could overflow.
    return double(viewportHeight) - double(pickY);
}

void pickPiece(AppState& state) {
    if (state.windowWidth <= 0 || state.windowHeight <= 0) {
        return;
    }
    // Each piece gives at most one record, and whatever is drawn before the
    // first piece's name (the ball) one more, so that many records always fit.
    const std::size_t fullWords =
        std::max(kPickBufferWords, kHitRecordWords * (state.sceneList.size() + 1));
    std::vector<GLuint> buffer(kPickBufferWords);
    int hits = renderSelection(state, buffer);
    while (hits < 0 && buffer.size() < fullWords) {
        buffer.assign(std::min(buffer.size() * 2, fullWords), 0);
        hits = renderSelection(state, buffer);
    }
    if (hits > 0) {
        processHits(state, hits, buffer.data(), buffer.size());
    }
}

std::optional<std::uint32_t> nearestHitName(int hits, const std::uint32_t* buffer,
                                            std::size_t words) {
    constexpr std::size_t kHeaderWords = 3;  // name count, minimum and maximum depth
    std::uint32_t best = kUnnamed;
    std::optional<std::size_t> chosen;
    std::size_t at = 0;
    for (int record = 0; record < hits && words - at >= kHeaderWords; ++record) {
        const std::size_t names = buffer[at];
        if (names > words - at - kHeaderWords) {
            break;  // a record cut off by the end of the buffer
        }
        // Strict, so the earliest of equal depths wins: the ball's, then the
        // lower scene-list index.
        if (buffer[at + 1] < best) {
            best = buffer[at + 1];
            chosen = at;
        }
        at += kHeaderWords + names;
    }
    if (!chosen || buffer[*chosen] == 0) {
        return std::nullopt;
    }
    return buffer[*chosen + kHeaderWords];
}

void processHits(AppState& state, int hits, const std::uint32_t* buffer, std::size_t words) {
    const auto name = nearestHitName(hits, buffer, words);
    if (name && *name < state.sceneList.size()) {
        state.currentPiece = state.sceneList[*name].get();
    }
}
