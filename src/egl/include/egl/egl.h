// The graphics library: one EGL object per window through which everything is drawn, and the
// objects it creates and owns (device descriptions, streams, textures, transforms, spaces,
// models, and the fixed interpretations, shadings and blenders).
//
// Every object keeps its data in memory; its copy on the device exists only while the EGL is
// open, and is re-created and re-uploaded at every open, so a lost device can be closed and
// opened again without the screens noticing.
//
// Points are row vectors: a vertex p is drawn at p * T1 * ... * Tn * P, where T1 ... Tn are the
// transforms pushed (T1 first) and P is the projection of the space of the running scene.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "egl/egltypes.h"

// A key is an identity without data. The EGL hands its keys to the objects it creates and passes
// them back with every facet call, so that only the EGL (or, for the stream inside an indexed
// stream, the indexed stream) drives an object's life on the device.
class EGLKey {
 public:
  EGLKey() = default;
  EGLKey(const EGLKey&) = delete;
  EGLKey& operator=(const EGLKey&) = delete;
  virtual ~EGLKey() = default;
};

// The base of everything an EGL creates: the object's own operations plus four facets (change,
// switch, resource, clone) and a set of holders.
class EGLObject {
 public:
  EGLObject() = default;
  EGLObject(const EGLObject&) = delete;
  EGLObject& operator=(const EGLObject&) = delete;
  virtual ~EGLObject();

  // Change facet: data is changed between beginChange and endChange; changes nest.
  virtual void beginChange(const EGLKey* changeKey);
  virtual void endChange(const EGLKey* changeKey);
  // Brings the device copy up to date with the data in memory.
  virtual void applyChange(const EGLKey* changeKey);
  // Switch facet: makes the object current on the device.
  virtual void switchOn(const EGLKey* switchKey);
  virtual void switchOff(const EGLKey* switchKey);
  // Resource facet: creates and releases the device copy.
  virtual void openResource(const EGLKey* resourceKey);
  virtual void closeResource(const EGLKey* resourceKey);
  // Clone facet; the caller owns the copy.
  virtual EGLObject* clone() const;

  virtual bool invariant() const { return isValid(); }
  bool isChanging() const { return mChangeDepth > 0; }
  bool isValid() const { return mChangeDepth >= 0; }
  std::int32_t changeDepth() const { return mChangeDepth; }

  void setKeys(const EGLKey* changeKey, const EGLKey* resourceKey, const EGLKey* switchKey);
  bool isChangeKey(const EGLKey* key) const { return key == mChangeKey; }
  bool isResourceKey(const EGLKey* key) const { return key == mResourceKey; }
  bool isSwitchKey(const EGLKey* key) const { return key == mSwitchKey; }

  // Whoever keeps a pointer to the object adds itself while it keeps it. Bookkeeping only.
  void addHolder(const void* holder);
  void removeHolder(const void* holder);
  bool isHeldBy(const void* holder) const { return mHolders.count(holder) != 0; }
  std::size_t holderCount() const { return mHolders.size(); }

 protected:
  // For objects that end their life before their destructor runs.
  void invalidate() { mChangeDepth = -1; }

 private:
  std::int32_t mChangeDepth = 0;
  const EGLKey* mChangeKey = nullptr;
  const EGLKey* mResourceKey = nullptr;
  const EGLKey* mSwitchKey = nullptr;
  std::multiset<const void*> mHolders;
};

enum EGLVertexFormat : std::int32_t {
  COLORED_VERTICES = 1,   // x, y, z, colour: 16 bytes
  TEXTURED_VERTICES = 2,  // x, y, z, colour, u, v: 24 bytes
};

enum EGLDeviceFormat : std::int32_t { RGB_FORMAT = 1, ARGB_FORMAT = 2 };
enum EGLDeviceTarget : std::int32_t { WINDOW_TARGET = 1, SCREEN_TARGET = 2 };
enum EGLDeviceType : std::int32_t { HARDWARE_DEVICE = 1, REFERENCE_DEVICE = 2 };

enum EGLInterpretationKind : std::int32_t {
  POINT_LIST = 1,
  LINE_LIST = 2,
  LINE_STRIP = 3,
  TRIANGLE_LIST = 4,
  TRIANGLE_STRIP = 5,
  TRIANGLE_FAN = 6,
};

enum EGLShadingKind : std::int32_t { FLAT_SHADING = 1, GOURAUD_SHADING = 2 };

enum EGLBlendingKind : std::int32_t { OPAQUE_BLENDING = 1, ALPHA_BLENDING = 2, ADDITIVE_BLENDING = 3 };

// Textures must be square with a power-of-two side.
bool isValidTextureSize(std::int32_t width, std::int32_t height);

// How many primitives n vertices (or indices) make for a primitive type; an unknown type is an
// Error.
std::int32_t primitiveCount(std::int32_t primitiveType, std::int32_t n);

class EGLInterpretation : public EGLObject {
 public:
  virtual std::int32_t kind() const = 0;
};

class EGLShading : public EGLObject {
 public:
  virtual std::int32_t kind() const = 0;
};

class EGLBlender : public EGLObject {
 public:
  virtual std::int32_t kind() const = 0;
};

// One usable display configuration: a window on the desktop, or the whole screen at a size.
class EGLDevice : public EGLObject {
 public:
  virtual std::int32_t format() const = 0;
  virtual std::int32_t height() const = 0;
  virtual bool isDefaultAdapter() const = 0;
  virtual std::string name() const = 0;
  // Hz; 0 when the display does not report one.
  virtual std::int32_t rate() const = 0;
  virtual std::int32_t target() const = 0;
  virtual std::int32_t type() const = 0;
  virtual std::int32_t width() const = 0;
};

// A picture on the device, made from a copy of an image whose sides are equal powers of two.
class EGLTexture : public EGLObject {
 public:
  // Only while changing; the new image reaches the device when the change ends.
  virtual void setImage(const EGLImage& image) = 0;
  // The texture address of the centre of a texel. Not range-checked: -1 or the count give
  // addresses just outside 0..1.
  virtual EGLVector adress(std::int32_t column, std::int32_t row) const = 0;
  virtual const EGLImage& image() const = 0;
  virtual float adressU(std::int32_t column) const = 0;
  virtual float adressV(std::int32_t row) const = 0;
};

// A fixed number of vertices in memory, mirrored on the device while it is open. The set
// operations take the first destination vertex, a range of the source vector and the source;
// the get operations a range of vertices and an output vector. Everything is checked against
// the stream's size and the source's size.
class EGLStream : public EGLObject {
 public:
  virtual void setAdresses(std::int32_t first, EGLRange range, const std::vector<EGLVector>& adresses) = 0;
  virtual void setColors(std::int32_t first, EGLRange range, const std::vector<EGLColor>& colors) = 0;
  virtual void setIndices(std::int32_t first, EGLRange range, const std::vector<std::int32_t>& indices) = 0;
  virtual void setPositions(std::int32_t first, EGLRange range, const std::vector<EGLVector>& positions) = 0;
  virtual void adresses(EGLRange range, std::vector<EGLVector>& out) const = 0;
  virtual void colors(EGLRange range, std::vector<EGLColor>& out) const = 0;
  virtual std::int32_t indexCount() const = 0;
  virtual void indices(EGLRange range, std::vector<std::int32_t>& out) const = 0;
  virtual bool isIndexed() const = 0;
  virtual void positions(EGLRange range, std::vector<EGLVector>& out) const = 0;
  // Draws the range (of vertices, or of indices for an indexed stream) with the current
  // interpretation.
  virtual void draw(EGLRange range) = 0;
  virtual std::int32_t vertexCount() const = 0;
  virtual std::int32_t format() const = 0;
};

// A 2D transform; each setter replaces the whole matrix. Switching it on pushes it on the EGL's
// transform stack, switching it off pops it.
class EGLTransform : public EGLObject {
 public:
  virtual void setIdentity() = 0;
  virtual void setRotation(float angle) = 0;
  virtual void setScaling(EGLVector scaling) = 0;
  virtual void setTranslation(EGLVector translation) = 0;
  virtual const EGLMatrix& matrix() const = 0;
};

// An orthographic view of the world rectangle left..right by bottom..top onto the picture.
class EGLSpace : public EGLObject {
 public:
  virtual void setBounds(float left, float right, float bottom, float top) = 0;
  // Picture point back to world point; not available (Error "Not implemented.").
  virtual EGLVector unproject(EGLVector picturePoint) const = 0;
  virtual float right() const = 0;
  virtual float left() const = 0;
  virtual float top() const = 0;
  virtual float bottom() const = 0;
  virtual const EGLMatrix& projection() const = 0;
};

// The parts of the running scene that are current on the device.
struct EGLCurrentParts {
  EGLStream* stream = nullptr;
  EGLInterpretation* interpretation = nullptr;
  EGLShading* shading = nullptr;
  EGLBlender* blender = nullptr;
  EGLTexture* texture = nullptr;
};

// What one draw call draws: a range of a stream with an interpretation, shading, blender and
// texture.
class EGLModel : public EGLObject {
 public:
  // Switches on the parts that differ from the current ones and records them as current.
  virtual void activate(const EGLKey* switchKey, EGLCurrentParts& current) = 0;
  virtual void setBlender(EGLBlender* blender) = 0;
  virtual void setInterpretation(EGLInterpretation* interpretation) = 0;
  virtual void setRange(EGLRange range) = 0;
  virtual void setShading(EGLShading* shading) = 0;
  virtual void setStream(EGLStream* stream) = 0;
  virtual void setTexture(EGLTexture* texture) = 0;
  virtual EGLBlender* blender() const = 0;
  virtual void draw() = 0;
  virtual EGLInterpretation* interpretation() const = 0;
  virtual EGLRange range() const = 0;
  virtual EGLShading* shading() const = 0;
  virtual EGLStream* stream() const = 0;
  virtual EGLTexture* texture() const = 0;
};

// The graphics device of a window. The usual frame: beginScene(space); clear where wanted; for
// each thing drawn pushTransform ..., draw(model) ..., popTransform ...; endScene(); and once
// per frame, from the main loop, present().
class EGL {
 public:
  enum State : std::int32_t { CLOSED = 1, OPEN = 2, PAUSED = 3, DOWN = 4, DRAWING = 5 };

  virtual ~EGL() = default;

  virtual void beginChange(EGLModel* model) = 0;
  virtual void beginChange(EGLSpace* space) = 0;
  virtual void beginChange(EGLTransform* transform) = 0;
  virtual void beginChange(EGLTexture* texture) = 0;
  virtual void beginChange(EGLStream* stream) = 0;
  virtual void beginScene(EGLSpace* space) = 0;
  // Clears the whole picture to the colour.
  virtual void clear(EGLColor color) = 0;
  virtual void closeModel(EGLModel* model) = 0;
  virtual void closeSpace(EGLSpace* space) = 0;
  virtual void closeTransform(EGLTransform* transform) = 0;
  virtual void closeTexture(EGLTexture* texture) = 0;
  virtual void closeStream(EGLStream* stream) = 0;
  // Releases the device; the descriptions obtained so far become invalid and a new list is made.
  virtual void close() = 0;
  virtual void draw(EGLModel* model) = 0;
  virtual void endChange(EGLModel* model) = 0;
  virtual void endChange(EGLSpace* space) = 0;
  virtual void endChange(EGLTransform* transform) = 0;
  // When the outermost change ends and the device is not closed, the texture is uploaded.
  virtual void endChange(EGLTexture* texture) = 0;
  virtual void endChange(EGLStream* stream) = 0;
  virtual void endScene() = 0;
  // Opens the device on one of the current descriptions and uploads every stream and texture.
  virtual void open(EGLDevice* device) = 0;
  // A plain stream if indexCount <= 0, an indexed one otherwise.
  virtual EGLStream* openStream(std::int32_t format, std::int32_t vertexCount, std::int32_t indexCount) = 0;
  virtual EGLTexture* openTexture(const EGLImage& image) = 0;
  virtual EGLTransform* openTransform() = 0;
  virtual EGLSpace* openSpace(float left, float right, float bottom, float top) = 0;
  virtual EGLModel* openModel(EGLStream* stream, EGLRange range, EGLInterpretation* interpretation,
                              EGLShading* shading, EGLBlender* blender, EGLTexture* texture) = 0;
  virtual void popTransform() = 0;
  virtual void pushTransform(EGLTransform* transform) = 0;
  // Shows the frame and holds the caller to the description's refresh rate. The result is the
  // back end's and need not be checked.
  virtual std::int32_t present() = 0;
  virtual EGLBlender* blender(std::int32_t kind) = 0;
  virtual EGLDevice* device() = 0;
  virtual EGLDevice* device(std::int32_t index) = 0;
  virtual std::int32_t deviceCount() = 0;
  virtual EGLInterpretation* interpretation(std::int32_t kind) = 0;
  virtual EGLTexture* nullTexture() = 0;
  virtual std::vector<EGLStream*> streams() = 0;
  virtual std::vector<EGLTexture*> textures() = 0;
  virtual std::vector<EGLTransform*> transforms() = 0;
  virtual std::vector<EGLSpace*> spaces() = 0;
  virtual std::vector<EGLModel*> models() = 0;
  virtual EGLShading* shading(std::int32_t kind) = 0;
  // Asks the device whether it can draw (only when OPEN, PAUSED or DOWN) and returns the state.
  virtual std::int32_t state() = 0;

  virtual bool invariant() const = 0;
};

// Transform shortcuts: a transform made (or changed) and set in one call.
EGLTransform* openRotation(EGL* egl, float angle);
EGLTransform* openScaling(EGL* egl, EGLVector scaling);
EGLTransform* openTranslation(EGL* egl, EGLVector translation);
void changeRotation(EGL* egl, EGLTransform* transform, float angle);
void changeScaling(EGL* egl, EGLTransform* transform, EGLVector scaling);
void changeTranslation(EGL* egl, EGLTransform* transform, EGLVector translation);
