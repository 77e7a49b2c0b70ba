// The graphics library's logic, run on the headless back end.
#include "egl/egl.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <numbers>
#include <vector>

#include "egl/eglboot.h"
#include "egl/eglheadless.h"
#include "egltesting.h"

namespace {

struct Headless : ::testing::Test {
  EGL* egl = nullptr;
  EGLHeadlessRecording* recording = nullptr;

  void SetUp() override { start(); }
  void TearDown() override { stop(); }

  void start() {
    egl = openEGL(HEADLESS_IMPLEMENTATION, nullptr);
    recording = headlessRecording(egl);
    ASSERT_NE(recording, nullptr);
  }

  void stop() {
    if (!egl) return;
    recording->conditions.clear();
    while (EGL::DRAWING == egl->state()) egl->endScene();
    if (EGL::CLOSED != egl->state()) egl->close();
    closeEGL(egl);
    egl = nullptr;
    setHeadlessAdapters(defaultHeadlessAdapters());
  }

  EGLDevice* description(std::int32_t target, std::int32_t width, std::int32_t format = RGB_FORMAT) {
    for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
      EGLDevice* d = egl->device(i);
      if ((d->target() == target) && (d->width() == width) && (d->format() == format)) return d;
    }
    ADD_FAILURE() << "no such description";
    return nullptr;
  }

  void openWindowed() { egl->open(description(WINDOW_TARGET, 1024)); }

  EGLModel* colouredModel(std::int32_t vertices, std::int32_t interpretation = TRIANGLE_STRIP,
                          std::int32_t blender = OPAQUE_BLENDING) {
    EGLStream* stream = egl->openStream(COLORED_VERTICES, vertices, 0);
    return egl->openModel(stream, EGLRange{0, vertices}, egl->interpretation(interpretation),
                          egl->shading(FLAT_SHADING), egl->blender(blender), egl->nullTexture());
  }

  const EGLRecordedCall* last(EGLCall call) const {
    for (auto entry = recording->calls.rbegin(); entry != recording->calls.rend(); ++entry) {
      if (entry->call == call) return &*entry;
    }
    return nullptr;
  }
};

EGLImage square(std::int32_t side, EGLColor color) {
  EGLImage image;
  image.resize(side, side);
  for (std::int32_t row = 0; row < side; ++row) {
    for (std::int32_t column = 0; column < side; ++column) image.texel(column, row) = color;
  }
  return image;
}

std::vector<std::uint32_t> words(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint32_t> result(bytes.size() / 4);
  std::memcpy(result.data(), bytes.data(), result.size() * 4);
  return result;
}

// ---------------------------------------------------------------------------------------------
// Descriptions

TEST_F(Headless, DescriptionsComeFromTheAdaptersModes) {
  // Windowed on the desktop mode and full screen on every mode, each in both back-buffer formats.
  ASSERT_EQ(egl->deviceCount(), 8);
  int windowed = 0;
  for (std::int32_t i = 0; i < egl->deviceCount(); ++i) {
    EGLDevice* d = egl->device(i);
    EXPECT_EQ(d->type(), HARDWARE_DEVICE);
    EXPECT_TRUE(d->isDefaultAdapter());
    EXPECT_EQ(d->name(), "Headless adapter");
    EXPECT_EQ(d->rate(), 60);
    if (WINDOW_TARGET == d->target()) {
      ++windowed;
      EXPECT_EQ(d->width(), 1024);
      EXPECT_EQ(d->height(), 768);
    }
  }
  EXPECT_EQ(windowed, 2);
  EXPECT_EQ(description(SCREEN_TARGET, 640, ARGB_FORMAT)->height(), 480);
  EXPECT_FAILS_WITH(egl->device(egl->deviceCount()), "mOpenDevices.end() != deviceIterator");
  EXPECT_FAILS_WITH(egl->device(-1), "mOpenDevices.end() != deviceIterator");
  EXPECT_EQ(egl->device(), nullptr);
}

TEST_F(Headless, SecondAdapterAndUnknownRatesAreReported) {
  stop();
  setHeadlessAdapters({EGLAdapter{"first", {800, 600, 0}, {{800, 600, 0}}},
                       EGLAdapter{"second", {1280, 1024, 75}, {{1280, 1024, 75}}}});
  start();
  ASSERT_EQ(egl->deviceCount(), 8);
  EXPECT_EQ(egl->device(0)->rate(), 0);
  EXPECT_TRUE(egl->device(0)->isDefaultAdapter());
  EXPECT_EQ(egl->device(7)->name(), "second");
  EXPECT_FALSE(egl->device(7)->isDefaultAdapter());
  EXPECT_EQ(egl->device(7)->rate(), 75);
}

TEST_F(Headless, DescriptionsAreInvalidAfterClose) {
  EGLDevice* before = description(SCREEN_TARGET, 800);
  egl->open(before);
  EXPECT_EQ(egl->device(), before);
  const EGLRecordedCall* opened = last(EGLCall::OPEN_DEVICE);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->value, 800);
  EXPECT_FALSE(opened->flag);
  egl->close();
  EXPECT_EQ(egl->device(), nullptr);
  EXPECT_FAILS_WITH(egl->open(before), "isOpen(device)");
  EXPECT_NO_THROW(egl->open(description(SCREEN_TARGET, 800)));
}

TEST_F(Headless, FacetsRefuseAForeignKey) {
  EGLKey foreign;
  EXPECT_FAILS_WITH(egl->device(0)->switchOn(&foreign), "isSwitchKey(switchKey)");
  EGLTexture* texture = egl->openTexture(square(4, 0u));
  EXPECT_FAILS_WITH(texture->openResource(&foreign), "isResourceKey(resourceKey)");
  egl->closeTexture(texture);
}

// ---------------------------------------------------------------------------------------------
// States

TEST_F(Headless, StateFollowsScenesAndTheDevice) {
  EXPECT_EQ(egl->state(), EGL::CLOSED);
  EXPECT_EQ(recording->count(EGLCall::TEST_COOPERATIVE_LEVEL), 0u) << "nothing is asked while closed";
  openWindowed();
  EXPECT_EQ(egl->state(), EGL::OPEN);

  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  egl->beginScene(space);
  egl->beginScene(space);
  recording->clear();
  EXPECT_EQ(egl->state(), EGL::DRAWING);
  EXPECT_EQ(recording->count(EGLCall::TEST_COOPERATIVE_LEVEL), 0u) << "nothing is asked while drawing";
  egl->endScene();
  EXPECT_EQ(egl->state(), EGL::DRAWING) << "still inside the outer scene";
  EXPECT_FAILS_WITH(egl->close(), "(OPEN == mState) || (PAUSED == mState) || (DOWN == mState)");
  egl->endScene();
  EXPECT_EQ(egl->state(), EGL::OPEN);

  // Losing the device, then being allowed to reset it, then drawing again.
  recording->conditions = {EGLDeviceCondition::LOST, EGLDeviceCondition::LOST, EGLDeviceCondition::NOT_RESET,
                           EGLDeviceCondition::USABLE};
  EXPECT_EQ(egl->state(), EGL::PAUSED);
  EXPECT_EQ(egl->state(), EGL::PAUSED);
  EXPECT_EQ(egl->state(), EGL::DOWN);
  EXPECT_EQ(egl->state(), EGL::OPEN);

  recording->conditions = {EGLDeviceCondition::NOT_RESET};
  EXPECT_EQ(egl->state(), EGL::DOWN);
  egl->close();
  EXPECT_EQ(egl->state(), EGL::CLOSED);
  EXPECT_FAILS_WITH(egl->close(), "(OPEN == mState) || (PAUSED == mState) || (DOWN == mState)");
  EXPECT_FAILS_WITH(egl->endScene(), "0 < mSceneDepth");
  egl->closeSpace(space);
}

TEST_F(Headless, DestroyingNeedsAClosedEGL) {
  openWindowed();
  EXPECT_FAILS_WITH(closeEGL(egl), "CLOSED == mState");
  EXPECT_TRUE(isOpenEGL(egl));
}

TEST_F(Headless, KindsOutsideTheTablesAreErrors) {
  EXPECT_EQ(egl->interpretation(TRIANGLE_FAN)->kind(), 6);
  EXPECT_EQ(egl->shading(GOURAUD_SHADING)->kind(), 2);
  EXPECT_EQ(egl->blender(ADDITIVE_BLENDING)->kind(), 3);
  EXPECT_FAILS_WITH(egl->interpretation(0), "Unknown interpretation method.");
  EXPECT_FAILS_WITH(egl->interpretation(7), "Unknown interpretation method.");
  EXPECT_FAILS_WITH(egl->shading(3), "Unknown shading method");
  EXPECT_FAILS_WITH(egl->blender(4), "Unknown blending method.");
  EXPECT_FAILS_WITH(egl->openStream(3, 4, 0), "Unknown vertex format");
  EXPECT_FAILS_WITH(egl->openStream(COLORED_VERTICES, -1, 0),
                    "\"Valid vertex count.\" && (0 <= vertexCount)");
  EXPECT_FAILS_WITH(openEGL(3, nullptr), "Unknown EGL implementation.");
}

// ---------------------------------------------------------------------------------------------
// Changes and uploads

TEST_F(Headless, StreamsMadeWhileClosedAreUploadedAtOpenAndReleasedAtClose) {
  EGLStream* plain = egl->openStream(COLORED_VERTICES, 2, 0);
  EGLStream* indexed = egl->openStream(TEXTURED_VERTICES, 3, 6);
  egl->beginChange(plain);
  plain->setColors(0, EGLRange{0, 2}, {EGLColor(0xFF112233u), EGLColor(0x80445566u)});
  egl->endChange(plain);
  EXPECT_EQ(recording->calls.size(), 0u) << "nothing reaches a closed device";

  openWindowed();
  EXPECT_EQ(recording->count(EGLCall::CREATE_VERTEX_BUFFER), 2u);
  EXPECT_EQ(recording->count(EGLCall::CREATE_INDEX_BUFFER), 1u);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 2u);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_INDEX_BUFFER), 1u);
  const EGLRecordedCall* upload = nullptr;
  for (const EGLRecordedCall& call : recording->calls) {
    if ((EGLCall::UPLOAD_VERTEX_BUFFER == call.call) && (call.data.size() == 2 * 16)) upload = &call;
  }
  ASSERT_NE(upload, nullptr);
  const std::vector<std::uint32_t> vertexWords = words(upload->data);
  EXPECT_EQ(vertexWords[3], 0xFF112233u);
  EXPECT_EQ(vertexWords[7], 0x80445566u);
  EXPECT_EQ(recording->memory.size(), 3u);

  // A stream made while open gets its buffer and upload at once.
  recording->clear();
  EGLStream* late = egl->openStream(COLORED_VERTICES, 1, 0);
  EXPECT_EQ(recording->callsExcept({}),
            (std::vector<EGLCall>{EGLCall::CREATE_VERTEX_BUFFER, EGLCall::UPLOAD_VERTEX_BUFFER}));

  egl->close();
  EXPECT_TRUE(recording->memory.empty()) << "every device copy released";
  EXPECT_EQ(recording->count(EGLCall::RELEASE_INDEX_BUFFER), 1u);

  // And everything comes back, data included, at the next open.
  openWindowed();
  EXPECT_EQ(recording->memory.size(), 4u);
  std::vector<EGLColor> colors;
  plain->colors(EGLRange{0, 2}, colors);
  EXPECT_EQ(colors[1], EGLColor(0x80445566u));
  for (EGLStream* stream : {plain, indexed, late}) egl->closeStream(stream);
  EXPECT_TRUE(recording->memory.empty());
}

TEST_F(Headless, ChangesNestAndUploadWhenTheOutermostEnds) {
  openWindowed();
  EGLStream* stream = egl->openStream(COLORED_VERTICES, 1, 0);
  recording->clear();
  egl->beginChange(stream);
  egl->beginChange(stream);
  EXPECT_TRUE(stream->isChanging());
  stream->setColors(0, EGLRange{0, 1}, {EGLColor(0xFFABCDEFu)});
  egl->endChange(stream);
  EXPECT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 0u);
  egl->endChange(stream);
  ASSERT_EQ(recording->count(EGLCall::UPLOAD_VERTEX_BUFFER), 1u);
  EXPECT_EQ(words(last(EGLCall::UPLOAD_VERTEX_BUFFER)->data)[3], 0xFFABCDEFu);
  EXPECT_FAILS_WITH(egl->endChange(stream), "isChanging()");

  // An indexed stream uploads its vertices, then its indices, and cannot be drawn mid-change.
  EGLStream* indexed = egl->openStream(COLORED_VERTICES, 3, 3);
  recording->clear();
  egl->beginChange(indexed);
  indexed->setIndices(0, EGLRange{0, 3}, {2, 1, 0});
  EXPECT_FAILS_WITH(indexed->draw(EGLRange{0, 3}), "!isChanging()");
  egl->endChange(indexed);
  EXPECT_EQ(recording->callsExcept({}),
            (std::vector<EGLCall>{EGLCall::UPLOAD_VERTEX_BUFFER, EGLCall::UPLOAD_INDEX_BUFFER}));
  EXPECT_EQ(last(EGLCall::UPLOAD_INDEX_BUFFER)->data, (std::vector<std::uint8_t>{2, 0, 1, 0, 0, 0}));
  egl->closeStream(indexed);
  egl->closeStream(stream);
}

TEST_F(Headless, TexelsReachTheDeviceAsBlueGreenRedAlpha) {
  openWindowed();
  EGLImage image;
  image.resize(2, 2);
  image.texel(0, 0) = EGLColor(0xFF0000FFu);
  image.texel(1, 0) = EGLColor(0x80FF0000u);
  image.texel(0, 1) = EGLColor(0x0000FF00u);
  image.texel(1, 1) = EGLColor(0x01020304u);
  EGLTexture* texture = egl->openTexture(image);
  const EGLRecordedCall* upload = last(EGLCall::UPLOAD_TEXTURE);
  ASSERT_NE(upload, nullptr);
  EXPECT_EQ(upload->data, (std::vector<std::uint8_t>{0xFF, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0x80, 0x00,
                                                     0xFF, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01}));

  // A new image goes up when the change ends; one of another size gets a device texture of its
  // own size rather than overrunning the old one.
  EXPECT_FAILS_WITH(texture->setImage(square(2, 0u)), "isChanging()");
  egl->beginChange(texture);
  texture->setImage(square(4, EGLColor(0x11223344u)));
  EXPECT_FAILS_WITH(texture->applyChange(nullptr), "!isChanging()");
  egl->endChange(texture);
  const EGLRecordedCall* created = last(EGLCall::CREATE_TEXTURE);
  EXPECT_EQ(created->value, 4);
  EXPECT_EQ(last(EGLCall::UPLOAD_TEXTURE)->data.size(), 64u);
  EXPECT_EQ(recording->memory.size(), 1u);
  EXPECT_EQ(texture->image().texel(3, 3), EGLColor(0x11223344u));
  egl->closeTexture(texture);
  EXPECT_TRUE(recording->memory.empty());
}

TEST_F(Headless, OnlySquarePowerOfTwoTexturesGetADeviceCopy) {
  openWindowed();
  const std::vector<std::pair<std::int32_t, std::int32_t>> refused = {{64, 32}, {48, 48}, {0, 0}, {3, 3}};
  for (auto [columns, rows] : refused) {
    EGLImage image;
    image.resize(columns, rows);
    EXPECT_FAILS_WITH(egl->openTexture(image),
                      "\"Valid texture size.\" && isValidTextureSize(width, height)");
  }
  // The refused textures stay listed (the program stops there anyway); close them here.
  for (EGLTexture* refusedTexture : egl->textures()) egl->closeTexture(refusedTexture);
  for (std::int32_t side : {1, 2, 256, 1024}) {
    EXPECT_NO_THROW(egl->closeTexture(egl->openTexture(square(side, 0u)))) << side;
  }
  // Made while closed, a texture gets its device copy at the next open.
  egl->close();
  EGLTexture* texture = egl->openTexture(square(8, 0xFF00FF00u));
  EXPECT_EQ(recording->memory.size(), 0u);
  openWindowed();
  EXPECT_EQ(recording->memory.size(), 1u);
  EXPECT_EQ(last(EGLCall::UPLOAD_TEXTURE)->data.size(), 8u * 8u * 4u);
  egl->closeTexture(texture);
}

TEST_F(Headless, TextureAddressesAreTexelCentres) {
  EGLTexture* texture = egl->openTexture(square(64, 0u));
  EXPECT_EQ(texture->adress(0, 0), (EGLVector{0.0078125f, 0.0078125f}));
  EXPECT_EQ(texture->adress(63, 63), (EGLVector{0.9921875f, 0.9921875f}));
  EXPECT_LT(texture->adressU(-1), 0.0f);
  EXPECT_GT(texture->adressV(64), 1.0f);
  egl->closeTexture(texture);

  EGLTexture* none = egl->nullTexture();
  EXPECT_FAILS_WITH(none->image(), "Null texture has no image.");
  EXPECT_FAILS_WITH(none->setImage(square(1, 0u)), "Null texture has no image.");
  EXPECT_FAILS_WITH(none->adress(0, 0), "Null texture can not be adressed.");
  EXPECT_FAILS_WITH(none->adressU(0), "Null texture can not be adressed.");
  EXPECT_FAILS_WITH(none->adressV(0), "Null texture can not be adressed.");
}

// ---------------------------------------------------------------------------------------------
// Streams

TEST_F(Headless, StreamOperationsFollowFormatAndKind) {
  EGLStream* coloured = egl->openStream(COLORED_VERTICES, 8, 0);
  EXPECT_FALSE(coloured->isIndexed());
  EXPECT_EQ(coloured->indexCount(), 0);
  EXPECT_EQ(coloured->format(), COLORED_VERTICES);
  std::vector<EGLVector> adresses;
  EXPECT_FAILS_WITH(coloured->setAdresses(0, EGLRange{0, 1}, {EGLVector{}}),
                    "Vertex format has no adresses.");
  EXPECT_FAILS_WITH(coloured->adresses(EGLRange{0, 1}, adresses), "Vertex format has no adresses.");
  std::vector<std::int32_t> indices;
  EXPECT_FAILS_WITH(coloured->setIndices(0, EGLRange{0, 1}, {0}), "Vertex format has no indices.");
  EXPECT_FAILS_WITH(coloured->indices(EGLRange{0, 1}, indices), "Vertex format has no indices.");

  // Source elements 2..4 go to vertices 4..6.
  const std::vector<EGLColor> colors = {1u, 2u, 3u, 4u, 5u, 6u};
  coloured->setColors(4, EGLRange{2, 3}, colors);
  std::vector<EGLColor> out;
  coloured->colors(EGLRange{4, 3}, out);
  EXPECT_EQ(out, (std::vector<EGLColor>{3u, 4u, 5u}));
  coloured->colors(EGLRange{3, 1}, out);
  EXPECT_EQ(out, (std::vector<EGLColor>{0u}));

  EGLStream* textured = egl->openStream(TEXTURED_VERTICES, 4, 6);
  EXPECT_TRUE(textured->isIndexed());
  textured->indices(EGLRange{0, 6}, indices);
  EXPECT_EQ(indices, (std::vector<std::int32_t>(6, 0)));
  textured->setPositions(1, EGLRange{0, 1}, {EGLVector{3.5f, -2.0f}});
  textured->setAdresses(3, EGLRange{1, 1}, {EGLVector{}, EGLVector{0.25f, 0.75f}});
  std::vector<EGLVector> positions;
  textured->positions(EGLRange{0, 2}, positions);
  EXPECT_EQ(positions, (std::vector<EGLVector>{{0.0f, 0.0f}, {3.5f, -2.0f}}));
  textured->adresses(EGLRange{3, 1}, adresses);
  EXPECT_EQ(adresses[0], (EGLVector{0.25f, 0.75f}));

  // Cloning copies the shape, not the data; indexed streams do not clone.
  std::unique_ptr<EGLObject> copy(coloured->clone());
  auto* clone = dynamic_cast<EGLStream*>(copy.get());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->vertexCount(), 8);
  clone->colors(EGLRange{4, 1}, out);
  EXPECT_EQ(out[0], EGLColor(0u));
  EXPECT_FAILS_WITH(textured->clone(), "Index stream cloning not implemented.");
  EGLTransform* transform = egl->openTransform();
  EXPECT_FAILS_WITH(transform->clone(), "Cloneing not implemented.");
  egl->closeTransform(transform);
  egl->closeStream(coloured);
  egl->closeStream(textured);
}

TEST_F(Headless, NothingIsWrittenOrReadBeyondTheStream) {
  EGLStream* stream = egl->openStream(TEXTURED_VERTICES, 4, 3);
  const std::vector<EGLColor> two = {1u, 2u};
  std::vector<EGLColor> out;
  const char* vertices =
      "\"Vertices within the stream.\" && rangeWithin(vertices, static_cast<std::size_t>(mVertexCount))";
  const char* source = "\"Source range within the source.\" && rangeWithin(range, colors.size())";
  EXPECT_FAILS_WITH(stream->setColors(3, EGLRange{0, 2}, two), vertices);
  EXPECT_FAILS_WITH(stream->setColors(-1, EGLRange{0, 1}, two), vertices);
  EXPECT_FAILS_WITH(stream->setColors(0, EGLRange{1, 2}, two), source);
  EXPECT_FAILS_WITH(stream->setColors(0, EGLRange{0, -1}, two), source);
  EXPECT_FAILS_WITH(stream->colors(EGLRange{2, 3}, out), vertices);
  EXPECT_FAILS_WITH(stream->colors(EGLRange{0x7FFFFFFF, 2}, out), vertices);
  const char* index =
      "\"Index names a vertex.\" && (0 <= index) && (index < vertexCount()) && (index <= 0xFFFF)";
  EXPECT_FAILS_WITH(stream->setIndices(0, EGLRange{0, 1}, {4}), index);
  EXPECT_FAILS_WITH(stream->setIndices(0, EGLRange{0, 1}, {-1}), index);
  EXPECT_FAILS_WITH(
      stream->setIndices(2, EGLRange{0, 2}, {0, 1}),
      "\"Indices within the stream.\" && rangeWithin(EGLRange{first, range.count}, mIndices.size())");
  egl->closeStream(stream);

  // Indices start as 0, which is no vertex of an empty stream.
  openWindowed();
  EGLStream* empty = egl->openStream(COLORED_VERTICES, 0, 3);
  EGLModel* model =
      egl->openModel(empty, EGLRange{0, 3}, egl->interpretation(TRIANGLE_LIST), egl->shading(FLAT_SHADING),
                     egl->blender(OPAQUE_BLENDING), egl->nullTexture());
  EGLSpace* space = egl->openSpace(-1, 1, -1, 1);
  egl->beginScene(space);
  EXPECT_FAILS_WITH(
      egl->draw(model),
      "\"Index names a vertex.\" && (mIndices[static_cast<std::size_t>(range.first + k)] < vertexCount())");
  model->setRange(EGLRange{1, 3});
  EXPECT_FAILS_WITH(egl->draw(model),
                    "\"Indices within the stream.\" && rangeWithin(range, mIndices.size())");
  EXPECT_EQ(recording->draws.size(), 0u);
  egl->endScene();
}

TEST_F(Headless, PrimitiveCountsByType) {
  struct Case {
    std::int32_t type, vertices, primitives;
  };
  const Case cases[] = {{TRIANGLE_STRIP, 4, 2}, {TRIANGLE_LIST, 5, 1}, {LINE_STRIP, 1, 0},
                        {LINE_LIST, 7, 3},      {POINT_LIST, 3, 3},    {TRIANGLE_FAN, 5, 3},
                        {LINE_STRIP, 0, 0},     {TRIANGLE_FAN, 1, 0}};
  openWindowed();
  EGLSpace* space = egl->openSpace(-1, 1, -1, 1);
  egl->beginScene(space);
  for (const Case& c : cases) {
    EXPECT_EQ(primitiveCount(c.type, c.vertices), c.primitives);
    EGLModel* model = colouredModel(c.vertices, c.type);
    egl->draw(model);
    EXPECT_EQ(recording->draws.back().primitiveCount, c.primitives);
    EXPECT_EQ(recording->draws.back().primitiveType, c.type);
  }
  EXPECT_FAILS_WITH(primitiveCount(7, 3), "Unknown D3D primitive type.");
  egl->endScene();
}

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(Headless, ModelsSwitchOnlyThePartsThatDiffer) {
  openWindowed();
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  EGLTexture* texture = egl->openTexture(square(4, 0xFFFFFFFFu));
  EGLStream* stream = egl->openStream(TEXTURED_VERTICES, 4, 0);
  EGLModel* first = egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_STRIP),
                                   egl->shading(FLAT_SHADING), egl->blender(ALPHA_BLENDING), texture);
  EGLModel* additive = egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_STRIP),
                                      egl->shading(FLAT_SHADING), egl->blender(ADDITIVE_BLENDING), texture);
  const std::vector<EGLCall> everything = {EGLCall::SET_STREAM_SOURCE, EGLCall::SET_SHADE_MODE,
                                           EGLCall::SET_BLENDING,      EGLCall::SET_TEXTURE,
                                           EGLCall::SET_VIEW,          EGLCall::DRAW};

  egl->beginScene(space);
  recording->clear();
  egl->draw(first);
  EXPECT_EQ(recording->callsExcept({}), everything);
  const EGLDrawCall& drawn = recording->draws.back();
  EXPECT_EQ(drawn.parts.stream, stream);
  EXPECT_EQ(drawn.parts.texture, texture);
  EXPECT_EQ(drawn.parts.blender, egl->blender(ALPHA_BLENDING));
  EXPECT_EQ(drawn.projection, space->projection());

  recording->clear();
  egl->draw(first);
  EXPECT_EQ(recording->callsExcept({}), (std::vector<EGLCall>{EGLCall::SET_VIEW, EGLCall::DRAW}));

  recording->clear();
  egl->draw(additive);
  EXPECT_EQ(recording->callsExcept({}),
            (std::vector<EGLCall>{EGLCall::SET_BLENDING, EGLCall::SET_VIEW, EGLCall::DRAW}));
  EXPECT_EQ(recording->calls[0].destination, EGLBlendFactor::ONE);

  // The end of the scene unbinds the stream and texture and forgets every current part.
  recording->clear();
  egl->endScene();
  EXPECT_EQ(recording->callsExcept({}), (std::vector<EGLCall>{EGLCall::END_SCENE, EGLCall::SET_STREAM_SOURCE,
                                                              EGLCall::SET_INDICES, EGLCall::SET_TEXTURE}));
  EXPECT_EQ(recording->calls[1].handle, 0u);
  EXPECT_EQ(recording->calls[3].handle, 0u);
  egl->beginScene(space);
  recording->clear();
  egl->draw(additive);
  EXPECT_EQ(recording->callsExcept({}), everything);
  egl->endScene();

  EXPECT_FAILS_WITH(egl->draw(first), "DRAWING == mState");
}

// A label changing its text mid-scene closes the stream and texture just drawn with and opens new
// ones, which may take the old addresses: those must be bound afresh, and the scene's end must not
// touch the closed ones.
TEST_F(Headless, ClosingTheCurrentStreamAndTextureMidSceneForgetsThem) {
  openWindowed();
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  auto textured = [&](EGLStream* stream, EGLTexture* texture) {
    return egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_STRIP),
                          egl->shading(FLAT_SHADING), egl->blender(ALPHA_BLENDING), texture);
  };
  EGLTexture* texture = egl->openTexture(square(4, 0xFFFFFFFFu));
  EGLStream* stream = egl->openStream(TEXTURED_VERTICES, 4, 0);
  EGLModel* model = textured(stream, texture);
  egl->beginScene(space);
  egl->draw(model);
  egl->closeModel(model);
  egl->closeStream(stream);
  egl->closeTexture(texture);

  EGLTexture* newTexture = egl->openTexture(square(4, 0xFF00FF00u));
  EGLStream* newStream = egl->openStream(TEXTURED_VERTICES, 4, 0);
  EGLModel* newModel = textured(newStream, newTexture);
  recording->clear();
  egl->draw(newModel);
  std::vector<EGLCall> calls = recording->callsExcept({});
  EXPECT_NE(std::find(calls.begin(), calls.end(), EGLCall::SET_STREAM_SOURCE), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), EGLCall::SET_TEXTURE), calls.end());
  EXPECT_EQ(recording->draws.back().parts.stream, newStream);
  EXPECT_EQ(recording->draws.back().parts.texture, newTexture);
  egl->endScene();
  egl->closeModel(newModel);
  egl->closeStream(newStream);
  egl->closeTexture(newTexture);
}

TEST_F(Headless, BlendersAndShadingsSetTheirStates) {
  struct Case {
    std::int32_t blender;
    bool enabled;
    EGLBlendFactor source, destination;
  };
  const Case cases[] = {{OPAQUE_BLENDING, false, EGLBlendFactor::ONE, EGLBlendFactor::ZERO},
                        {ALPHA_BLENDING, true, EGLBlendFactor::SRC_ALPHA, EGLBlendFactor::INV_SRC_ALPHA},
                        {ADDITIVE_BLENDING, true, EGLBlendFactor::SRC_ALPHA, EGLBlendFactor::ONE}};
  for (const Case& c : cases) {
    egl->blender(c.blender)->switchOn(nullptr);
    const EGLRecordedCall* call = last(EGLCall::SET_BLENDING);
    EXPECT_EQ(call->flag, c.enabled);
    EXPECT_EQ(call->source, c.source);
    EXPECT_EQ(call->destination, c.destination);
  }
  egl->shading(GOURAUD_SHADING)->switchOn(nullptr);
  EXPECT_EQ(last(EGLCall::SET_SHADE_MODE)->value, GOURAUD_SHADING);
}

TEST_F(Headless, PushedTransformsApplyInTheOrderPushed) {
  openWindowed();
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  EGLTransform* rotation = openRotation(egl, std::numbers::pi_v<float> / 2.0f);
  EGLTransform* translation = openTranslation(egl, EGLVector{100.0f, 0.0f});
  EGLModel* model = colouredModel(1, POINT_LIST);

  auto drawnAt = [&](EGLTransform* firstPushed, EGLTransform* secondPushed) {
    egl->beginScene(space);
    egl->pushTransform(firstPushed);
    egl->pushTransform(secondPushed);
    egl->draw(model);
    egl->popTransform();
    egl->popTransform();
    egl->endScene();
    return recording->draws.back().view.transformPoint(EGLVector{1.0f, 0.0f});
  };
  const EGLVector rotatedFirst = drawnAt(rotation, translation);
  EXPECT_NEAR(rotatedFirst.x, 100.0f, 1e-4);
  EXPECT_NEAR(rotatedFirst.y, 1.0f, 1e-4);
  const EGLVector movedFirst = drawnAt(translation, rotation);
  EXPECT_NEAR(movedFirst.x, 0.0f, 1e-4);
  EXPECT_NEAR(movedFirst.y, 101.0f, 1e-4);

  // Two pushes and one pop leave the view at the first pushed matrix.
  EGLTransform* scaling = openScaling(egl, EGLVector{2.0f, 3.0f});
  egl->pushTransform(scaling);
  egl->pushTransform(translation);
  egl->popTransform();
  EXPECT_EQ(last(EGLCall::SET_VIEW)->matrix, scaling->matrix());
  egl->popTransform();
  EXPECT_EQ(last(EGLCall::SET_VIEW)->matrix, EGLMatrix::identity());
  EXPECT_FAILS_WITH(egl->popTransform(), "\"Transform pushed before.\" && (1 < mMatrixStack.size())");

  changeTranslation(egl, translation, EGLVector{-5.0f, 7.0f});
  EXPECT_EQ(translation->matrix().transformPoint(EGLVector{}), (EGLVector{-5.0f, 7.0f}));
  egl->close();
  EXPECT_FAILS_WITH(egl->pushTransform(rotation), "d3DDeviceIsOpen()");
  EXPECT_FAILS_WITH(egl->popTransform(), "d3DDeviceIsOpen()");
}

TEST_F(Headless, SpaceProjectsItsBoundsOntoThePicture) {
  openWindowed();
  EGLSpace* space = egl->openSpace(-800, 800, -600, 600);
  EXPECT_EQ(space->projection().transformPoint(EGLVector{800.0f, 600.0f}), (EGLVector{1.0f, 1.0f}));
  EXPECT_EQ(space->projection().transformPoint(EGLVector{0.0f, 0.0f}), (EGLVector{0.0f, 0.0f}));
  egl->beginScene(space);
  EXPECT_EQ(last(EGLCall::SET_PROJECTION)->matrix, space->projection());
  egl->endScene();

  egl->beginChange(space);
  space->setBounds(0, 100, 0, 50);
  egl->endChange(space);
  EXPECT_EQ(space->left(), 0.0f);
  EXPECT_EQ(space->right(), 100.0f);
  EXPECT_EQ(space->bottom(), 0.0f);
  EXPECT_EQ(space->top(), 50.0f);
  EXPECT_EQ(space->projection().transformPoint(EGLVector{100.0f, 50.0f}), (EGLVector{1.0f, 1.0f}));
  EXPECT_FAILS_WITH(space->unproject(EGLVector{}), "Not implemented.");
}

TEST_F(Headless, DrawingNeedsADevice) {
  EGLSpace* space = egl->openSpace(-1, 1, -1, 1);
  EXPECT_FAILS_WITH(egl->beginScene(space), "d3DDeviceIsOpen()");
  EXPECT_FAILS_WITH(egl->clear(0u), "d3DDeviceIsOpen()");
  EXPECT_FAILS_WITH(egl->present(), "d3DDeviceIsOpen()");
  openWindowed();
  egl->beginScene(space);
  egl->clear(0xFF102030u);
  egl->endScene();
  EXPECT_EQ(egl->present(), 0);
  EXPECT_EQ(last(EGLCall::CLEAR)->color, EGLColor(0xFF102030u));
}

// ---------------------------------------------------------------------------------------------
// Bookkeeping

TEST_F(Headless, HoldersAndOpenLists) {
  EGLStream* stream = egl->openStream(COLORED_VERTICES, 4, 0);
  EGLStream* other = egl->openStream(COLORED_VERTICES, 4, 0);
  EXPECT_TRUE(stream->isHeldBy(egl));
  EGLModel* model =
      egl->openModel(stream, EGLRange{0, 4}, egl->interpretation(TRIANGLE_FAN), egl->shading(FLAT_SHADING),
                     egl->blender(ALPHA_BLENDING), egl->nullTexture());
  EXPECT_TRUE(stream->isHeldBy(model));
  EXPECT_TRUE(egl->blender(ALPHA_BLENDING)->isHeldBy(model));
  model->setStream(other);
  EXPECT_FALSE(stream->isHeldBy(model));
  EXPECT_TRUE(other->isHeldBy(model));
  EXPECT_EQ(egl->models(), (std::vector<EGLModel*>{model}));
  EXPECT_EQ(egl->streams(), (std::vector<EGLStream*>{stream, other}));

  egl->closeModel(model);
  EXPECT_FALSE(other->isHeldBy(model));
  EXPECT_FALSE(egl->nullTexture()->isHeldBy(model));
  EXPECT_TRUE(egl->models().empty());
  egl->closeStream(stream);
  EXPECT_FAILS_WITH(egl->closeStream(stream),
                    "std::find(mOpenStreams.begin(), mOpenStreams.end(), stream) != mOpenStreams.end()");
  EXPECT_FAILS_WITH(egl->openModel(other, EGLRange{0, 4}, nullptr, egl->shading(FLAT_SHADING),
                                   egl->blender(ALPHA_BLENDING), egl->nullTexture()),
                    "interpretation");
  egl->closeStream(other);

  EGLTransform* transform = egl->openTransform();
  EXPECT_EQ(transform->matrix(), EGLMatrix::identity());
  EXPECT_EQ(egl->transforms().size(), 1u);
  egl->closeTransform(transform);
  EXPECT_FAILS_WITH(egl->closeTransform(transform),
                    "\"Object is open on this EGL.\" && (list.end() != objectIterator)");
}

}  // namespace
