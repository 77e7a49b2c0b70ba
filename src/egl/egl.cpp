#include "egl/egl.h"

#include <algorithm>
#include <cstring>

#include "dbg/dbg.h"
#include "eglimp.h"

DBG_SOURCE("egl");

namespace {

// Ranges are compared in 64 bits so that first + count cannot overflow on the way.
bool rangeWithin(EGLRange range, std::size_t size) {
  return (0 <= range.first) && (0 <= range.count) &&
         (static_cast<std::int64_t>(range.first) + range.count <= static_cast<std::int64_t>(size));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Object facets

EGLObject::~EGLObject() {
  mChangeDepth = -1;
}

void EGLObject::beginChange(const EGLKey*) {
  ++mChangeDepth;
}

// An unbalanced end would leave the object invalid, so it is refused.
void EGLObject::endChange(const EGLKey*) {
  DBG_ASSERT(isChanging());
  --mChangeDepth;
}

void EGLObject::applyChange(const EGLKey*) {}
void EGLObject::switchOn(const EGLKey*) {}
void EGLObject::switchOff(const EGLKey*) {}
void EGLObject::openResource(const EGLKey*) {}
void EGLObject::closeResource(const EGLKey*) {}
EGLObject* EGLObject::clone() const {
  DBG_ERROR("Cloneing not implemented.");
}

void EGLObject::setKeys(const EGLKey* changeKey, const EGLKey* resourceKey, const EGLKey* switchKey) {
  mChangeKey = changeKey;
  mResourceKey = resourceKey;
  mSwitchKey = switchKey;
}

void EGLObject::addHolder(const void* holder) {
  mHolders.insert(holder);
}

void EGLObject::removeHolder(const void* holder) {
  auto found = mHolders.find(holder);
  if (found != mHolders.end()) mHolders.erase(found);
}

bool isValidTextureSize(std::int32_t width, std::int32_t height) {
  return (width == height) && (1 <= width) && (0 == (width & (width - 1)));
}

// A primitive type needs so many vertices; fewer make no primitive at all rather than a negative
// count.
std::int32_t primitiveCount(std::int32_t primitiveType, std::int32_t n) {
  switch (primitiveType) {
    case POINT_LIST:
      return std::max(0, n);
    case LINE_LIST:
      return std::max(0, n / 2);
    case LINE_STRIP:
      return std::max(0, n - 1);
    case TRIANGLE_LIST:
      return std::max(0, n / 3);
    case TRIANGLE_STRIP:
    case TRIANGLE_FAN:
      return std::max(0, n - 2);
    default:
      DBG_ERROR("Unknown D3D primitive type.");
  }
}

// ---------------------------------------------------------------------------------------------
// Interpretations, shadings, blenders

template <>
void EGLInterpretationImp::switchOn(const EGLKey*) {
  if ((mKind < POINT_LIST) || (TRIANGLE_FAN < mKind)) DBG_ERROR("Unknown primitive type.");
  mCore.setPrimitiveType(mKind);
}

template <>
void EGLShadingImp::switchOn(const EGLKey*) {
  switch (mKind) {
    case FLAT_SHADING:
    case GOURAUD_SHADING:
      mCore.backEnd().setShadeMode(mKind);
      break;
    default:
      DBG_ERROR("Unknoen shade mode.");
  }
}

template <>
void EGLBlenderImp::switchOn(const EGLKey*) {
  switch (mKind) {
    case OPAQUE_BLENDING:
      mCore.backEnd().setBlending(false, EGLBlendFactor::ONE, EGLBlendFactor::ZERO);
      break;
    case ALPHA_BLENDING:
      mCore.backEnd().setBlending(true, EGLBlendFactor::SRC_ALPHA, EGLBlendFactor::INV_SRC_ALPHA);
      break;
    case ADDITIVE_BLENDING:
      mCore.backEnd().setBlending(true, EGLBlendFactor::SRC_ALPHA, EGLBlendFactor::ONE);
      break;
    default:
      DBG_ERROR("Unknown blending method.");
  }
}

// ---------------------------------------------------------------------------------------------
// Device descriptions

EGLDeviceImp::EGLDeviceImp(EGLCore& core, std::int32_t adapter, std::string adapterName, EGLDisplayMode mode,
                           EGLBackBufferFormat backBufferFormat, bool windowed)
    : mCore(core),
      mAdapter(adapter),
      mAdapterName(std::move(adapterName)),
      mMode(mode),
      mBackBufferFormat(backBufferFormat),
      mWindowed(windowed) {}

std::int32_t EGLDeviceImp::format() const {
  switch (mBackBufferFormat) {
    case EGLBackBufferFormat::X8R8G8B8:
      return RGB_FORMAT;
    case EGLBackBufferFormat::A8R8G8B8:
      return ARGB_FORMAT;
  }
  DBG_ERROR("Unknown backbuffer format.");
}

std::int32_t EGLDeviceImp::target() const {
  return mWindowed ? WINDOW_TARGET : SCREEN_TARGET;
}

// Every back end draws with the hardware it has; there is no reference rasteriser to offer.
std::int32_t EGLDeviceImp::type() const {
  return HARDWARE_DEVICE;
}

void EGLDeviceImp::switchOn(const EGLKey* switchKey) {
  DBG_ASSERT(invariant());
  DBG_ASSERT(!isChanging());
  DBG_ASSERT(isSwitchKey(switchKey));
  EGLDeviceSettings settings;
  settings.adapter = mAdapter;
  settings.width = mMode.width;
  settings.height = mMode.height;
  settings.rate = mMode.rate;
  settings.windowed = mWindowed;
  settings.format = format();
  mCore.openDeviceOnBackEnd(settings);
}

void EGLDeviceImp::switchOff(const EGLKey* switchKey) {
  DBG_ASSERT(invariant());
  DBG_ASSERT(!isChanging());
  DBG_ASSERT(isSwitchKey(switchKey));
  mCore.closeDeviceOnBackEnd();
}

// ---------------------------------------------------------------------------------------------
// Textures

void EGLTextureImp::setImage(const EGLImage& image) {
  DBG_ASSERT(isChanging());
  mImage = image;
}

EGLVector EGLTextureImp::adress(std::int32_t column, std::int32_t row) const {
  return EGLVector{adressU(column), adressV(row)};
}

float EGLTextureImp::adressU(std::int32_t column) const {
  return static_cast<float>((column + 0.5) / mImage.columnCount());
}

float EGLTextureImp::adressV(std::int32_t row) const {
  return static_cast<float>((row + 0.5) / mImage.rowCount());
}

void EGLTextureImp::openResource(const EGLKey* resourceKey) {
  DBG_ASSERT(invariant());
  DBG_ASSERT(!d3D8TextureIsOpen());
  DBG_ASSERT(!isChanging());
  DBG_ASSERT(isResourceKey(resourceKey));
  createDeviceTexture();
}

void EGLTextureImp::createDeviceTexture() {
  const std::int32_t width = mImage.columnCount();
  const std::int32_t height = mImage.rowCount();
  DBG_ASSERT("Valid texture size." && isValidTextureSize(width, height));
  DBG_ASSERT("Square texture." && (width == height));
  mDeviceTexture = mCore.backEnd().createTexture(width, height);
  mDeviceWidth = width;
  mDeviceHeight = height;
}

void EGLTextureImp::applyChange(const EGLKey*) {
  DBG_ASSERT(d3D8TextureIsOpen());
  DBG_ASSERT(!isChanging());
  // A new image of another size needs a device texture of that size: writing it into the old
  // one would run past its texels.
  if ((mImage.columnCount() != mDeviceWidth) || (mImage.rowCount() != mDeviceHeight)) {
    mCore.backEnd().releaseTexture(mDeviceTexture);
    mDeviceTexture = 0;
    createDeviceTexture();
  }
  const std::vector<EGLColor>& texels = mImage.texels();
  std::vector<std::uint8_t> bytes(texels.size() * 4);
  for (std::size_t i = 0; i < texels.size(); ++i) {
    bytes[4 * i + 0] = static_cast<std::uint8_t>(texels[i].blue());
    bytes[4 * i + 1] = static_cast<std::uint8_t>(texels[i].green());
    bytes[4 * i + 2] = static_cast<std::uint8_t>(texels[i].red());
    bytes[4 * i + 3] = static_cast<std::uint8_t>(texels[i].alpha());
  }
  mCore.backEnd().uploadTexture(mDeviceTexture, mDeviceWidth, mDeviceHeight, bytes.data());
}

void EGLTextureImp::closeResource(const EGLKey*) {
  DBG_ASSERT(!isChanging());
  if (d3D8TextureIsOpen()) mCore.backEnd().releaseTexture(mDeviceTexture);
  mDeviceTexture = 0;
  mDeviceWidth = 0;
  mDeviceHeight = 0;
}

void EGLTextureImp::switchOn(const EGLKey*) {
  mCore.backEnd().setTexture(mDeviceTexture);
}
void EGLTextureImp::switchOff(const EGLKey*) {
  mCore.backEnd().setTexture(0);
}

void EGLTextureImp::checkDestroyable() const {
  DBG_ASSERT(invariant());
  DBG_ASSERT(!d3D8TextureIsOpen());
  DBG_ASSERT(!isChanging());
}

void EGLNullTexture::setImage(const EGLImage&) {
  DBG_ERROR("Null texture has no image.");
}
const EGLImage& EGLNullTexture::image() const {
  DBG_ERROR("Null texture has no image.");
}
EGLVector EGLNullTexture::adress(std::int32_t, std::int32_t) const {
  DBG_ERROR("Null texture can not be adressed.");
}
float EGLNullTexture::adressU(std::int32_t) const {
  DBG_ERROR("Null texture can not be adressed.");
}
float EGLNullTexture::adressV(std::int32_t) const {
  DBG_ERROR("Null texture can not be adressed.");
}
void EGLNullTexture::switchOn(const EGLKey*) {
  mCore.backEnd().setTexture(0);
}
void EGLNullTexture::switchOff(const EGLKey*) {
  mCore.backEnd().setTexture(0);
}

// ---------------------------------------------------------------------------------------------
// Plain streams. Each vertex is a run of 32-bit words in the device layout: x, y, z, colour and,
// for textured vertices, u, v.

namespace {
constexpr std::size_t X_WORD = 0;
constexpr std::size_t Y_WORD = 1;
constexpr std::size_t COLOR_WORD = 3;
constexpr std::size_t U_WORD = 4;
constexpr std::size_t V_WORD = 5;

std::uint32_t floatWord(float value) {
  std::uint32_t word;
  std::memcpy(&word, &value, sizeof word);
  return word;
}

float wordFloat(std::uint32_t word) {
  float value;
  std::memcpy(&value, &word, sizeof value);
  return value;
}
}  // namespace

EGLVertexStream::EGLVertexStream(EGLCore& core, std::int32_t format, std::int32_t vertexCount)
    : mCore(core), mFormat(format), mVertexCount(vertexCount) {
  mWords.assign(static_cast<std::size_t>(vertexCount) * wordsPerVertex(), 0u);
}

std::size_t EGLVertexStream::wordsPerVertex() const {
  return (TEXTURED_VERTICES == mFormat) ? 6 : 4;
}

std::uint32_t& EGLVertexStream::word(std::int32_t vertex, std::size_t offset) {
  return mWords[static_cast<std::size_t>(vertex) * wordsPerVertex() + offset];
}

std::uint32_t EGLVertexStream::word(std::int32_t vertex, std::size_t offset) const {
  return mWords[static_cast<std::size_t>(vertex) * wordsPerVertex() + offset];
}

void EGLVertexStream::checkVertices(EGLRange vertices) const {
  DBG_ASSERT("Vertices within the stream." && rangeWithin(vertices, static_cast<std::size_t>(mVertexCount)));
}

void EGLVertexStream::setAdresses(std::int32_t first, EGLRange range,
                                  const std::vector<EGLVector>& adresses) {
  if (COLORED_VERTICES == mFormat) DBG_ERROR("Vertex format has no adresses.");
  DBG_ASSERT("Source range within the source." && rangeWithin(range, adresses.size()));
  checkVertices(EGLRange{first, range.count});
  for (std::int32_t k = 0; k < range.count; ++k) {
    word(first + k, U_WORD) = floatWord(adresses[static_cast<std::size_t>(range.first + k)].x);
    word(first + k, V_WORD) = floatWord(adresses[static_cast<std::size_t>(range.first + k)].y);
  }
}

void EGLVertexStream::setColors(std::int32_t first, EGLRange range, const std::vector<EGLColor>& colors) {
  DBG_ASSERT("Source range within the source." && rangeWithin(range, colors.size()));
  checkVertices(EGLRange{first, range.count});
  for (std::int32_t k = 0; k < range.count; ++k) {
    word(first + k, COLOR_WORD) = colors[static_cast<std::size_t>(range.first + k)].value();
  }
}

void EGLVertexStream::setIndices(std::int32_t, EGLRange, const std::vector<std::int32_t>&) {
  DBG_ERROR("Vertex format has no indices.");
}

void EGLVertexStream::setPositions(std::int32_t first, EGLRange range,
                                   const std::vector<EGLVector>& positions) {
  DBG_ASSERT("Source range within the source." && rangeWithin(range, positions.size()));
  checkVertices(EGLRange{first, range.count});
  for (std::int32_t k = 0; k < range.count; ++k) {
    word(first + k, X_WORD) = floatWord(positions[static_cast<std::size_t>(range.first + k)].x);
    word(first + k, Y_WORD) = floatWord(positions[static_cast<std::size_t>(range.first + k)].y);
  }
}

void EGLVertexStream::adresses(EGLRange range, std::vector<EGLVector>& out) const {
  if (COLORED_VERTICES == mFormat) DBG_ERROR("Vertex format has no adresses.");
  checkVertices(range);
  out.resize(static_cast<std::size_t>(range.count));
  for (std::int32_t k = 0; k < range.count; ++k) {
    out[static_cast<std::size_t>(k)] =
        EGLVector{wordFloat(word(range.first + k, U_WORD)), wordFloat(word(range.first + k, V_WORD))};
  }
}

void EGLVertexStream::colors(EGLRange range, std::vector<EGLColor>& out) const {
  checkVertices(range);
  out.resize(static_cast<std::size_t>(range.count));
  for (std::int32_t k = 0; k < range.count; ++k) {
    out[static_cast<std::size_t>(k)] = EGLColor(word(range.first + k, COLOR_WORD));
  }
}

void EGLVertexStream::indices(EGLRange, std::vector<std::int32_t>&) const {
  DBG_ERROR("Vertex format has no indices.");
}

void EGLVertexStream::positions(EGLRange range, std::vector<EGLVector>& out) const {
  checkVertices(range);
  out.resize(static_cast<std::size_t>(range.count));
  for (std::int32_t k = 0; k < range.count; ++k) {
    out[static_cast<std::size_t>(k)] =
        EGLVector{wordFloat(word(range.first + k, X_WORD)), wordFloat(word(range.first + k, Y_WORD))};
  }
}

void EGLVertexStream::draw(EGLRange range) {
  checkVertices(range);
  mCore.drawOnBackEnd(false, range.first, range.count, primitiveCount(mCore.primitiveType(), range.count));
}

void EGLVertexStream::applyChange(const EGLKey*) {
  if (vertexBufferIsOpen()) {
    mCore.backEnd().uploadVertexBuffer(mVertexBuffer, mWords.data(), mWords.size() * sizeof(std::uint32_t));
  }
}

void EGLVertexStream::switchOn(const EGLKey*) {
  mCore.backEnd().setStreamSource(mVertexBuffer, mFormat);
}

void EGLVertexStream::switchOff(const EGLKey*) {
  mCore.backEnd().setStreamSource(0, 0);
  mCore.backEnd().setIndices(0);
}

void EGLVertexStream::openResource(const EGLKey*) {
  DBG_ASSERT(!vertexBufferIsOpen());
  mVertexBuffer = mCore.backEnd().createVertexBuffer(mWords.size() * sizeof(std::uint32_t));
}

void EGLVertexStream::closeResource(const EGLKey*) {
  if (vertexBufferIsOpen()) mCore.backEnd().releaseVertexBuffer(mVertexBuffer);
  mVertexBuffer = 0;
}

// The copy has the same format and size, and all its vertices are 0: only the shape is cloned.
EGLVertexStream* EGLVertexStream::clone() const {
  return new EGLVertexStream(mCore, mFormat, mVertexCount);
}

// ---------------------------------------------------------------------------------------------
// Indexed streams

EGLIndexedStream::EGLIndexedStream(EGLCore& core, std::int32_t format, std::int32_t vertexCount,
                                   std::int32_t indexCount)
    : mCore(core), mIndices(static_cast<std::size_t>(indexCount), 0u) {
  const EGLVertexStream temporary(core, format, vertexCount);
  mVertices.reset(temporary.clone());
  mVertices->setKeys(this, this, this);
}

void EGLIndexedStream::setAdresses(std::int32_t first, EGLRange range,
                                   const std::vector<EGLVector>& adresses) {
  mVertices->setAdresses(first, range, adresses);
}

void EGLIndexedStream::setColors(std::int32_t first, EGLRange range, const std::vector<EGLColor>& colors) {
  mVertices->setColors(first, range, colors);
}

void EGLIndexedStream::setPositions(std::int32_t first, EGLRange range,
                                    const std::vector<EGLVector>& positions) {
  mVertices->setPositions(first, range, positions);
}

void EGLIndexedStream::adresses(EGLRange range, std::vector<EGLVector>& out) const {
  mVertices->adresses(range, out);
}

void EGLIndexedStream::colors(EGLRange range, std::vector<EGLColor>& out) const {
  mVertices->colors(range, out);
}

void EGLIndexedStream::positions(EGLRange range, std::vector<EGLVector>& out) const {
  mVertices->positions(range, out);
}

// An index must name a vertex of the stream (and fit the 16 bits it is kept in), or drawing
// would read beyond the vertex data.
void EGLIndexedStream::setIndices(std::int32_t first, EGLRange range,
                                  const std::vector<std::int32_t>& indices) {
  DBG_ASSERT("Source range within the source." && rangeWithin(range, indices.size()));
  DBG_ASSERT("Indices within the stream." && rangeWithin(EGLRange{first, range.count}, mIndices.size()));
  for (std::int32_t k = 0; k < range.count; ++k) {
    const std::int32_t index = indices[static_cast<std::size_t>(range.first + k)];
    DBG_ASSERT("Index names a vertex." && (0 <= index) && (index < vertexCount()) && (index <= 0xFFFF));
    mIndices[static_cast<std::size_t>(first + k)] = static_cast<std::uint16_t>(index);
  }
}

void EGLIndexedStream::indices(EGLRange range, std::vector<std::int32_t>& out) const {
  DBG_ASSERT("Indices within the stream." && rangeWithin(range, mIndices.size()));
  out.resize(static_cast<std::size_t>(range.count));
  for (std::int32_t k = 0; k < range.count; ++k) {
    out[static_cast<std::size_t>(k)] = mIndices[static_cast<std::size_t>(range.first + k)];
  }
}

void EGLIndexedStream::draw(EGLRange range) {
  DBG_ASSERT(!isChanging());
  DBG_ASSERT("Indices within the stream." && rangeWithin(range, mIndices.size()));
  // Indices start as 0, which names no vertex in a stream without vertices.
  for (std::int32_t k = 0; k < range.count; ++k) {
    DBG_ASSERT("Index names a vertex." &&
               (mIndices[static_cast<std::size_t>(range.first + k)] < vertexCount()));
  }
  mCore.drawOnBackEnd(true, range.first, vertexCount(), primitiveCount(mCore.primitiveType(), range.count));
}

void EGLIndexedStream::beginChange(const EGLKey* changeKey) {
  mVertices->beginChange(this);
  EGLStream::beginChange(changeKey);
}

void EGLIndexedStream::endChange(const EGLKey* changeKey) {
  mVertices->endChange(this);
  EGLStream::endChange(changeKey);
}

void EGLIndexedStream::applyChange(const EGLKey*) {
  mVertices->applyChange(this);
  if (d3D8IndexBufferIsOpen()) {
    mCore.backEnd().uploadIndexBuffer(mIndexBuffer, mIndices.data(), mIndices.size() * sizeof(std::uint16_t));
  }
}

void EGLIndexedStream::switchOn(const EGLKey*) {
  mVertices->switchOn(this);
  mCore.backEnd().setIndices(mIndexBuffer);
}

void EGLIndexedStream::switchOff(const EGLKey*) {
  mVertices->switchOff(this);
  mCore.backEnd().setStreamSource(0, 0);
  mCore.backEnd().setIndices(0);
}

void EGLIndexedStream::openResource(const EGLKey*) {
  DBG_ASSERT(!d3D8IndexBufferIsOpen());
  mVertices->openResource(this);
  mIndexBuffer = mCore.backEnd().createIndexBuffer(mIndices.size() * sizeof(std::uint16_t));
}

void EGLIndexedStream::closeResource(const EGLKey*) {
  mVertices->closeResource(this);
  if (d3D8IndexBufferIsOpen()) mCore.backEnd().releaseIndexBuffer(mIndexBuffer);
  mIndexBuffer = 0;
}

EGLObject* EGLIndexedStream::clone() const {
  DBG_ERROR("Index stream cloning not implemented.");
}

void EGLIndexedStream::checkDestroyable() const {
  DBG_ASSERT(!d3D8IndexBufferIsOpen());
  DBG_ASSERT(!isChanging());
}

// ---------------------------------------------------------------------------------------------
// Transforms, spaces, models

void EGLTransformImp::switchOn(const EGLKey*) {
  mCore.pushMatrix(mMatrix);
}
void EGLTransformImp::switchOff(const EGLKey*) {
  mCore.popMatrix();
}

EGLSpaceImp::EGLSpaceImp(EGLCore& core, float left, float right, float bottom, float top) : mCore(core) {
  setBounds(left, right, bottom, top);
}

void EGLSpaceImp::setBounds(float left, float right, float bottom, float top) {
  mLeft = left;
  mRight = right;
  mBottom = bottom;
  mTop = top;
  mProjection = EGLMatrix::orthoOffCenterLH(left, right, bottom, top, -1.0f, 1.0f);
}

EGLVector EGLSpaceImp::unproject(EGLVector) const {
  DBG_ERROR("Not implemented.");
}

void EGLSpaceImp::switchOn(const EGLKey*) {
  mCore.setProjection(mProjection);
}

EGLModelImp::EGLModelImp(EGLStream* stream, EGLRange range, EGLInterpretation* interpretation,
                         EGLShading* shading, EGLBlender* blender, EGLTexture* texture)
    : mRange(range) {
  replace(mStream, stream);
  replace(mInterpretation, interpretation);
  replace(mShading, shading);
  replace(mBlender, blender);
  replace(mTexture, texture);
}

EGLModelImp::~EGLModelImp() {
  replace(mStream, static_cast<EGLStream*>(nullptr));
  replace(mInterpretation, static_cast<EGLInterpretation*>(nullptr));
  replace(mShading, static_cast<EGLShading*>(nullptr));
  replace(mBlender, static_cast<EGLBlender*>(nullptr));
  replace(mTexture, static_cast<EGLTexture*>(nullptr));
}

template <typename Part>
void EGLModelImp::replace(Part*& part, Part* replacement) {
  if (part) part->removeHolder(this);
  part = replacement;
  if (part) part->addHolder(this);
}

bool EGLModelImp::invariant() const {
  return isValid() && mStream && mInterpretation && mShading && mBlender && mTexture;
}

void EGLModelImp::activate(const EGLKey* switchKey, EGLCurrentParts& current) {
  DBG_ASSERT(invariant());
  if (current.stream != mStream) {
    mStream->switchOn(switchKey);
    current.stream = mStream;
  }
  if (current.interpretation != mInterpretation) {
    mInterpretation->switchOn(switchKey);
    current.interpretation = mInterpretation;
  }
  if (current.shading != mShading) {
    mShading->switchOn(switchKey);
    current.shading = mShading;
  }
  if (current.blender != mBlender) {
    mBlender->switchOn(switchKey);
    current.blender = mBlender;
  }
  if (current.texture != mTexture) {
    mTexture->switchOn(switchKey);
    current.texture = mTexture;
  }
}

void EGLModelImp::draw() {
  DBG_ASSERT(invariant());
  mStream->draw(mRange);
}

void EGLModelImp::switchOn(const EGLKey* switchKey) {
  DBG_ASSERT(invariant());
  mStream->switchOn(switchKey);
  mInterpretation->switchOn(switchKey);
  mShading->switchOn(switchKey);
  mBlender->switchOn(switchKey);
  mTexture->switchOn(switchKey);
}

void EGLModelImp::switchOff(const EGLKey* switchKey) {
  DBG_ASSERT(invariant());
  mStream->switchOff(switchKey);
  mInterpretation->switchOff(switchKey);
  mShading->switchOff(switchKey);
  mBlender->switchOff(switchKey);
  mTexture->switchOff(switchKey);
}

// ---------------------------------------------------------------------------------------------
// The EGL

EGLCore::EGLCore(std::unique_ptr<EGLBackEnd> backEnd, void* windowHandle)
    : mBackEnd(std::move(backEnd)), mWindowHandle(windowHandle), mProjection(EGLMatrix::identity()) {
  mMatrixStack.push_back(EGLMatrix::identity());
  for (std::int32_t kind = POINT_LIST; kind <= TRIANGLE_FAN; ++kind) {
    auto& slot = mInterpretations[static_cast<std::size_t>(kind - 1)];
    slot = std::make_unique<EGLInterpretationImp>(*this, kind);
    slot->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
    slot->addHolder(this);
  }
  for (std::int32_t kind = FLAT_SHADING; kind <= GOURAUD_SHADING; ++kind) {
    auto& slot = mShadings[static_cast<std::size_t>(kind - 1)];
    slot = std::make_unique<EGLShadingImp>(*this, kind);
    slot->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
    slot->addHolder(this);
  }
  for (std::int32_t kind = OPAQUE_BLENDING; kind <= ADDITIVE_BLENDING; ++kind) {
    auto& slot = mBlenders[static_cast<std::size_t>(kind - 1)];
    slot = std::make_unique<EGLBlenderImp>(*this, kind);
    slot->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
    slot->addHolder(this);
  }
  mNullTexture = std::make_unique<EGLNullTexture>(*this);
  mNullTexture->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
  mNullTexture->addHolder(this);
  enumerateDevices();
  DBG_ASSERT(invariant());
}

// Objects their owners did not close cannot be reached any more once the EGL is gone (every
// operation on them goes through it), so they go with it rather than leak.
EGLCore::~EGLCore() {
  for (EGLModel* model : mOpenModels) delete model;
  for (EGLSpace* space : mOpenSpaces) delete space;
  for (EGLTransform* transform : mOpenTransforms) delete transform;
  for (EGLTexture* texture : mOpenTextures) delete texture;
  for (EGLStream* stream : mOpenStreams) delete stream;
  destroyDevices();
}

bool EGLCore::invariant() const {
  return (CLOSED <= mState) && (mState <= DRAWING) && (0 <= mSceneDepth);
}

void EGLCore::enumerateDevices() {
  const std::vector<EGLAdapter> adapters = mBackEnd->adapters();
  const std::size_t adapterCount = adapters.size();
  DBG_ASSERT(0 < adapterCount);
  auto add = [this](std::int32_t adapter, const std::string& name, EGLDisplayMode mode,
                    EGLBackBufferFormat format, bool windowed) {
    auto description = std::make_unique<EGLDeviceImp>(*this, adapter, name, mode, format, windowed);
    description->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
    description->addHolder(this);
    mOpenDevices.push_back(std::move(description));
  };
  for (std::size_t ordinal = 0; ordinal < adapterCount; ++ordinal) {
    const EGLAdapter& adapter = adapters[ordinal];
    const auto index = static_cast<std::int32_t>(ordinal);
    for (EGLBackBufferFormat format : {EGLBackBufferFormat::X8R8G8B8, EGLBackBufferFormat::A8R8G8B8}) {
      add(index, adapter.name, adapter.desktop, format, true);
    }
    for (const EGLDisplayMode& mode : adapter.modes) {
      for (EGLBackBufferFormat format : {EGLBackBufferFormat::X8R8G8B8, EGLBackBufferFormat::A8R8G8B8}) {
        add(index, adapter.name, mode, format, false);
      }
    }
  }
}

void EGLCore::destroyDevices() {
  for (auto& description : mOpenDevices) {
    description->removeHolder(this);
    description->retire();
    mRetiredDevices.push_back(std::move(description));
  }
  mOpenDevices.clear();
}

bool EGLCore::isOpen(const EGLDevice* device) const {
  return std::any_of(mOpenDevices.begin(), mOpenDevices.end(),
                     [device](const std::unique_ptr<EGLDeviceImp>& entry) { return entry.get() == device; });
}

void EGLCore::openDeviceOnBackEnd(const EGLDeviceSettings& settings) {
  DBG_ASSERT(!d3DDeviceIsOpen());
  mBackEnd->openDevice(settings);
  mDeviceIsOpen = true;
}

void EGLCore::closeDeviceOnBackEnd() {
  DBG_ASSERT(d3DDeviceIsOpen());
  mBackEnd->closeDevice();
  mDeviceIsOpen = false;
}

template <typename Object>
void EGLCore::adopt(Object* object, std::vector<Object*>& list) {
  object->addHolder(this);
  object->setKeys(&mChangeKey, &mResourceKey, &mSwitchKey);
  list.push_back(object);
}

// Closing something that is not open (twice, or another EGL's) would delete it twice.
template <typename Object>
void EGLCore::forget(Object* object, std::vector<Object*>& list) {
  auto objectIterator = std::find(list.begin(), list.end(), object);
  DBG_ASSERT("Object is open on this EGL." && (list.end() != objectIterator));
  list.erase(objectIterator);
  object->removeHolder(this);
}

void EGLCore::beginChange(EGLModel* model) {
  model->beginChange(&mChangeKey);
}
void EGLCore::beginChange(EGLSpace* space) {
  space->beginChange(&mChangeKey);
}
void EGLCore::beginChange(EGLTransform* transform) {
  transform->beginChange(&mChangeKey);
}
void EGLCore::beginChange(EGLTexture* texture) {
  texture->beginChange(&mChangeKey);
}
void EGLCore::beginChange(EGLStream* stream) {
  stream->beginChange(&mChangeKey);
}

void EGLCore::endChange(EGLModel* model) {
  model->endChange(&mChangeKey);
}
void EGLCore::endChange(EGLSpace* space) {
  space->endChange(&mChangeKey);
}
void EGLCore::endChange(EGLTransform* transform) {
  transform->endChange(&mChangeKey);
}

void EGLCore::endChange(EGLTexture* texture) {
  texture->endChange(&mChangeKey);
  if (!texture->isChanging() && (CLOSED != mState)) texture->applyChange(&mChangeKey);
}

void EGLCore::endChange(EGLStream* stream) {
  stream->endChange(&mChangeKey);
  if (!stream->isChanging() && (CLOSED != mState)) stream->applyChange(&mChangeKey);
}

// Scenes, clears, draws and presents need a device to go to; without one they are a fault of
// the caller, not something to crash on inside the back end.
void EGLCore::beginScene(EGLSpace* space) {
  DBG_ASSERT(d3DDeviceIsOpen());
  DBG_ASSERT(space);
  space->switchOn(&mSwitchKey);
  mBackEnd->beginScene();
  mState = DRAWING;
  ++mSceneDepth;
}

void EGLCore::endScene() {
  DBG_ASSERT(0 < mSceneDepth);
  mBackEnd->endScene();
  --mSceneDepth;
  if (0 == mSceneDepth) {
    mState = OPEN;
    if (mCurrent.stream) mCurrent.stream->switchOff(&mSwitchKey);
    if (mCurrent.texture) mCurrent.texture->switchOff(&mSwitchKey);
    mCurrent = EGLCurrentParts{};
  }
}

void EGLCore::clear(EGLColor color) {
  DBG_ASSERT(d3DDeviceIsOpen());
  mBackEnd->clear(color);
}

void EGLCore::draw(EGLModel* model) {
  DBG_ASSERT(DRAWING == mState);
  model->activate(&mSwitchKey, mCurrent);
  model->draw();
}

std::int32_t EGLCore::present() {
  DBG_ASSERT(d3DDeviceIsOpen());
  return mBackEnd->present();
}

void EGLCore::drawOnBackEnd(bool indexed, std::int32_t first, std::int32_t vertexCount, std::int32_t count) {
  DBG_ASSERT(d3DDeviceIsOpen());
  mBackEnd->setViewTransform(mMatrixStack.back());
  EGLDrawCall call;
  call.primitiveType = mPrimitiveType;
  call.indexed = indexed;
  call.first = first;
  call.vertexCount = vertexCount;
  call.primitiveCount = count;
  call.parts = mCurrent;
  call.view = mMatrixStack.back();
  call.projection = mProjection;
  mBackEnd->draw(call);
}

void EGLCore::open(EGLDevice* device) {
  DBG_ASSERT(invariant());
  DBG_ASSERT(CLOSED == mState);
  DBG_ASSERT(isOpen(device));
  device->switchOn(&mSwitchKey);
  mBackEnd->setViewTransform(EGLMatrix::identity());
  mBackEnd->setDefaultStates();
  for (EGLStream* stream : mOpenStreams) {
    DBG_ASSERT(stream);
    stream->openResource(&mResourceKey);
    stream->applyChange(&mChangeKey);
  }
  for (EGLTexture* texture : mOpenTextures) {
    DBG_ASSERT(texture);
    texture->openResource(&mResourceKey);
    texture->applyChange(&mChangeKey);
  }
  mState = OPEN;
  mDevice = device;
  DBG_ASSERT(invariant());
}

void EGLCore::close() {
  DBG_ASSERT(invariant());
  DBG_ASSERT((OPEN == mState) || (PAUSED == mState) || (DOWN == mState));
  for (EGLStream* stream : mOpenStreams) stream->closeResource(&mResourceKey);
  for (EGLTexture* texture : mOpenTextures) texture->closeResource(&mResourceKey);
  if (mDevice) mDevice->switchOff(&mSwitchKey);
  destroyDevices();
  enumerateDevices();
  mDevice = nullptr;
  mState = CLOSED;
  DBG_ASSERT(invariant());
}

std::int32_t EGLCore::state() {
  if ((OPEN == mState) || (PAUSED == mState) || (DOWN == mState)) {
    switch (mBackEnd->testCooperativeLevel()) {
      case EGLDeviceCondition::LOST:
        mState = PAUSED;
        break;
      case EGLDeviceCondition::NOT_RESET:
        mState = DOWN;
        break;
      case EGLDeviceCondition::USABLE:
        mState = OPEN;
        break;
    }
  }
  return mState;
}

EGLStream* EGLCore::openStream(std::int32_t format, std::int32_t vertexCount, std::int32_t indexCount) {
  DBG_ASSERT("Valid vertex count." && (0 <= vertexCount));
  if ((COLORED_VERTICES != format) && (TEXTURED_VERTICES != format)) DBG_ERROR("Unknown vertex format");
  EGLStream* stream = nullptr;
  if (indexCount <= 0) {
    stream = new EGLVertexStream(*this, format, vertexCount);
  } else {
    stream = new EGLIndexedStream(*this, format, vertexCount, indexCount);
  }
  DBG_ASSERT(stream);
  adopt(stream, mOpenStreams);
  if (CLOSED != mState) {
    stream->openResource(&mResourceKey);
    stream->applyChange(&mChangeKey);
  }
  return stream;
}

EGLTexture* EGLCore::openTexture(const EGLImage& image) {
  EGLTexture* texture = new EGLTextureImp(*this, image);
  DBG_ASSERT(texture);
  adopt(texture, mOpenTextures);
  if (CLOSED != mState) {
    texture->openResource(&mResourceKey);
    texture->applyChange(&mChangeKey);
  }
  return texture;
}

EGLTransform* EGLCore::openTransform() {
  EGLTransform* transform = new EGLTransformImp(*this);
  DBG_ASSERT(transform);
  adopt(transform, mOpenTransforms);
  return transform;
}

EGLSpace* EGLCore::openSpace(float left, float right, float bottom, float top) {
  EGLSpace* space = new EGLSpaceImp(*this, left, right, bottom, top);
  DBG_ASSERT(space);
  adopt(space, mOpenSpaces);
  return space;
}

EGLModel* EGLCore::openModel(EGLStream* stream, EGLRange range, EGLInterpretation* interpretation,
                             EGLShading* shading, EGLBlender* blender, EGLTexture* texture) {
  // A model is drawn through all five parts; one missing would only show at the first draw.
  DBG_ASSERT(stream);
  DBG_ASSERT(interpretation);
  DBG_ASSERT(shading);
  DBG_ASSERT(blender);
  DBG_ASSERT(texture);
  EGLModel* model = new EGLModelImp(stream, range, interpretation, shading, blender, texture);
  DBG_ASSERT(model);
  adopt(model, mOpenModels);
  return model;
}

void EGLCore::closeModel(EGLModel* model) {
  forget(model, mOpenModels);
  delete model;
}

void EGLCore::closeSpace(EGLSpace* space) {
  forget(space, mOpenSpaces);
  delete space;
}

void EGLCore::closeTransform(EGLTransform* transform) {
  forget(transform, mOpenTransforms);
  delete transform;
}

void EGLCore::closeTexture(EGLTexture* texture) {
  DBG_ASSERT(std::find(mOpenTextures.begin(), mOpenTextures.end(), texture) != mOpenTextures.end());
  if (CLOSED != mState) texture->closeResource(&mResourceKey);
  static_cast<EGLTextureImp*>(texture)->checkDestroyable();
  // A label that changes its text mid-scene closes the texture or stream it just drew with: the
  // scene must not switch it off later, nor take a new object at the same address for it.
  if (mCurrent.texture == texture) {
    texture->switchOff(&mSwitchKey);
    mCurrent.texture = nullptr;
  }
  forget(texture, mOpenTextures);
  delete texture;
}

void EGLCore::closeStream(EGLStream* stream) {
  DBG_ASSERT(std::find(mOpenStreams.begin(), mOpenStreams.end(), stream) != mOpenStreams.end());
  if (CLOSED != mState) stream->closeResource(&mResourceKey);
  if (stream->isIndexed()) {
    static_cast<EGLIndexedStream*>(stream)->checkDestroyable();
  } else {
    DBG_ASSERT(!stream->isChanging());
  }
  if (mCurrent.stream == stream) {
    stream->switchOff(&mSwitchKey);
    mCurrent.stream = nullptr;
  }
  forget(stream, mOpenStreams);
  delete stream;
}

void EGLCore::pushMatrix(const EGLMatrix& matrix) {
  DBG_ASSERT(d3DDeviceIsOpen());
  mMatrixStack.push_back(mMatrixStack.back() * matrix);
  mBackEnd->setViewTransform(mMatrixStack.back());
}

// The bottom of the stack is the identity the EGL started with; popping it would leave no top.
void EGLCore::popMatrix() {
  DBG_ASSERT(d3DDeviceIsOpen());
  DBG_ASSERT("Transform pushed before." && (1 < mMatrixStack.size()));
  mMatrixStack.pop_back();
  mBackEnd->setViewTransform(mMatrixStack.back());
}

void EGLCore::popTransform() {
  popMatrix();
}

void EGLCore::pushTransform(EGLTransform* transform) {
  transform->switchOn(&mSwitchKey);
}

void EGLCore::setProjection(const EGLMatrix& projection) {
  mProjection = projection;
  mBackEnd->setProjectionTransform(projection);
}

EGLBlender* EGLCore::blender(std::int32_t kind) {
  if ((kind < OPAQUE_BLENDING) || (ADDITIVE_BLENDING < kind)) DBG_ERROR("Unknown blending method.");
  return mBlenders[static_cast<std::size_t>(kind - 1)].get();
}

EGLInterpretation* EGLCore::interpretation(std::int32_t kind) {
  if ((kind < POINT_LIST) || (TRIANGLE_FAN < kind)) DBG_ERROR("Unknown interpretation method.");
  return mInterpretations[static_cast<std::size_t>(kind - 1)].get();
}

EGLShading* EGLCore::shading(std::int32_t kind) {
  if ((kind < FLAT_SHADING) || (GOURAUD_SHADING < kind)) DBG_ERROR("Unknown shading method");
  return mShadings[static_cast<std::size_t>(kind - 1)].get();
}

EGLDevice* EGLCore::device(std::int32_t index) {
  auto deviceIterator = mOpenDevices.end();
  if ((0 <= index) && (index < deviceCount())) deviceIterator = mOpenDevices.begin() + index;
  DBG_ASSERT(mOpenDevices.end() != deviceIterator);
  return deviceIterator->get();
}

void EGLCore::checkDestroyable() const {
  DBG_ASSERT(invariant());
  DBG_ASSERT(CLOSED == mState);
  DBG_ASSERT(!d3DDeviceIsOpen());
}

// ---------------------------------------------------------------------------------------------
// Transform shortcuts

EGLTransform* openRotation(EGL* egl, float angle) {
  EGLTransform* transform = egl->openTransform();
  changeRotation(egl, transform, angle);
  return transform;
}

EGLTransform* openScaling(EGL* egl, EGLVector scaling) {
  EGLTransform* transform = egl->openTransform();
  changeScaling(egl, transform, scaling);
  return transform;
}

EGLTransform* openTranslation(EGL* egl, EGLVector translation) {
  EGLTransform* transform = egl->openTransform();
  changeTranslation(egl, transform, translation);
  return transform;
}

void changeRotation(EGL* egl, EGLTransform* transform, float angle) {
  egl->beginChange(transform);
  transform->setRotation(angle);
  egl->endChange(transform);
}

void changeScaling(EGL* egl, EGLTransform* transform, EGLVector scaling) {
  egl->beginChange(transform);
  transform->setScaling(scaling);
  egl->endChange(transform);
}

void changeTranslation(EGL* egl, EGLTransform* transform, EGLVector translation) {
  egl->beginChange(transform);
  transform->setTranslation(translation);
  egl->endChange(transform);
}
