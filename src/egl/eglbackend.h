// What the EGL's logic needs from a device. Each back end (OpenGL, headless) implements it; the
// logic above it (object model, keys, states, caches, descriptions) is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "egl/egl.h"
#include "egl/eglheadless.h"

struct EGLDeviceSettings {
  std::int32_t adapter = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rate = 0;
  bool windowed = true;
  std::int32_t format = RGB_FORMAT;
};

class EGLBackEnd {
 public:
  virtual ~EGLBackEnd() = default;

  virtual std::vector<EGLAdapter> adapters() = 0;

  virtual void openDevice(const EGLDeviceSettings& settings) = 0;
  virtual void closeDevice() = 0;
  // Culling and lighting off, vertex colours on, point sampling, wrap addressing, colour and
  // alpha both texel times vertex colour.
  virtual void setDefaultStates() = 0;
  virtual EGLDeviceCondition testCooperativeLevel() = 0;

  // Buffers and textures; uploads always rewrite the whole object.
  virtual EGLHandle createVertexBuffer(std::size_t bytes) = 0;
  virtual void uploadVertexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) = 0;
  virtual void releaseVertexBuffer(EGLHandle buffer) = 0;
  virtual EGLHandle createIndexBuffer(std::size_t bytes) = 0;
  virtual void uploadIndexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) = 0;
  virtual void releaseIndexBuffer(EGLHandle buffer) = 0;
  virtual EGLHandle createTexture(std::int32_t width, std::int32_t height) = 0;
  // B, G, R, A bytes per texel, rows top first, no padding.
  virtual void uploadTexture(EGLHandle texture, std::int32_t width, std::int32_t height,
                             const std::uint8_t* bgra) = 0;
  virtual void releaseTexture(EGLHandle texture) = 0;

  // Current state of the device.
  virtual void setTexture(EGLHandle texture) = 0;
  virtual void setStreamSource(EGLHandle buffer, std::int32_t format) = 0;
  virtual void setIndices(EGLHandle buffer) = 0;
  virtual void setShadeMode(std::int32_t shading) = 0;
  virtual void setBlending(bool enabled, EGLBlendFactor source, EGLBlendFactor destination) = 0;
  virtual void setViewTransform(const EGLMatrix& matrix) = 0;
  virtual void setProjectionTransform(const EGLMatrix& matrix) = 0;

  virtual void beginScene() = 0;
  virtual void endScene() = 0;
  virtual void clear(EGLColor color) = 0;
  virtual void draw(const EGLDrawCall& call) = 0;
  virtual std::int32_t present() = 0;
};
