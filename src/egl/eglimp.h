// The EGL's logic and its objects, shared by every back end.
//
// The predicates d3DDeviceIsOpen, d3D8TextureIsOpen and d3D8IndexBufferIsOpen keep the names the
// game's failure reports have always used for "the device copy exists", whatever the back end.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "egl/egl.h"
#include "eglbackend.h"

class EGLCore;

// The EGL's own interpretations, shadings and blenders: each is a kind, and switching it on sets
// the matching device state.
template <typename Part>
class EGLKindImp final : public Part {
 public:
  EGLKindImp(EGLCore& core, std::int32_t kind) : mCore(core), mKind(kind) {}
  std::int32_t kind() const override { return mKind; }
  void switchOn(const EGLKey* switchKey) override;

 private:
  EGLCore& mCore;
  std::int32_t mKind;
};

using EGLInterpretationImp = EGLKindImp<EGLInterpretation>;
using EGLShadingImp = EGLKindImp<EGLShading>;
using EGLBlenderImp = EGLKindImp<EGLBlender>;
template <>
void EGLInterpretationImp::switchOn(const EGLKey* switchKey);
template <>
void EGLShadingImp::switchOn(const EGLKey* switchKey);
template <>
void EGLBlenderImp::switchOn(const EGLKey* switchKey);

// The back-buffer layouts a description can ask for.
enum class EGLBackBufferFormat { X8R8G8B8, A8R8G8B8 };

class EGLDeviceImp final : public EGLDevice {
 public:
  EGLDeviceImp(EGLCore& core, std::int32_t adapter, std::string adapterName, EGLDisplayMode mode,
               EGLBackBufferFormat backBufferFormat, bool windowed);
  std::int32_t format() const override;
  std::int32_t height() const override { return mMode.height; }
  bool isDefaultAdapter() const override { return 0 == mAdapter; }
  void retire() { invalidate(); }
  std::string name() const override { return mAdapterName; }
  std::int32_t rate() const override { return mMode.rate; }
  std::int32_t target() const override;
  std::int32_t type() const override;
  std::int32_t width() const override { return mMode.width; }
  // Creates and releases the device.
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;

 private:
  EGLCore& mCore;
  std::int32_t mAdapter;
  std::string mAdapterName;
  EGLDisplayMode mMode;
  EGLBackBufferFormat mBackBufferFormat;
  bool mWindowed;
};

class EGLTextureImp final : public EGLTexture {
 public:
  EGLTextureImp(EGLCore& core, const EGLImage& image) : mCore(core), mImage(image) {}
  void setImage(const EGLImage& image) override;
  EGLVector adress(std::int32_t column, std::int32_t row) const override;
  const EGLImage& image() const override { return mImage; }
  float adressU(std::int32_t column) const override;
  float adressV(std::int32_t row) const override;

  void applyChange(const EGLKey* changeKey) override;
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;
  void openResource(const EGLKey* resourceKey) override;
  void closeResource(const EGLKey* resourceKey) override;
  bool invariant() const override { return isValid() && mImage.invariant(); }

  bool d3D8TextureIsOpen() const { return 0 != mDeviceTexture; }
  void checkDestroyable() const;

 private:
  void createDeviceTexture();

  EGLCore& mCore;
  EGLImage mImage;
  EGLHandle mDeviceTexture = 0;
  std::int32_t mDeviceWidth = 0;
  std::int32_t mDeviceHeight = 0;
};

// Nothing to upload and nothing to address; switching it on or off unbinds the texture, so
// models show their vertex colours unchanged.
class EGLNullTexture final : public EGLTexture {
 public:
  explicit EGLNullTexture(EGLCore& core) : mCore(core) {}
  void setImage(const EGLImage& image) override;
  EGLVector adress(std::int32_t column, std::int32_t row) const override;
  const EGLImage& image() const override;
  float adressU(std::int32_t column) const override;
  float adressV(std::int32_t row) const override;
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;

 private:
  EGLCore& mCore;
};

class EGLVertexStream final : public EGLStream {
 public:
  EGLVertexStream(EGLCore& core, std::int32_t format, std::int32_t vertexCount);
  void setAdresses(std::int32_t first, EGLRange range, const std::vector<EGLVector>& adresses) override;
  void setColors(std::int32_t first, EGLRange range, const std::vector<EGLColor>& colors) override;
  void setIndices(std::int32_t first, EGLRange range, const std::vector<std::int32_t>& indices) override;
  void setPositions(std::int32_t first, EGLRange range, const std::vector<EGLVector>& positions) override;
  void adresses(EGLRange range, std::vector<EGLVector>& out) const override;
  void colors(EGLRange range, std::vector<EGLColor>& out) const override;
  std::int32_t indexCount() const override { return 0; }
  void indices(EGLRange range, std::vector<std::int32_t>& out) const override;
  bool isIndexed() const override { return false; }
  void positions(EGLRange range, std::vector<EGLVector>& out) const override;
  void draw(EGLRange range) override;
  std::int32_t vertexCount() const override { return mVertexCount; }
  std::int32_t format() const override { return mFormat; }

  void applyChange(const EGLKey* changeKey) override;
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;
  void openResource(const EGLKey* resourceKey) override;
  void closeResource(const EGLKey* resourceKey) override;
  EGLVertexStream* clone() const override;

  bool vertexBufferIsOpen() const { return 0 != mVertexBuffer; }

 private:
  std::size_t wordsPerVertex() const;
  std::uint32_t& word(std::int32_t vertex, std::size_t offset);
  std::uint32_t word(std::int32_t vertex, std::size_t offset) const;
  void checkVertices(EGLRange vertices) const;

  EGLCore& mCore;
  std::int32_t mFormat;
  std::int32_t mVertexCount;
  std::vector<std::uint32_t> mWords;
  EGLHandle mVertexBuffer = 0;
};

// A plain stream of the same format inside, driven with this stream as its key, plus 16-bit
// indices into it.
class EGLIndexedStream final : public EGLStream, public EGLKey {
 public:
  EGLIndexedStream(EGLCore& core, std::int32_t format, std::int32_t vertexCount, std::int32_t indexCount);
  void setAdresses(std::int32_t first, EGLRange range, const std::vector<EGLVector>& adresses) override;
  void setColors(std::int32_t first, EGLRange range, const std::vector<EGLColor>& colors) override;
  void setIndices(std::int32_t first, EGLRange range, const std::vector<std::int32_t>& indices) override;
  void setPositions(std::int32_t first, EGLRange range, const std::vector<EGLVector>& positions) override;
  void adresses(EGLRange range, std::vector<EGLVector>& out) const override;
  void colors(EGLRange range, std::vector<EGLColor>& out) const override;
  std::int32_t indexCount() const override { return static_cast<std::int32_t>(mIndices.size()); }
  void indices(EGLRange range, std::vector<std::int32_t>& out) const override;
  bool isIndexed() const override { return true; }
  void positions(EGLRange range, std::vector<EGLVector>& out) const override;
  void draw(EGLRange range) override;
  std::int32_t vertexCount() const override { return mVertices->vertexCount(); }
  std::int32_t format() const override { return mVertices->format(); }

  void beginChange(const EGLKey* changeKey) override;
  void endChange(const EGLKey* changeKey) override;
  void applyChange(const EGLKey* changeKey) override;
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;
  void openResource(const EGLKey* resourceKey) override;
  void closeResource(const EGLKey* resourceKey) override;
  EGLObject* clone() const override;

  bool d3D8IndexBufferIsOpen() const { return 0 != mIndexBuffer; }
  void checkDestroyable() const;

 private:
  EGLCore& mCore;
  std::unique_ptr<EGLVertexStream> mVertices;
  std::vector<std::uint16_t> mIndices;
  EGLHandle mIndexBuffer = 0;
};

class EGLTransformImp final : public EGLTransform {
 public:
  explicit EGLTransformImp(EGLCore& core) : mCore(core), mMatrix(EGLMatrix::identity()) {}
  void setIdentity() override { mMatrix = EGLMatrix::identity(); }
  void setRotation(float angle) override { mMatrix = EGLMatrix::rotationZ(angle); }
  void setScaling(EGLVector scaling) override { mMatrix = EGLMatrix::scaling(scaling.x, scaling.y, 1.0f); }
  void setTranslation(EGLVector translation) override {
    mMatrix = EGLMatrix::translation(translation.x, translation.y, 0.0f);
  }
  const EGLMatrix& matrix() const override { return mMatrix; }
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;

 private:
  EGLCore& mCore;
  EGLMatrix mMatrix;
};

class EGLSpaceImp final : public EGLSpace {
 public:
  EGLSpaceImp(EGLCore& core, float left, float right, float bottom, float top);
  void setBounds(float left, float right, float bottom, float top) override;
  EGLVector unproject(EGLVector picturePoint) const override;
  float right() const override { return mRight; }
  float left() const override { return mLeft; }
  float top() const override { return mTop; }
  float bottom() const override { return mBottom; }
  const EGLMatrix& projection() const override { return mProjection; }
  void switchOn(const EGLKey* switchKey) override;

 private:
  EGLCore& mCore;
  float mLeft, mRight, mBottom, mTop;
  EGLMatrix mProjection;
};

class EGLModelImp final : public EGLModel {
 public:
  EGLModelImp(EGLStream* stream, EGLRange range, EGLInterpretation* interpretation, EGLShading* shading,
              EGLBlender* blender, EGLTexture* texture);
  ~EGLModelImp() override;
  void activate(const EGLKey* switchKey, EGLCurrentParts& current) override;
  void setBlender(EGLBlender* blender) override { replace(mBlender, blender); }
  void setInterpretation(EGLInterpretation* interpretation) override {
    replace(mInterpretation, interpretation);
  }
  void setRange(EGLRange range) override { mRange = range; }
  void setShading(EGLShading* shading) override { replace(mShading, shading); }
  void setStream(EGLStream* stream) override { replace(mStream, stream); }
  void setTexture(EGLTexture* texture) override { replace(mTexture, texture); }
  EGLBlender* blender() const override { return mBlender; }
  void draw() override;
  EGLInterpretation* interpretation() const override { return mInterpretation; }
  EGLRange range() const override { return mRange; }
  EGLShading* shading() const override { return mShading; }
  EGLStream* stream() const override { return mStream; }
  EGLTexture* texture() const override { return mTexture; }
  void switchOn(const EGLKey* switchKey) override;
  void switchOff(const EGLKey* switchKey) override;
  bool invariant() const override;

 private:
  template <typename Part>
  void replace(Part*& part, Part* replacement);

  EGLStream* mStream = nullptr;
  EGLRange mRange;
  EGLInterpretation* mInterpretation = nullptr;
  EGLShading* mShading = nullptr;
  EGLBlender* mBlender = nullptr;
  EGLTexture* mTexture = nullptr;
};

class EGLCore final : public EGL {
 public:
  EGLCore(std::unique_ptr<EGLBackEnd> backEnd, void* windowHandle);
  ~EGLCore() override;

  void beginChange(EGLModel* model) override;
  void beginChange(EGLSpace* space) override;
  void beginChange(EGLTransform* transform) override;
  void beginChange(EGLTexture* texture) override;
  void beginChange(EGLStream* stream) override;
  void beginScene(EGLSpace* space) override;
  void clear(EGLColor color) override;
  void closeModel(EGLModel* model) override;
  void closeSpace(EGLSpace* space) override;
  void closeTransform(EGLTransform* transform) override;
  void closeTexture(EGLTexture* texture) override;
  void closeStream(EGLStream* stream) override;
  void close() override;
  void draw(EGLModel* model) override;
  void endChange(EGLModel* model) override;
  void endChange(EGLSpace* space) override;
  void endChange(EGLTransform* transform) override;
  void endChange(EGLTexture* texture) override;
  void endChange(EGLStream* stream) override;
  void endScene() override;
  void open(EGLDevice* device) override;
  EGLStream* openStream(std::int32_t format, std::int32_t vertexCount, std::int32_t indexCount) override;
  EGLTexture* openTexture(const EGLImage& image) override;
  EGLTransform* openTransform() override;
  EGLSpace* openSpace(float left, float right, float bottom, float top) override;
  EGLModel* openModel(EGLStream* stream, EGLRange range, EGLInterpretation* interpretation,
                      EGLShading* shading, EGLBlender* blender, EGLTexture* texture) override;
  void popTransform() override;
  void pushTransform(EGLTransform* transform) override;
  std::int32_t present() override;
  EGLBlender* blender(std::int32_t kind) override;
  EGLDevice* device() override { return mDevice; }
  EGLDevice* device(std::int32_t index) override;
  std::int32_t deviceCount() override { return static_cast<std::int32_t>(mOpenDevices.size()); }
  EGLInterpretation* interpretation(std::int32_t kind) override;
  EGLTexture* nullTexture() override { return mNullTexture.get(); }
  std::vector<EGLStream*> streams() override { return mOpenStreams; }
  std::vector<EGLTexture*> textures() override { return mOpenTextures; }
  std::vector<EGLTransform*> transforms() override { return mOpenTransforms; }
  std::vector<EGLSpace*> spaces() override { return mOpenSpaces; }
  std::vector<EGLModel*> models() override { return mOpenModels; }
  EGLShading* shading(std::int32_t kind) override;
  std::int32_t state() override;
  bool invariant() const override;
  // Destruction is only for a closed EGL.
  void checkDestroyable() const;

  // For the objects.
  EGLBackEnd& backEnd() { return *mBackEnd; }
  bool d3DDeviceIsOpen() const { return mDeviceIsOpen; }
  void openDeviceOnBackEnd(const EGLDeviceSettings& settings);
  void closeDeviceOnBackEnd();
  void pushMatrix(const EGLMatrix& matrix);
  void popMatrix();
  const EGLMatrix& matrixStackTop() const { return mMatrixStack.back(); }
  std::size_t matrixStackDepth() const { return mMatrixStack.size(); }
  void setProjection(const EGLMatrix& projection);
  void setPrimitiveType(std::int32_t primitiveType) { mPrimitiveType = primitiveType; }
  std::int32_t primitiveType() const { return mPrimitiveType; }
  // Sends a draw call with the view transform set to the stack top.
  void drawOnBackEnd(bool indexed, std::int32_t first, std::int32_t vertexCount, std::int32_t count);

 private:
  bool isOpen(const EGLDevice* device) const;
  void enumerateDevices();
  void destroyDevices();
  template <typename Object>
  void adopt(Object* object, std::vector<Object*>& list);
  template <typename Object>
  void forget(Object* object, std::vector<Object*>& list);

  // Back end.
  std::unique_ptr<EGLBackEnd> mBackEnd;
  std::vector<EGLMatrix> mMatrixStack;
  std::int32_t mPrimitiveType = 0;
  void* mWindowHandle;
  bool mDeviceIsOpen = false;
  EGLMatrix mProjection;

  EGLKey mChangeKey;
  EGLKey mResourceKey;
  EGLKey mSwitchKey;

  std::array<std::unique_ptr<EGLInterpretationImp>, 6> mInterpretations;
  std::array<std::unique_ptr<EGLShadingImp>, 2> mShadings;
  std::array<std::unique_ptr<EGLBlenderImp>, 3> mBlenders;
  std::unique_ptr<EGLNullTexture> mNullTexture;

  std::vector<EGLStream*> mOpenStreams;
  std::vector<EGLTexture*> mOpenTextures;
  std::vector<std::unique_ptr<EGLDeviceImp>> mOpenDevices;
  // Descriptions from before the last close stay allocated (and invalid) until the EGL goes, so
  // a stale one can never share its address with a current one and slip past isOpen(device).
  std::vector<std::unique_ptr<EGLDeviceImp>> mRetiredDevices;
  std::vector<EGLTransform*> mOpenTransforms;
  std::vector<EGLSpace*> mOpenSpaces;
  std::vector<EGLModel*> mOpenModels;

  EGLDevice* mDevice = nullptr;
  EGLCurrentParts mCurrent;
  std::int32_t mSceneDepth = 0;
  std::int32_t mState = CLOSED;
};

// Back ends, made by openEGL.
std::unique_ptr<EGLBackEnd> makeOpenGLBackEnd(void* windowHandle);
std::unique_ptr<EGLBackEnd> makeHeadlessBackEnd();
