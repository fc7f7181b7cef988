// SPDX-License-Identifier: MIT
#include "web/renderer.h"

#include <emscripten/html5.h>
#include <webgl/webgl1.h>

#include <cmath>

namespace web {

namespace {

// Mesa's fixed-function vertex program for one light, written out: the
// scene colour (emission and the model's ambient light on the material), then
// light 0's ambient, diffuse and specular terms. The half vector of an
// infinite viewer is the light direction plus +z, normalised; the specular
// term counts only where the diffuse one does.
const char kVertexShader[] = R"(
attribute vec3 position;
attribute vec3 normal;
uniform mat4 modelview;
uniform mat4 projection;
uniform mat3 normalMatrix;
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

struct Program {
    GLuint id = 0;
    GLint position, normal;
    GLint modelview, projection, normalMatrix;
    GLint lighting, lightZero, normalizeNormals, lightPosition;
    GLint sceneColour, ambientProduct, diffuseProduct, specularProduct, shininess, alpha;
};

Program program;
int canvasHeight = 0;

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

bool linkProgram() {
    const GLuint id = emscripten_glCreateProgram();
    emscripten_glAttachShader(id, compile(GL_VERTEX_SHADER, kVertexShader));
    emscripten_glAttachShader(id, compile(GL_FRAGMENT_SHADER, kFragmentShader));
    emscripten_glLinkProgram(id);
    GLint linked = GL_FALSE;
    emscripten_glGetProgramiv(id, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        return false;
    }
    Program p;
    p.id = id;
    p.position = emscripten_glGetAttribLocation(id, "position");
    p.normal = emscripten_glGetAttribLocation(id, "normal");
    const auto uniform = [id](const char* name) { return emscripten_glGetUniformLocation(id, name); };
    p.modelview = uniform("modelview");
    p.projection = uniform("projection");
    p.normalMatrix = uniform("normalMatrix");
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
    // Column-major inverse transpose: the cofactor matrix over the determinant.
    const double cof[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                           -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                           b * f - c * e, -(a * f - c * d), a * e - b * d};
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

void setLighting(const GlState& gl) {
    const MaterialState& mat = gl.front;
    const LightState& light = gl.light;
    emscripten_glUniform1i(program.lighting, gl.lighting ? 1 : 0);
    emscripten_glUniform1i(program.lightZero, gl.light0 ? 1 : 0);
    emscripten_glUniform1i(program.normalizeNormals, gl.normalize ? 1 : 0);
    emscripten_glUniform4fv(program.lightPosition, 1, light.eyePosition);
    float scene[3], ambient[3], diffuse[3], specular[3];
    for (int k = 0; k < 3; ++k) {
        scene[k] = mat.emission[k] + gl.lightModelAmbient[k] * mat.ambient[k];
    }
    product(light.ambient, mat.ambient, ambient);
    product(light.diffuse, mat.diffuse, diffuse);
    product(light.specular, mat.specular, specular);
    emscripten_glUniform3fv(program.sceneColour, 1, scene);
    emscripten_glUniform3fv(program.ambientProduct, 1, ambient);
    emscripten_glUniform3fv(program.diffuseProduct, 1, diffuse);
    emscripten_glUniform3fv(program.specularProduct, 1, specular);
    emscripten_glUniform1f(program.shininess, mat.shininess);
    emscripten_glUniform1f(program.alpha, mat.diffuse[3]);
}

// Window rectangles count rows from the top; GL counts from the bottom.
int bottomOf(const CanvasRect& rect) {
    return canvasHeight - rect.top - rect.height;
}

void scissorTo(const CanvasRect& rect) {
    emscripten_glEnable(GL_SCISSOR_TEST);
    emscripten_glScissor(rect.left, bottomOf(rect), rect.width, rect.height);
}

}  // namespace

bool openRenderer(const char* selector, int width, int height) {
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
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    canvasHeight = height;
    (void)width;
    emscripten_glDepthFunc(GL_LESS);
    return linkProgram();
}

GpuMesh uploadMesh(const std::vector<float>& positions, const std::vector<float>& normals) {
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
    scissorTo(rect);
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
    scissorTo(rect);
    emscripten_glViewport(rect.left + gl.viewport[0], bottomOf(rect) + gl.viewport[1],
                          gl.viewport[2], gl.viewport[3]);
    if (gl.depthTest) {
        emscripten_glEnable(GL_DEPTH_TEST);
    } else {
        emscripten_glDisable(GL_DEPTH_TEST);
    }
    emscripten_glUniformMatrix4fv(program.modelview, 1, GL_FALSE, gl.modelview.top());
    emscripten_glUniformMatrix4fv(program.projection, 1, GL_FALSE, gl.projection.top());
    float normalMatrix[9];
    normalMatrixOf(gl.modelview.top(), normalMatrix);
    emscripten_glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, normalMatrix);
    setLighting(gl);

    constexpr GLsizei kStride = 6 * sizeof(float);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, mesh.buffer);
    emscripten_glEnableVertexAttribArray(program.position);
    emscripten_glVertexAttribPointer(program.position, 3, GL_FLOAT, GL_FALSE, kStride, nullptr);
    emscripten_glEnableVertexAttribArray(program.normal);
    emscripten_glVertexAttribPointer(program.normal, 3, GL_FLOAT, GL_FALSE, kStride,
                                     reinterpret_cast<const void*>(3 * sizeof(float)));
    emscripten_glDrawArrays(GL_TRIANGLES, 0, mesh.vertexCount);
}

}  // namespace web
