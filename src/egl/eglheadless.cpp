#include "egl/eglheadless.h"

#include <algorithm>
#include <cstring>

#include "dbg/dbg.h"
#include "eglimp.h"

DBG_SOURCE("eglheadless");

void EGLHeadlessRecording::clear() {
  calls.clear();
  draws.clear();
}

std::size_t EGLHeadlessRecording::count(EGLCall call) const {
  return static_cast<std::size_t>(std::count_if(
      calls.begin(), calls.end(), [call](const EGLRecordedCall& entry) { return entry.call == call; }));
}

std::vector<EGLCall> EGLHeadlessRecording::callsExcept(const std::vector<EGLCall>& ignored) const {
  std::vector<EGLCall> result;
  for (const EGLRecordedCall& entry : calls) {
    if (std::find(ignored.begin(), ignored.end(), entry.call) == ignored.end()) result.push_back(entry.call);
  }
  return result;
}

std::vector<EGLAdapter> defaultHeadlessAdapters() {
  return {EGLAdapter{
      "Headless adapter",
      EGLDisplayMode{1024, 768, 60},
      {EGLDisplayMode{640, 480, 60}, EGLDisplayMode{800, 600, 60}, EGLDisplayMode{1024, 768, 60}}}};
}

namespace {

std::vector<EGLAdapter>& configuredAdapters() {
  static std::vector<EGLAdapter> adapters = defaultHeadlessAdapters();
  return adapters;
}

// Keeps the device's side of every object in memory so tests can see exactly what was uploaded,
// and refuses what a real device would not survive (objects used after release, work without a
// device).
class EGLHeadlessBackEnd final : public EGLBackEnd {
 public:
  EGLHeadlessRecording mRecording;

  std::vector<EGLAdapter> adapters() override { return configuredAdapters(); }

  void openDevice(const EGLDeviceSettings& settings) override {
    DBG_ASSERT(!mRecording.deviceIsOpen);
    EGLRecordedCall& call = record(EGLCall::OPEN_DEVICE);
    call.value = settings.width;
    call.value2 = settings.height;
    call.flag = settings.windowed;
    mRecording.deviceIsOpen = true;
  }

  void closeDevice() override {
    DBG_ASSERT(mRecording.deviceIsOpen);
    // The device takes its objects with it; the EGL must have released them first.
    DBG_ASSERT("Every device object released." && mRecording.memory.empty());
    record(EGLCall::CLOSE_DEVICE);
    mRecording.deviceIsOpen = false;
  }

  void setDefaultStates() override { record(EGLCall::DEFAULT_STATES); }

  EGLDeviceCondition testCooperativeLevel() override {
    record(EGLCall::TEST_COOPERATIVE_LEVEL);
    if (mRecording.conditions.empty()) return EGLDeviceCondition::USABLE;
    const EGLDeviceCondition condition = mRecording.conditions.front();
    mRecording.conditions.pop_front();
    return condition;
  }

  EGLHandle createVertexBuffer(std::size_t bytes) override {
    return create(EGLCall::CREATE_VERTEX_BUFFER, bytes);
  }
  void uploadVertexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) override {
    upload(EGLCall::UPLOAD_VERTEX_BUFFER, buffer, data, bytes);
  }
  void releaseVertexBuffer(EGLHandle buffer) override { release(EGLCall::RELEASE_VERTEX_BUFFER, buffer); }
  EGLHandle createIndexBuffer(std::size_t bytes) override {
    return create(EGLCall::CREATE_INDEX_BUFFER, bytes);
  }
  void uploadIndexBuffer(EGLHandle buffer, const void* data, std::size_t bytes) override {
    upload(EGLCall::UPLOAD_INDEX_BUFFER, buffer, data, bytes);
  }
  void releaseIndexBuffer(EGLHandle buffer) override { release(EGLCall::RELEASE_INDEX_BUFFER, buffer); }

  EGLHandle createTexture(std::int32_t width, std::int32_t height) override {
    const EGLHandle texture = create(EGLCall::CREATE_TEXTURE,
                                     static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
    mRecording.calls.back().value = width;
    mRecording.calls.back().value2 = height;
    return texture;
  }
  void uploadTexture(EGLHandle texture, std::int32_t width, std::int32_t height,
                     const std::uint8_t* bgra) override {
    upload(EGLCall::UPLOAD_TEXTURE, texture, bgra,
           static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
  }
  void releaseTexture(EGLHandle texture) override { release(EGLCall::RELEASE_TEXTURE, texture); }

  void setTexture(EGLHandle texture) override { record(EGLCall::SET_TEXTURE).handle = texture; }
  void setStreamSource(EGLHandle buffer, std::int32_t format) override {
    EGLRecordedCall& call = record(EGLCall::SET_STREAM_SOURCE);
    call.handle = buffer;
    call.value = format;
  }
  void setIndices(EGLHandle buffer) override { record(EGLCall::SET_INDICES).handle = buffer; }
  void setShadeMode(std::int32_t shading) override { record(EGLCall::SET_SHADE_MODE).value = shading; }
  void setBlending(bool enabled, EGLBlendFactor source, EGLBlendFactor destination) override {
    EGLRecordedCall& call = record(EGLCall::SET_BLENDING);
    call.flag = enabled;
    call.source = source;
    call.destination = destination;
  }
  void setViewTransform(const EGLMatrix& matrix) override { record(EGLCall::SET_VIEW).matrix = matrix; }
  void setProjectionTransform(const EGLMatrix& matrix) override {
    record(EGLCall::SET_PROJECTION).matrix = matrix;
  }

  void beginScene() override { record(EGLCall::BEGIN_SCENE); }
  void endScene() override { record(EGLCall::END_SCENE); }
  void clear(EGLColor color) override { record(EGLCall::CLEAR).color = color; }
  void draw(const EGLDrawCall& call) override {
    DBG_ASSERT(mRecording.deviceIsOpen);
    record(EGLCall::DRAW).value = static_cast<std::int64_t>(mRecording.draws.size());
    mRecording.draws.push_back(call);
  }
  std::int32_t present() override {
    record(EGLCall::PRESENT);
    return 0;
  }

 private:
  EGLRecordedCall& record(EGLCall what) {
    mRecording.calls.push_back(EGLRecordedCall{});
    mRecording.calls.back().call = what;
    return mRecording.calls.back();
  }

  EGLHandle create(EGLCall what, std::size_t bytes) {
    DBG_ASSERT(mRecording.deviceIsOpen);
    const EGLHandle handle = ++mLastHandle;
    mRecording.memory[handle].assign(bytes, 0u);
    EGLRecordedCall& call = record(what);
    call.handle = handle;
    call.value = static_cast<std::int64_t>(bytes);
    return handle;
  }

  void upload(EGLCall what, EGLHandle handle, const void* data, std::size_t bytes) {
    auto object = mRecording.memory.find(handle);
    DBG_ASSERT("Upload to a live device object." && (mRecording.memory.end() != object));
    DBG_ASSERT("Upload fits the device object." && (bytes == object->second.size()));
    if (bytes > 0) std::memcpy(object->second.data(), data, bytes);
    EGLRecordedCall& call = record(what);
    call.handle = handle;
    call.data = object->second;
  }

  void release(EGLCall what, EGLHandle handle) {
    DBG_ASSERT("Release of a live device object." && (mRecording.memory.erase(handle) == 1));
    record(what).handle = handle;
  }

  EGLHandle mLastHandle = 0;
};

}  // namespace

std::unique_ptr<EGLBackEnd> makeHeadlessBackEnd() {
  return std::make_unique<EGLHeadlessBackEnd>();
}

EGLHeadlessRecording* headlessRecording(EGL* egl) {
  auto* core = dynamic_cast<EGLCore*>(egl);
  if (!core) return nullptr;
  auto* backEnd = dynamic_cast<EGLHeadlessBackEnd*>(&core->backEnd());
  return backEnd ? &backEnd->mRecording : nullptr;
}

void setHeadlessAdapters(const std::vector<EGLAdapter>& adapters) {
  configuredAdapters() = adapters;
}
