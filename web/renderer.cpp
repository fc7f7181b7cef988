// SPDX-License-Identifier: MIT
#include "web/renderer.h"

#include <emscripten/html5.h>
#include <webgl/webgl1.h>
#include <webgl/webgl1_ext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace web {

namespace {

// Mesa's fixed-function vertex program for one light, written out: the
// scene colour (emission and the model's ambient light on the material), then
// light 0's ambient, diffuse and specular terms. The half vector of an
// infinite viewer is the light direction plus +z, normalised; the specular
// term counts only where the diffuse one does. The modelview matrix and the
// normals' matrix come with each instance, so that a run of shapes drawn
// alike goes to the browser as one draw.
const char kVertexShader[] = R"(
attribute vec3 position;
attribute vec3 normal;
attribute mat4 modelview;
attribute mat3 normalMatrix;
uniform mat4 projection;
uniform bool lighting;
uniform bool lightZero;
uniform bool normalizeNormals;
uniform vec4 lightPosition;
uniform vec3 sceneColour;
uniform vec3 ambientProduct;
uniform vec3 diffuseProduct;
uniform vec3 specularProduct;
uniform float shininess;
uniform float alpha;
varying vec4 colour;

void main() {
    vec4 eye = modelview * vec4(position, 1.0);
    gl_Position = projection * eye;
    if (!lighting) {
        colour = vec4(1.0);
        return;
    }
    vec3 n = normalMatrix * normal;
    if (normalizeNormals) n = normalize(n);
    vec3 sum = sceneColour;
    if (lightZero) {
        sum += ambientProduct;
        vec3 toLight = lightPosition.w != 0.0 ? lightPosition.xyz - eye.xyz : lightPosition.xyz;
        vec3 vp = normalize(toLight);
        float nDotVP = dot(n, vp);
        if (nDotVP > 0.0) {
            vec3 h = normalize(vp + vec3(0.0, 0.0, 1.0));
            float nDotH = max(dot(n, h), 0.0);
            sum += nDotVP * diffuseProduct + pow(nDotH, shininess) * specularProduct;
        }
    }
    colour = vec4(clamp(sum, 0.0, 1.0), clamp(alpha, 0.0, 1.0));
}
)";

const char kFragmentShader[] = R"(
precision highp float;
varying vec4 colour;
void main() {
    gl_FragColor = colour;
}
)";

// An instance: its modelview matrix (16 floats) and its normals' matrix (9).
constexpr int kInstanceFloats = 25;
constexpr GLsizei kInstanceStride = kInstanceFloats * sizeof(float);
constexpr GLsizei kVertexStride = 6 * sizeof(float);

struct Program {
    GLuint id = 0;
    GLint position, normal, modelview, normalMatrix;  // attributes; matrices take a slot a column
    GLint projection;
    GLint lighting, lightZero, normalizeNormals, lightPosition;
    GLint sceneColour, ambientProduct, diffuseProduct, specularProduct, shininess, alpha;
};

Program program;
std::string canvasSelector;
int canvasWidth = 0;  // the program's pixels
int canvasHeight = 0;
// Drawing-buffer pixels per program pixel: the one scale between the
// program's rectangles and what WebGL is sent.
double bufferScale = 1.0;
bool instancing = false;  // the browser draws instances (ANGLE_instanced_arrays)
GLuint instanceBuffer = 0;

// The uniforms of the lighting equation, as sent.
struct LightingUniforms {
    int lighting, lightZero, normalizeNormals;
    float lightPosition[4];
    float scene[3], ambient[3], diffuse[3], specular[3];
    float shininess, alpha;
};

// Everything a draw needs besides its instance: draws whose state is equal,
// byte for byte, in a row, go out as one.
struct DrawState {
    GLuint mesh;
    GLsizei vertexCount;
    GLint scissor[4];
    GLint viewport[4];
    int depthTest;
    float projection[16];
    LightingUniforms lighting;
};

// The draws not sent yet: one state, one instance each.
struct Batch {
    bool empty = true;
    DrawState state;
    std::vector<float> instances;
};
Batch batch;

// What the WebGL context holds already, so that only what changed is sent:
// each call is a trip to the browser's GPU process.
struct Sent {
    bool valid = false;
    DrawState state;
};
Sent sent;

// The info log of a shader or of the program, as the driver wrote it.
template <typename GetParameter, typename GetLog>
std::string infoLog(GLuint id, GetParameter getParameter, GetLog getLog) {
    GLint length = 0;
    getParameter(id, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return "";
    std::string log(static_cast<std::size_t>(length), '\0');
    GLsizei written = 0;
    getLog(id, length, &written, log.data());
    log.resize(static_cast<std::size_t>(std::max(written, 0)));
    return log;
}

// The shader compiled, or 0 with the driver's reason in `failure`.
GLuint compile(GLenum kind, const char* source, RendererFailure& failure) {
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint compiled = GL_FALSE;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) return shader;
    failure.what = kind == GL_VERTEX_SHADER ? "WebGL did not compile its vertex shader"
                                            : "WebGL did not compile its fragment shader";
    failure.log = infoLog(shader, emscripten_glGetShaderiv, emscripten_glGetShaderInfoLog);
    emscripten_glDeleteShader(shader);
    return 0;
}

// The program linked from both shaders, or 0 with the driver's reason in
// `failure`. The shaders go once linked: the program keeps what it needs.
GLuint linkShaders(RendererFailure& failure) {
    const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader, failure);
    if (vertex == 0) return 0;
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader, failure);
    if (fragment == 0) {
        emscripten_glDeleteShader(vertex);
        return 0;
    }
    const GLuint id = emscripten_glCreateProgram();
    emscripten_glAttachShader(id, vertex);
    emscripten_glAttachShader(id, fragment);
    emscripten_glLinkProgram(id);
    emscripten_glDeleteShader(vertex);
    emscripten_glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    emscripten_glGetProgramiv(id, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE) return id;
    failure.what = "WebGL did not link its shaders";
    failure.log = infoLog(id, emscripten_glGetProgramiv, emscripten_glGetProgramInfoLog);
    emscripten_glDeleteProgram(id);
    return 0;
}

// Links the shaders, takes the places of their attributes and uniforms and
// puts the program in use; false, with why in `failure`, if it cannot.
bool useProgram(RendererFailure& failure) {
    const GLuint id = linkShaders(failure);
    if (id == 0) return false;
    Program p;
    p.id = id;
    p.position = emscripten_glGetAttribLocation(id, "position");
    p.normal = emscripten_glGetAttribLocation(id, "normal");
    p.modelview = emscripten_glGetAttribLocation(id, "modelview");
    p.normalMatrix = emscripten_glGetAttribLocation(id, "normalMatrix");
    const auto uniform = [id](const char* name) {
        return emscripten_glGetUniformLocation(id, name);
    };
    p.projection = uniform("projection");
    p.lighting = uniform("lighting");
    p.lightZero = uniform("lightZero");
    p.normalizeNormals = uniform("normalizeNormals");
    p.lightPosition = uniform("lightPosition");
    p.sceneColour = uniform("sceneColour");
    p.ambientProduct = uniform("ambientProduct");
    p.diffuseProduct = uniform("diffuseProduct");
    p.specularProduct = uniform("specularProduct");
    p.shininess = uniform("shininess");
    p.alpha = uniform("alpha");
    program = p;
    emscripten_glUseProgram(id);
    emscripten_glEnableVertexAttribArray(p.position);
    emscripten_glEnableVertexAttribArray(p.normal);
    return true;
}

// The inverse transpose of the modelview's upper 3x3, which carries normals
// into eye space; all zeros for a singular matrix, as no normal survives it.
void normalMatrixOf(const float* m, float out[9]) {
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (det == 0.0 || !std::isfinite(det)) {
        for (int k = 0; k < 9; ++k) out[k] = 0.0f;
        return;
    }
    const double r = 1.0 / det;
    const double cof[9] = {e * i - f * h,    -(d * i - f * g), d * h - e * g,
                           -(b * i - c * h), a * i - c * g,    -(a * h - b * g),
                           b * f - c * e,    -(a * f - c * d), a * e - b * d};
    // cof is the cofactor matrix by rows; stored column by column, over the
    // determinant, it is the inverse transpose.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            out[col * 3 + row] = static_cast<float>(cof[row * 3 + col] * r);
        }
    }
}

void product(const float* a, const float* b, float out[3]) {
    for (int k = 0; k < 3; ++k) out[k] = a[k] * b[k];
}

void lightingOf(const GlState& gl, LightingUniforms& u) {
    const MaterialState& mat = gl.front;
    const LightState& light = gl.light;
    u.lighting = gl.lighting ? 1 : 0;
    u.lightZero = gl.light0 ? 1 : 0;
    u.normalizeNormals = gl.normalize ? 1 : 0;
    std::memcpy(u.lightPosition, light.eyePosition, sizeof u.lightPosition);
    for (int k = 0; k < 3; ++k) {
        u.scene[k] = mat.emission[k] + gl.lightModelAmbient[k] * mat.ambient[k];
    }
    product(light.ambient, mat.ambient, u.ambient);
    product(light.diffuse, mat.diffuse, u.diffuse);
    product(light.specular, mat.specular, u.specular);
    u.shininess = mat.shininess;
    u.alpha = mat.diffuse[3];
}

// An edge in the program's pixels from the canvas's left or top, in buffer
// pixels. Edges are rounded, not sizes, so that neighbouring windows share
// their edge with no gap or overlap.
int bufferEdge(int edge) {
    return static_cast<int>(std::lround(edge * bufferScale));
}

// The box GL takes, in buffer pixels with rows from the bottom, of a
// rectangle in the program's pixels with rows from the top.
void glBox(int left, int top, int width, int height, GLint box[4]) {
    const int x0 = bufferEdge(left), x1 = bufferEdge(left + width);
    const int y0 = bufferEdge(top), y1 = bufferEdge(top + height);
    box[0] = x0;
    box[1] = bufferEdge(canvasHeight) - y1;
    box[2] = x1 - x0;
    box[3] = y1 - y0;
}

void scissorBox(const CanvasRect& rect, GLint box[4]) {
    glBox(rect.left, rect.top, rect.width, rect.height, box);
}

// A window's viewport counts rows from the window's bottom edge.
void viewportBox(const GlState& gl, const CanvasRect& rect, GLint box[4]) {
    const int* v = gl.viewport;
    glBox(rect.left + v[0], rect.top + rect.height - v[1] - v[3], v[2], v[3], box);
}

template <typename T>
bool same(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void sendScissor(const GLint box[4]) {
    if (sent.valid && std::memcmp(sent.state.scissor, box, sizeof sent.state.scissor) == 0) return;
    std::memcpy(sent.state.scissor, box, sizeof sent.state.scissor);
    emscripten_glScissor(box[0], box[1], box[2], box[3]);
}

// Sends the parts of `state` that the context does not hold yet.
void sendState(const DrawState& state) {
    const DrawState& held = sent.state;
    const bool all = !sent.valid;
    sendScissor(state.scissor);
    if (all || std::memcmp(held.viewport, state.viewport, sizeof state.viewport) != 0) {
        emscripten_glViewport(state.viewport[0], state.viewport[1], state.viewport[2],
                              state.viewport[3]);
    }
    if (all || held.depthTest != state.depthTest) {
        if (state.depthTest != 0) {
            emscripten_glEnable(GL_DEPTH_TEST);
        } else {
            emscripten_glDisable(GL_DEPTH_TEST);
        }
    }
    if (all || std::memcmp(held.projection, state.projection, sizeof state.projection) != 0) {
        emscripten_glUniformMatrix4fv(program.projection, 1, GL_FALSE, state.projection);
    }
    if (all || !same(held.lighting, state.lighting)) {
        const LightingUniforms& u = state.lighting;
        emscripten_glUniform1i(program.lighting, u.lighting);
        emscripten_glUniform1i(program.lightZero, u.lightZero);
        emscripten_glUniform1i(program.normalizeNormals, u.normalizeNormals);
        emscripten_glUniform4fv(program.lightPosition, 1, u.lightPosition);
        emscripten_glUniform3fv(program.sceneColour, 1, u.scene);
        emscripten_glUniform3fv(program.ambientProduct, 1, u.ambient);
        emscripten_glUniform3fv(program.diffuseProduct, 1, u.diffuse);
        emscripten_glUniform3fv(program.specularProduct, 1, u.specular);
        emscripten_glUniform1f(program.shininess, u.shininess);
        emscripten_glUniform1f(program.alpha, u.alpha);
    }
    sent.state = state;
    sent.valid = true;
    // The mesh's attributes are pointed at again by every flush, since the
    // instances' buffer is bound in between.
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, state.mesh);
    emscripten_glVertexAttribPointer(program.position, 3, GL_FLOAT, GL_FALSE, kVertexStride,
                                     nullptr);
    emscripten_glVertexAttribPointer(program.normal, 3, GL_FLOAT, GL_FALSE, kVertexStride,
                                     reinterpret_cast<const void*>(3 * sizeof(float)));
}

// Points the matrix attributes, a slot a column, at the instances' buffer
// (instanced) or leaves them as constant attributes set per draw.
void pointInstanceAttributes(bool arrays) {
    for (int column = 0; column < 4; ++column) {
        const GLuint slot = GLuint(program.modelview + column);
        if (!arrays) {
            emscripten_glDisableVertexAttribArray(slot);
            continue;
        }
        emscripten_glEnableVertexAttribArray(slot);
        emscripten_glVertexAttribPointer(slot, 4, GL_FLOAT, GL_FALSE, kInstanceStride,
                                         reinterpret_cast<const void*>(4 * column * sizeof(float)));
        emscripten_glVertexAttribDivisorANGLE(slot, 1);
    }
    for (int column = 0; column < 3; ++column) {
        const GLuint slot = GLuint(program.normalMatrix + column);
        if (!arrays) {
            emscripten_glDisableVertexAttribArray(slot);
            continue;
        }
        emscripten_glEnableVertexAttribArray(slot);
        emscripten_glVertexAttribPointer(
            slot, 3, GL_FLOAT, GL_FALSE, kInstanceStride,
            reinterpret_cast<const void*>((16 + 3 * column) * sizeof(float)));
        emscripten_glVertexAttribDivisorANGLE(slot, 1);
    }
}

void drawInstancesOneByOne() {
    const std::vector<float>& data = batch.instances;
    for (std::size_t at = 0; at < data.size(); at += kInstanceFloats) {
        for (int column = 0; column < 4; ++column) {
            emscripten_glVertexAttrib4fv(GLuint(program.modelview + column),
                                         &data[at + 4 * column]);
        }
        for (int column = 0; column < 3; ++column) {
            emscripten_glVertexAttrib3fv(GLuint(program.normalMatrix + column),
                                         &data[at + 16 + 3 * column]);
        }
        emscripten_glDrawArrays(GL_TRIANGLES, 0, batch.state.vertexCount);
    }
}

void flush() {
    if (batch.empty) return;
    sendState(batch.state);
    const GLsizei count = GLsizei(batch.instances.size() / kInstanceFloats);
    if (instancing) {
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(batch.instances.size() * sizeof(float)),
                                batch.instances.data(), GL_STREAM_DRAW);
        pointInstanceAttributes(true);
        emscripten_glDrawArraysInstancedANGLE(GL_TRIANGLES, 0, batch.state.vertexCount, count);
    } else {
        drawInstancesOneByOne();
    }
    batch.empty = true;
    batch.instances.clear();
}

}  // namespace

bool openRenderer(const char* selector, int width, int height, RendererFailure& failure) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // the desktop's llvmpipe draws aliased edges
    attributes.preserveDrawingBuffer = EM_TRUE;
    attributes.majorVersion = 1;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context(selector, &attributes);
    if (context <= 0 ||
        emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        failure.what = "the browser gave it no WebGL";
        failure.log.clear();
        return false;
    }
    canvasSelector = selector;
    canvasWidth = width;
    canvasHeight = height;
    emscripten_glDepthFunc(GL_LESS);
    // Every clear and draw stays within its window's rectangle.
    emscripten_glEnable(GL_SCISSOR_TEST);
    if (!useProgram(failure)) return false;
    instancing = emscripten_webgl_enable_ANGLE_instanced_arrays(context) == EM_TRUE;
    if (instancing) emscripten_glGenBuffers(1, &instanceBuffer);
    pointInstanceAttributes(false);
    return true;
}

bool sizeDrawingBuffer(int across) {
    if (across < 1 || canvasWidth < 1 || across == bufferEdge(canvasWidth)) return false;
    flush();  // the draws held back belong to the buffer as it was
    bufferScale = static_cast<double>(across) / canvasWidth;
    emscripten_set_canvas_element_size(canvasSelector.c_str(), bufferEdge(canvasWidth),
                                       bufferEdge(canvasHeight));
    return true;
}

GpuMesh uploadMesh(const std::vector<float>& positions, const std::vector<float>& normals) {
    flush();
    const std::size_t vertices = positions.size() / 3;
    std::vector<float> interleaved;
    interleaved.reserve(vertices * 6);
    for (std::size_t v = 0; v < vertices; ++v) {
        interleaved.insert(interleaved.end(), &positions[3 * v], &positions[3 * v] + 3);
        interleaved.insert(interleaved.end(), &normals[3 * v], &normals[3 * v] + 3);
    }
    GpuMesh mesh;
    emscripten_glGenBuffers(1, &mesh.buffer);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(interleaved.size() * sizeof(float)),
                            interleaved.data(), GL_STATIC_DRAW);
    mesh.vertexCount = static_cast<int>(vertices);
    return mesh;
}

void clearWindow(const GlState& gl, const CanvasRect& rect, bool colour, bool depth) {
    if (program.id == 0 || (!colour && !depth)) return;
    flush();  // what was drawn before the clear goes first
    GLint box[4];
    scissorBox(rect, box);
    sendScissor(box);
    GLbitfield mask = 0;
    if (colour) {
        emscripten_glClearColor(gl.clearColor[0], gl.clearColor[1], gl.clearColor[2],
                                gl.clearColor[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (depth) {
        emscripten_glDepthMask(GL_TRUE);
        emscripten_glClearDepthf(1.0f);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    emscripten_glClear(mask);
}

void drawMesh(const GlState& gl, const CanvasRect& rect, const GpuMesh& mesh) {
    if (program.id == 0 || mesh.vertexCount == 0) return;
    DrawState state;
    // cppcheck-suppress memsetClassFloat ; an all-zero float is 0.0f in IEEE 754
    std::memset(&state, 0, sizeof state);  // padding too: states are compared bytewise
    state.mesh = mesh.buffer;
    state.vertexCount = mesh.vertexCount;
    scissorBox(rect, state.scissor);
    viewportBox(gl, rect, state.viewport);
    state.depthTest = gl.depthTest ? 1 : 0;
    std::memcpy(state.projection, gl.projection.top(), sizeof state.projection);
    lightingOf(gl, state.lighting);
    if (!batch.empty && !same(batch.state, state)) flush();
    if (batch.empty) {
        batch.state = state;
        batch.empty = false;
    }
    const float* m = gl.modelview.top();
    batch.instances.insert(batch.instances.end(), m, m + 16);
    float normalMatrix[9];
    normalMatrixOf(m, normalMatrix);
    batch.instances.insert(batch.instances.end(), normalMatrix, normalMatrix + 9);
}

void flushDrawing() {
    if (program.id != 0) flush();
}

}  // namespace web
