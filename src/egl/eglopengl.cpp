// The OpenGL 3.3 core back end, on the game's SDL window.
//
// The picture is always drawn into an off-screen framebuffer: at a full-screen description's own
// size (the monitor's mode never changes; SDL's desktop full screen shows it scaled), or at the
// window's largest 4:3 rectangle when windowed. Presenting letterboxes it into the window with
// black bars, so the 4:3 world is never stretched.
//
// Rasterisation follows the conventions the game's pictures were made for: pixel centres on
// integer picture coordinates with y down (hence the flip and the half-pixel shift in the vertex
// shader), flat shading
// taking the first vertex of each primitive, point sampling, wrap addressing, texel times vertex
// colour for colour and alpha, one-pixel points and lines.
#include "egl/eglopengl.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "dbg/dbg.h"
#include "eglimp.h"

DBG_SOURCE("eglopengl");

namespace {

using Clock = std::chrono::steady_clock;

constexpr GLuint POSITION_ATTRIBUTE = 0;
constexpr GLuint COLOR_ATTRIBUTE = 1;
constexpr GLuint ADRESS_ATTRIBUTE = 2;

const char* const VERTEX_SHADER = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aAdress;
uniform mat4 uView;
uniform mat4 uProjection;
uniform vec2 uHalfPixel;
flat out vec4 vFlatColor;
out vec4 vSmoothColor;
out vec2 vAdress;
void main() {
  // The matrices are stored for row vectors, which GLSL reads as their transposes, so
  // M * v here is v * M there.
  vec4 p = uProjection * (uView * vec4(aPosition, 1.0));
  // Drawn top row first, so that window coordinates are picture coordinates (y down) and the
  // rasteriser's edge rule includes the same edges; present turns the picture upright again.
  p.y = -p.y;
  p.xy += uHalfPixel * p.w;
  p.z = 2.0 * p.z - p.w;
  gl_Position = p;
  gl_PointSize = 1.0;
  vFlatColor = aColor;
  vSmoothColor = aColor;
  vAdress = aAdress;
}
)";

const char* const FRAGMENT_SHADER = R"(#version 330 core
flat in vec4 vFlatColor;
in vec4 vSmoothColor;
in vec2 vAdress;
uniform int uFlat;
uniform int uTextured;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  vec4 color = (uFlat != 0) ? vFlatColor : vSmoothColor;
  if (uTextured != 0) color *= texture(uTexture, vAdress);
  fragColor = color;
}
)";

struct Rectangle {
  int x = 0;
  int y = 0;
  int width = 1;
  int height = 1;
};

// The largest 4:3 rectangle centred in width x height.
Rectangle letterbox(int width, int height) {
  Rectangle result;
  if (static_cast<long long>(width) * 3 > static_cast<long long>(height) * 4) {
    result.height = height;
    result.width = height * 4 / 3;
  } else {
    result.width = width;
    result.height = width * 3 / 4;
  }
  result.width = std::max(1, result.width);
  result.height = std::max(1, result.height);
  result.x = (width - result.width) / 2;
  result.y = (height - result.height) / 2;
  return result;
}

[[noreturn]] void failSDL(const char* what) {
  DBG_FAIL_TEXT(std::string(what) + ": " + SDL_GetError());
}

void checkGL(const char* what) {
  const GLenum error = glGetError();
  if (GL_NO_ERROR != error) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(error));
    DBG_FAIL_TEXT(std::string(what) + " failed with OpenGL error " + code + ".");
  }
}

GLenum blendFactor(EGLBlendFactor factor) {
  switch (factor) {
    case EGLBlendFactor::ZERO:
      return GL_ZERO;
    case EGLBlendFactor::ONE:
      return GL_ONE;
    case EGLBlendFactor::SRC_ALPHA:
      return GL_SRC_ALPHA;
    case EGLBlendFactor::INV_SRC_ALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
  }
  DBG_ERROR("Unknown blend factor.");
}

// OpenGL counts vertices where the device interface counts primitives.
GLenum primitiveMode(std::int32_t primitiveType) {
  switch (primitiveType) {
    case POINT_LIST:
      return GL_POINTS;
    case LINE_LIST:
      return GL_LINES;
    case LINE_STRIP:
      return GL_LINE_STRIP;
    case TRIANGLE_LIST:
      return GL_TRIANGLES;
    case TRIANGLE_STRIP:
      return GL_TRIANGLE_STRIP;
    case TRIANGLE_FAN:
      return GL_TRIANGLE_FAN;
    default:
      DBG_ERROR("Unknown D3D primitive type.");
  }
}

GLsizei verticesFor(std::int32_t primitiveType, std::int32_t primitives) {
  if (primitives <= 0) return 0;
  switch (primitiveType) {
    case POINT_LIST:
      return primitives;
    case LINE_LIST:
      return 2 * primitives;
    case LINE_STRIP:
      return primitives + 1;
    case TRIANGLE_LIST:
      return 3 * primitives;
    default:
      return primitives + 2;
  }
}

GLuint compileShader(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (GL_TRUE != compiled) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    DBG_FAIL_TEXT(std::string("Shader compilation failed: ") + log);
  }
  return shader;
}

class EGLOpenGLBackEnd final : public EGLBackEnd {
 public:
  explicit EGLOpenGLBackEnd(SDL_Window* window) : mWindow(window) {}

  ~EGLOpenGLBackEnd() override {
    if (mContext) SDL_GL_DeleteContext(mContext);
  }

  std::vector<EGLAdapter> adapters() override {
    const int displayCount = SDL_GetNumVideoDisplays();
    if (displayCount < 1) failSDL("Display count");
    std::vector<EGLAdapter> result;
    for (int display = 0; display < displayCount; ++display) {
      EGLAdapter adapter;
      const char* displayName = SDL_GetDisplayName(display);
      adapter.name = std::string("OpenGL on ") + (displayName ? displayName : "display");
      SDL_DisplayMode desktop;
      if (0 != SDL_GetDesktopDisplayMode(display, &desktop)) failSDL("Desktop display mode");
      adapter.desktop = EGLDisplayMode{desktop.w, desktop.h, desktop.refresh_rate};
      const int modeCount = SDL_GetNumDisplayModes(display);
      for (int index = 0; index < modeCount; ++index) {
        SDL_DisplayMode mode;
        if (0 != SDL_GetDisplayMode(display, index, &mode)) failSDL("Display mode");
        // Only true-colour modes; a mode SDL lists in several pixel formats counts once.
        if ((SDL_PIXELFORMAT_UNKNOWN != mode.format) && (SDL_BITSPERPIXEL(mode.format) < 24)) continue;
        const EGLDisplayMode entry{mode.w, mode.h, mode.refresh_rate};
        if ((entry.width <= 0) || (entry.height <= 0)) continue;
        if (std::find(adapter.modes.begin(), adapter.modes.end(), entry) == adapter.modes.end()) {
          adapter.modes.push_back(entry);
        }
      }
      // A display that lists no usable mode (SDL's offscreen driver) still has its desktop.
      if (adapter.modes.empty()) adapter.modes.push_back(adapter.desktop);
      result.push_back(adapter);
    }
    return result;
  }

  void openDevice(const EGLDeviceSettings& settings) override {
    mSettings = settings;
    if (settings.windowed) {
      if (0 != SDL_SetWindowFullscreen(mWindow, 0)) failSDL("Leaving full screen");
    } else if (0 == (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP)) {
      // Without a window manager the full-screen request alone leaves the window at its size,
      // so it is first made to cover the display itself.
      SDL_Rect bounds;
      if (0 == SDL_GetDisplayBounds(settings.adapter, &bounds)) {
        SDL_SetWindowPosition(mWindow, bounds.x, bounds.y);
        SDL_SetWindowSize(mWindow, bounds.w, bounds.h);
      }
      if (0 != SDL_SetWindowFullscreen(mWindow, SDL_WINDOW_FULLSCREEN_DESKTOP))
        failSDL("Entering full screen");
    }

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    mContext = SDL_GL_CreateContext(mWindow);
    if (!mContext) mContext = SDL_GL_CreateContext(mWindow);  // once more, as drivers sometimes need
    if (!mContext) failSDL("OpenGL 3.3 context");
    if (0 != SDL_GL_MakeCurrent(mWindow, mContext)) failSDL("Making the OpenGL context current");
    mVsync = (0 == SDL_GL_SetSwapInterval(1));
    mFastPresents = 0;

    const GLuint vertexShader = compileShader(GL_VERTEX_SHADER, VERTEX_SHADER);
    const GLuint fragmentShader = compileShader(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    mProgram = glCreateProgram();
    glAttachShader(mProgram, vertexShader);
    glAttachShader(mProgram, fragmentShader);
    glLinkProgram(mProgram);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(mProgram, GL_LINK_STATUS, &linked);
    if (GL_TRUE != linked) DBG_FAIL_TEXT("Shader program link failed.");
    glUseProgram(mProgram);
    mViewLocation = glGetUniformLocation(mProgram, "uView");
    mProjectionLocation = glGetUniformLocation(mProgram, "uProjection");
    mHalfPixelLocation = glGetUniformLocation(mProgram, "uHalfPixel");
    mFlatLocation = glGetUniformLocation(mProgram, "uFlat");
    mTexturedLocation = glGetUniformLocation(mProgram, "uTextured");
    glUniform1i(glGetUniformLocation(mProgram, "uTexture"), 0);

    glGenVertexArrays(1, &mVertexArray);
    glBindVertexArray(mVertexArray);
    glActiveTexture(GL_TEXTURE0);
    mTexture = 0;
    mStreamBuffer = 0;
    mView = EGLMatrix::identity();
    mProjection = EGLMatrix::identity();
    setDefaultStates();
    makePictureBuffer();
    checkGL("Opening the OpenGL device");
    mLastPresent = Clock::now();
    mLost = false;
    mHadFocus = false;
  }

  void closeDevice() override {
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &mVertexArray);
    glDeleteProgram(mProgram);
    releasePictureBuffer();
    SDL_GL_MakeCurrent(mWindow, nullptr);
    SDL_GL_DeleteContext(mContext);
    mContext = nullptr;
  }

  void setDefaultStates() override {
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_BLEND);
    mFlat = false;
  }

  EGLDeviceCondition testCooperativeLevel() override {
    if (mSettings.windowed) return EGLDeviceCondition::USABLE;
    const Uint32 flags = SDL_GetWindowFlags(mWindow);
    const bool focused = 0 != (flags & SDL_WINDOW_INPUT_FOCUS);
    if (focused) mHadFocus = true;
    // A window that never had the focus since opening has not lost it; only switching away
    // (or minimising) pauses the game.
    if ((0 != (flags & SDL_WINDOW_MINIMIZED)) || (mHadFocus && !focused)) {
      mLost = true;
      return EGLDeviceCondition::LOST;
    }
    if (mLost) {
      mLost = false;
      return EGLDeviceCondition::NOT_RESET;
    }
    return EGLDeviceCondition::USABLE;
  }

  // Buffers are created and filled through the copy-write target so that no binding the
  // current stream relies on (the vertex array's index buffer above all) is disturbed.
  EGLHandle createVertexBuffer(std::size_t bytes) override { return createBuffer(bytes); }
  void uploadVertexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) override {
    uploadBuffer(buffer, data, bytes);
  }
  void releaseVertexBuffer(EGLHandle buffer) override { releaseBuffer(buffer); }
  EGLHandle createIndexBuffer(std::size_t bytes) override { return createBuffer(bytes); }
  void uploadIndexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) override {
    uploadBuffer(buffer, data, bytes);
  }
  void releaseIndexBuffer(EGLHandle buffer) override { releaseBuffer(buffer); }

  EGLHandle createTexture(std::int32_t width, std::int32_t height) override {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, mTexture);
    checkGL("Creating a texture");
    return texture;
  }

  // Texel bytes are B, G, R, A: the little-endian form of the ARGB value, which is what BGRA
  // with unsigned bytes reads.
  void uploadTexture(EGLHandle texture, std::int32_t width, std::int32_t height,
                     const std::uint8_t* bgra) override {
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    glBindTexture(GL_TEXTURE_2D, mTexture);
  }

  void releaseTexture(EGLHandle texture) override {
    if (mTexture == texture) mTexture = 0;
    glDeleteTextures(1, &texture);
  }

  void setTexture(EGLHandle texture) override {
    mTexture = texture;
    glBindTexture(GL_TEXTURE_2D, texture);
  }

  void setStreamSource(EGLHandle buffer, std::int32_t format) override {
    mStreamBuffer = buffer;
    if (0 == buffer) {
      glDisableVertexAttribArray(POSITION_ATTRIBUTE);
      glDisableVertexAttribArray(COLOR_ATTRIBUTE);
      glDisableVertexAttribArray(ADRESS_ATTRIBUTE);
      return;
    }
    const GLsizei stride = (TEXTURED_VERTICES == format) ? 24 : 16;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(POSITION_ATTRIBUTE);
    glVertexAttribPointer(POSITION_ATTRIBUTE, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(0));
    glEnableVertexAttribArray(COLOR_ATTRIBUTE);
    // The colour word is ARGB, stored little-endian as B, G, R, A.
    glVertexAttribPointer(COLOR_ATTRIBUTE, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void*>(12));
    if (TEXTURED_VERTICES == format) {
      glEnableVertexAttribArray(ADRESS_ATTRIBUTE);
      glVertexAttribPointer(ADRESS_ATTRIBUTE, 2, GL_FLOAT, GL_FALSE, stride,
                            reinterpret_cast<const void*>(16));
    } else {
      glDisableVertexAttribArray(ADRESS_ATTRIBUTE);
      glVertexAttrib2f(ADRESS_ATTRIBUTE, 0.0f, 0.0f);
    }
  }

  void setIndices(EGLHandle buffer) override { glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer); }

  void setShadeMode(std::int32_t shading) override { mFlat = (FLAT_SHADING == shading); }

  void setBlending(bool enabled, EGLBlendFactor source, EGLBlendFactor destination) override {
    if (enabled) {
      glEnable(GL_BLEND);
      glBlendEquation(GL_FUNC_ADD);
      glBlendFunc(blendFactor(source), blendFactor(destination));
    } else {
      glDisable(GL_BLEND);
    }
  }

  void setViewTransform(const EGLMatrix& matrix) override { mView = matrix; }
  void setProjectionTransform(const EGLMatrix& matrix) override { mProjection = matrix; }

  void beginScene() override {
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    glViewport(0, 0, mPictureWidth, mPictureHeight);
  }

  void endScene() override {}

  void clear(EGLColor color) override {
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    glClearColor(static_cast<float>(color.red()) / 255.0f, static_cast<float>(color.green()) / 255.0f,
                 static_cast<float>(color.blue()) / 255.0f, static_cast<float>(color.alpha()) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  void draw(const EGLDrawCall& call) override {
    if (0 == mStreamBuffer) return;  // nothing to draw from, as a device without a source does
    const GLsizei vertices = verticesFor(call.primitiveType, call.primitiveCount);
    const GLenum mode = primitiveMode(call.primitiveType);
    if (0 == vertices) return;
    glUniformMatrix4fv(mViewLocation, 1, GL_FALSE, &mView.m[0][0]);
    glUniformMatrix4fv(mProjectionLocation, 1, GL_FALSE, &mProjection.m[0][0]);
    glUniform2f(mHalfPixelLocation, 1.0f / static_cast<float>(mPictureWidth),
                1.0f / static_cast<float>(mPictureHeight));
    glUniform1i(mFlatLocation, mFlat ? 1 : 0);
    glUniform1i(mTexturedLocation, (0 != mTexture) ? 1 : 0);
    if (call.indexed) {
      glDrawElements(mode, vertices, GL_UNSIGNED_SHORT,
                     reinterpret_cast<const void*>(static_cast<std::uintptr_t>(call.first) * 2u));
    } else {
      glDrawArrays(mode, call.first, vertices);
    }
  }

  std::int32_t present() override {
    compose();
    pace();
    SDL_GL_SwapWindow(mWindow);
    afterSwap();
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    // A windowed picture follows the window's size; the new size shows from the next frame.
    if (mSettings.windowed) {
      int width = 0;
      int height = 0;
      SDL_GL_GetDrawableSize(mWindow, &width, &height);
      const Rectangle picture = letterbox(width, height);
      if ((picture.width != mPictureWidth) || (picture.height != mPictureHeight)) {
        releasePictureBuffer();
        makePictureBuffer();
      }
    }
    return 0;
  }

  EGLImage readPicture() {
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    return readPixels(mPictureWidth, mPictureHeight, false);
  }

  EGLImage readWindow() {
    compose();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(mWindow, &width, &height);
    EGLImage image = readPixels(width, height, true);
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    return image;
  }

 private:
  EGLHandle createBuffer(std::size_t bytes) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    checkGL("Creating a buffer");
    return buffer;
  }

  // Rewritten whole, so the old contents are simply dropped.
  void uploadBuffer(EGLHandle buffer, const void* data, std::size_t bytes) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  }

  void releaseBuffer(EGLHandle buffer) {
    if (mStreamBuffer == buffer) mStreamBuffer = 0;
    glDeleteBuffers(1, &buffer);
  }

  void makePictureBuffer() {
    if (mSettings.windowed) {
      int width = 0;
      int height = 0;
      SDL_GL_GetDrawableSize(mWindow, &width, &height);
      const Rectangle picture = letterbox(width, height);
      mPictureWidth = picture.width;
      mPictureHeight = picture.height;
    } else {
      mPictureWidth = std::max(1, mSettings.width);
      mPictureHeight = std::max(1, mSettings.height);
    }
    glGenRenderbuffers(1, &mPictureRenderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, mPictureRenderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, mPictureWidth, mPictureHeight);
    glGenFramebuffers(1, &mPictureFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, mPictureFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mPictureRenderbuffer);
    if (GL_FRAMEBUFFER_COMPLETE != glCheckFramebufferStatus(GL_FRAMEBUFFER)) {
      DBG_FAIL_TEXT("The picture's framebuffer is incomplete.");
    }
    glViewport(0, 0, mPictureWidth, mPictureHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  void releasePictureBuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &mPictureFramebuffer);
    glDeleteRenderbuffers(1, &mPictureRenderbuffer);
    mPictureFramebuffer = 0;
    mPictureRenderbuffer = 0;
  }

  // Puts the picture into the window's back buffer, letterboxed.
  void compose() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(mWindow, &width, &height);
    const Rectangle target = letterbox(width, height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mPictureFramebuffer);
    const bool sameSize = (target.width == mPictureWidth) && (target.height == mPictureHeight);
    // The picture is stored top row first; the window's rows go bottom up.
    glBlitFramebuffer(0, 0, mPictureWidth, mPictureHeight, target.x, target.y + target.height,
                      target.x + target.width, target.y, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  }

  // Holds the loop to the refresh rate: the swap does it where vsync is honoured, otherwise we
  // sleep until one period has passed since the previous present. Even with vsync we sleep to
  // just short of the period, so a driver that accepts vsync but does not wait cannot let the
  // machines (which count frames) run fast before we notice.
  void pace() {
    const auto next = mLastPresent + period() - (mVsync ? VSYNC_SLACK : Clock::duration::zero());
    if (Clock::now() < next) std::this_thread::sleep_until(next);
  }

  void afterSwap() {
    const auto now = Clock::now();
    if (mVsync) {
      // A driver may accept the swap interval and still not wait; then we pace ourselves. A real
      // vertical retrace never comes back clearly early, so early frames add up, whatever the
      // load does to the frames in between.
      if (now - mLastPresent < period() - VSYNC_SLACK / 2) ++mFastPresents;
      if (mFastPresents >= 10) mVsync = false;
      mLastPresent = now;
    } else {
      // Keep the cadence, but after a slow frame start afresh rather than hurry to catch up.
      const auto next = mLastPresent + period();
      mLastPresent = (now - next < period()) ? next : now;
    }
  }

  static constexpr Clock::duration VSYNC_SLACK = std::chrono::milliseconds(1);

  Clock::duration period() const {
    const int rate = (mSettings.rate > 0) ? mSettings.rate : 60;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
  }

  EGLImage readPixels(int width, int height, bool bottomUp) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bytes.data());
    checkGL("Reading pixels");
    EGLImage image;
    image.resize(width, height);
    for (int row = 0; row < height; ++row) {
      const int sourceRow = bottomUp ? height - 1 - row : row;
      const std::uint8_t* source = bytes.data() + static_cast<std::size_t>(sourceRow) * width * 4u;
      for (int column = 0; column < width; ++column) {
        const std::uint8_t* texel = source + static_cast<std::size_t>(column) * 4u;
        image.texel(column, row) = EGLColor(0xFFu, texel[2], texel[1], texel[0]);
      }
    }
    return image;
  }

  SDL_Window* mWindow;
  SDL_GLContext mContext = nullptr;
  EGLDeviceSettings mSettings;
  GLuint mProgram = 0;
  GLuint mVertexArray = 0;
  GLint mViewLocation = -1;
  GLint mProjectionLocation = -1;
  GLint mHalfPixelLocation = -1;
  GLint mFlatLocation = -1;
  GLint mTexturedLocation = -1;
  GLuint mPictureFramebuffer = 0;
  GLuint mPictureRenderbuffer = 0;
  int mPictureWidth = 1;
  int mPictureHeight = 1;
  EGLHandle mTexture = 0;
  EGLHandle mStreamBuffer = 0;
  bool mFlat = false;
  EGLMatrix mView;
  EGLMatrix mProjection;
  bool mVsync = false;
  int mFastPresents = 0;
  Clock::time_point mLastPresent;
  bool mLost = false;
  bool mHadFocus = false;
};

EGLOpenGLBackEnd& openGLBackEnd(EGL* egl) {
  auto* core = dynamic_cast<EGLCore*>(egl);
  DBG_ASSERT("EGL on the OpenGL back end." && core);
  auto* backEnd = dynamic_cast<EGLOpenGLBackEnd*>(&core->backEnd());
  DBG_ASSERT("EGL on the OpenGL back end." && backEnd);
  DBG_ASSERT(core->d3DDeviceIsOpen());
  return *backEnd;
}

}  // namespace

std::unique_ptr<EGLBackEnd> makeOpenGLBackEnd(void* windowHandle) {
  DBG_ASSERT("Valid window handle pointer." && windowHandle);
  return std::make_unique<EGLOpenGLBackEnd>(static_cast<SDL_Window*>(windowHandle));
}

EGLImage readPicture(EGL* egl) {
  return openGLBackEnd(egl).readPicture();
}

EGLImage readWindow(EGL* egl) {
  return openGLBackEnd(egl).readWindow();
}
