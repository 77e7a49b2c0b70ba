// The headless back end: draws nothing and records every device call the EGL makes, so that
// drawing logic (and the order in which the screens draw) can be tested without a display.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "egl/egl.h"

using EGLHandle = std::uint32_t;  // a device object; 0 is none

// What a device answers when asked whether it can draw.
enum class EGLDeviceCondition { USABLE, LOST, NOT_RESET };

enum class EGLBlendFactor { ZERO, ONE, SRC_ALPHA, INV_SRC_ALPHA };

// One display adapter as a back end reports it.
struct EGLDisplayMode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rate = 0;
  bool operator==(const EGLDisplayMode&) const = default;
};

struct EGLAdapter {
  std::string name;
  EGLDisplayMode desktop;
  std::vector<EGLDisplayMode> modes;
};

// One draw call as the back end receives it.
struct EGLDrawCall {
  std::int32_t primitiveType = 0;  // an EGLInterpretationKind
  bool indexed = false;
  std::int32_t first = 0;        // first vertex, or first index when indexed
  std::int32_t vertexCount = 0;  // the stream's whole vertex count when indexed
  std::int32_t primitiveCount = 0;
  EGLCurrentParts parts;  // what was current when the call was made
  EGLMatrix view;         // the top of the transform stack
  EGLMatrix projection;   // the running scene's space
};

enum class EGLCall {
  OPEN_DEVICE,  // value: width, value2: height, flag: windowed
  CLOSE_DEVICE,
  DEFAULT_STATES,
  CREATE_VERTEX_BUFFER,  // handle, value: bytes
  UPLOAD_VERTEX_BUFFER,  // handle, data
  RELEASE_VERTEX_BUFFER,
  CREATE_INDEX_BUFFER,
  UPLOAD_INDEX_BUFFER,
  RELEASE_INDEX_BUFFER,
  CREATE_TEXTURE,  // handle, value: width, value2: height
  UPLOAD_TEXTURE,  // handle, data: B, G, R, A bytes, row by row
  RELEASE_TEXTURE,
  SET_TEXTURE,        // handle (0 unbinds)
  SET_STREAM_SOURCE,  // handle (0 for none), value: vertex format
  SET_INDICES,        // handle (0 for none)
  SET_SHADE_MODE,     // value: shading kind
  SET_BLENDING,       // flag: enabled, source, destination
  SET_VIEW,           // matrix
  SET_PROJECTION,     // matrix
  BEGIN_SCENE,
  END_SCENE,
  CLEAR,  // color
  DRAW,   // value: index into draws
  PRESENT,
  TEST_COOPERATIVE_LEVEL,
};

struct EGLRecordedCall {
  EGLCall call = EGLCall::PRESENT;
  EGLHandle handle = 0;
  std::int64_t value = 0;
  std::int64_t value2 = 0;
  bool flag = false;
  EGLBlendFactor source = EGLBlendFactor::ONE;
  EGLBlendFactor destination = EGLBlendFactor::ZERO;
  EGLColor color;
  EGLMatrix matrix;
  std::vector<std::uint8_t> data;
};

struct EGLHeadlessRecording {
  std::vector<EGLRecordedCall> calls;
  std::vector<EGLDrawCall> draws;
  // Device objects alive now, with the bytes last uploaded to them.
  std::map<EGLHandle, std::vector<std::uint8_t>> memory;
  // Answers to the next cooperative-level tests, oldest first; USABLE once they run out.
  std::deque<EGLDeviceCondition> conditions;
  bool deviceIsOpen = false;

  // Forgets the calls and draws so far (not the device's memory).
  void clear();
  std::size_t count(EGLCall call) const;
  // The calls other than those of the kinds given, in order.
  std::vector<EGLCall> callsExcept(const std::vector<EGLCall>& ignored) const;
};

// The recording of an EGL opened with HEADLESS_IMPLEMENTATION; null for other back ends.
EGLHeadlessRecording* headlessRecording(EGL* egl);

// The adapters that headless EGLs created from now on (and their re-enumerations) report. The
// default is one adapter, "Headless adapter", desktop 1024 x 768 at 60 Hz, with full-screen
// modes 640 x 480, 800 x 600 and 1024 x 768, all at 60 Hz.
void setHeadlessAdapters(const std::vector<EGLAdapter>& adapters);
std::vector<EGLAdapter> defaultHeadlessAdapters();
