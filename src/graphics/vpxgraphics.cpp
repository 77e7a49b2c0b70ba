#include "graphics/vpxgraphics.h"

#include <algorithm>
#include <map>

#include "dbg/dbg.h"
#include "egc/egc.h"
#include "egc/egcdatafiles.h"

DBG_SOURCE("vpxgraphics");

// Full-screen modes ask for at least 50 Hz; the 4:3 check is off everywhere, so a 5:4 screen is
// used too (the picture is letterboxed, never stretched).
const VPXDevices::DeviceRecord VPXDevices::DEVICE_RECORDS[VPXDevices::DEVICE_RECORD_COUNT] = {
    {WINDOW_DEVICE_ID, HARDWARE_DEVICE, WINDOW_TARGET, 0, 0, 0, RATIO_CHECK_OFF, 0, 0},
    {LOW_RESOLUTION_ID, HARDWARE_DEVICE, SCREEN_TARGET, 640, 480, 50, RATIO_CHECK_OFF, 4, 3},
    {MEDIUM_RESOLUTION_ID, HARDWARE_DEVICE, SCREEN_TARGET, 800, 600, 50, RATIO_CHECK_OFF, 4, 3},
    {HIGH_RESOLUTION_ID, HARDWARE_DEVICE, SCREEN_TARGET, 1024, 768, 50, RATIO_CHECK_OFF, 4, 3},
};

const std::vector<VPXTextureRecord> VPX_TEXTURE_RECORDS = {
    {FONT_TEXTURE, "font.egl"},         {BLOBS_TEXTURE, "blobs.egl"},
    {PILLS_TEXTURE, "pills.egl"},       {BULLETS_TEXTURE, "bullets.egl"},
    {GUN_TEXTURE, "gun.egl"},           {VORPLEX_TEXTURE, "vorplex.egl"},
    {TARNWICK_TEXTURE, "tarnwick.egl"}, {PARTICLES_TEXTURE, "particles.egl"},
    {STARS_TEXTURE, "stars.egl"},       {PLATE_TEXTURE, "plate.egl"},
    {SCENERY_TEXTURE, "scenery.egl"},
};

// Sprite types of size 1 are scaled by the transforms their users push.
const std::vector<VPXSpriteTypeRecord> VPX_SPRITE_TYPE_RECORDS = {
    {BLOB_SPRITE, ALPHA_BLENDING, BLOBS_TEXTURE, 4, 4, 1.0f, 1.0f, 0.5f, 0.5f},
    {PILL_SPRITE, ALPHA_BLENDING, PILLS_TEXTURE, 8, 8, 1.0f, 1.0f, 0.5f, 0.5f},
    {BULLET_SPRITE, ALPHA_BLENDING, BULLETS_TEXTURE, 2, 2, 1.0f, 1.0f, 0.5f, 0.5f},
    {GUN_SPRITE, ALPHA_BLENDING, GUN_TEXTURE, 1, 1, 1.0f, 1.0f, 0.5f, 0.5f},
    {VORPLEX_LOGO_SPRITE, ADDITIVE_BLENDING, VORPLEX_TEXTURE, 1, 1, 1200.0f, 600.0f, 0.5f, 1.0f},
    {TARNWICK_LOGO_SPRITE, ALPHA_BLENDING, TARNWICK_TEXTURE, 1, 1, 512.0f, 512.0f, 0.5f, 0.0f},
    {PARTICLE_SPRITE, ADDITIVE_BLENDING, PARTICLES_TEXTURE, 4, 4, 2.0f, 2.0f, 0.5f, 0.5f},
    {STAR_SPRITE, ALPHA_BLENDING, STARS_TEXTURE, 4, 4, 1.0f, 1.0f, 0.5f, 0.5f},
    {PLATE_SPRITE, ALPHA_BLENDING, PLATE_TEXTURE, 1, 1, 1.0f, 1.0f, 0.5f, 0.5f},
    {SCENERY_SPRITE, OPAQUE_BLENDING, SCENERY_TEXTURE, 1, 1, 1.0f, 1.0f, 0.5f, 0.5f},
};

const std::vector<VPXFontRecord> VPX_FONT_RECORDS = {
    {SMALL_FONT, FONT_TEXTURE, PROPORTIONAL_WIDTH, 4.0f, 0.0f, 32.0f, 32.0f},
    {LARGE_FONT, FONT_TEXTURE, PROPORTIONAL_WIDTH, 4.0f, 0.0f, 64.0f, 64.0f},
};

namespace {

// The world is 1600 x 1200 units with the origin at the centre and y up, whatever the mode.
constexpr float SPACE_LEFT = -800.0f;
constexpr float SPACE_RIGHT = 800.0f;
constexpr float SPACE_BOTTOM = -600.0f;
constexpr float SPACE_TOP = 600.0f;

// Where the window goes before windowed drawing, so that it is on the screen at its usual size.
constexpr EGCRectangle WINDOW_RECTANGLE{0, 0, 800, 600};

EGL* fEGL = nullptr;
EGCWindow* fWindow = nullptr;
EGLDevice* fCurrentDevice = nullptr;
std::int32_t mDeviceID = 0;
std::map<std::int32_t, EGLTexture*> fTextures;
std::map<std::int32_t, EGLSpriteType*> fSpriteTypes;
std::map<std::int32_t, EGLFont*> fFonts;
EGLSpace* fSpace = nullptr;

bool comesBefore(const EGLDevice* a, const EGLDevice* b) {
  const std::int64_t areaA = std::int64_t{a->width()} * a->height();
  const std::int64_t areaB = std::int64_t{b->width()} * b->height();
  if (areaA != areaB) return areaA < areaB;
  if (a->rate() != b->rate()) return a->rate() < b->rate();
  if (a->isDefaultAdapter() != b->isDefaultAdapter()) return a->isDefaultAdapter();
  return a->format() < b->format();
}

void placeWindowForWindowedMode() {
  DBG_ASSERT(fWindow);
  fWindow->setRectangle(WINDOW_RECTANGLE);
}

void openDeviceFor(std::int32_t deviceID) {
  EGLDevice* device = VPXDevices::chooseDevice(fEGL, deviceID);
  fEGL->open(device);
  fCurrentDevice = device;
  mDeviceID = deviceID;
}

void openTextures() {
  DBG_ASSERT(!texturesAreOpen());
  for (const VPXTextureRecord& record : VPX_TEXTURE_RECORDS) {
    EGLImage image;
    loadImage(egcFindDataFile(record.fileName), image);
    fTextures[record.id] = fEGL->openTexture(image);
  }
  DBG_ASSERT(texturesAreOpen());
}

EGLTexture* textureOf(std::int32_t textureID) {
  const auto found = fTextures.find(textureID);
  DBG_ASSERT("Known texture ID." && (fTextures.end() != found));
  return found->second;
}

void openSpriteTypes() {
  DBG_ASSERT(!spriteTypesAreOpen());
  for (const VPXSpriteTypeRecord& record : VPX_SPRITE_TYPE_RECORDS) {
    fSpriteTypes[record.id] = openSpriteType(
        fEGL, fEGL->blender(record.blendingKind), textureOf(record.textureID), record.frameColumnCount,
        record.frameRowCount, record.width, record.height, record.hotSpotX, record.hotSpotY);
  }
  DBG_ASSERT(spriteTypesAreOpen());
}

void openFonts() {
  DBG_ASSERT(!fontsAreOpen());
  for (const VPXFontRecord& record : VPX_FONT_RECORDS) {
    fFonts[record.id] = openFont(textureOf(record.textureID), record.widthMode, record.glyphSpaceX,
                                 record.glyphSpaceY, record.frameWidth, record.frameHeight);
  }
  DBG_ASSERT(fontsAreOpen());
}

void openTheSpace() {
  DBG_ASSERT(!spaceIsOpen());
  fSpace = fEGL->openSpace(SPACE_LEFT, SPACE_RIGHT, SPACE_BOTTOM, SPACE_TOP);
  DBG_ASSERT(spaceIsOpen());
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Choosing a device

const VPXDevices::DeviceRecord& VPXDevices::deviceRecord(std::int32_t deviceID) {
  DBG_ASSERT((VPXDevices::MIN_DEVICE_ID < deviceID) && (deviceID < VPXDevices::MAX_DEVICE_ID));
  std::int32_t i = 0;
  while ((i < DEVICE_RECORD_COUNT) && (DEVICE_RECORDS[i].id != deviceID)) ++i;
  DBG_ASSERT("DeviceRecord found." && (i < DEVICE_RECORD_COUNT));
  return DEVICE_RECORDS[i];
}

// A missing entry is reported as such rather than crashing the sort.
void VPXDevices::sortDevices(std::vector<EGLDevice*>& descriptions) {
  for (const EGLDevice* device : descriptions) DBG_ASSERT(device);
  std::stable_sort(descriptions.begin(), descriptions.end(), comesBefore);
}

EGLDevice* VPXDevices::chooseDevice(std::vector<EGLDevice*> descriptions, std::int32_t deviceID) {
  const DeviceRecord& record = deviceRecord(deviceID);
  sortDevices(descriptions);
  const auto DEVICE_COUNT = static_cast<std::int32_t>(descriptions.size());
  DBG_ASSERT(0 < DEVICE_COUNT);

  bool someDevicesHaveOkType = false;
  bool someDevicesHaveOkTarget = false;
  bool someDevicesHaveOkWidth = false;
  bool someDevicesHaveOkHeight = false;
  bool someDevicesHaveOkRate = false;
  bool someDevicesHaveOkRatio = false;
  std::int32_t i = 0;
  for (; i < DEVICE_COUNT; ++i) {
    const EGLDevice* device = descriptions[static_cast<std::size_t>(i)];
    const std::int32_t rate = device->rate();
    DBG_ASSERT(0 <= rate);
    const bool typeIsOk = device->type() == record.type;
    const bool targetIsOk = device->target() == record.target;
    const bool widthIsOk = device->width() >= record.minWidth;
    const bool heightIsOk = device->height() >= record.minHeight;
    const bool rateIsOk = (0 == rate) || (rate >= record.minRate);
    const bool ratioIsOk = (0 == (record.ratioCheck & 0xFF)) ||
                           ((0 == device->width() % record.ratioWidth) &&
                            (device->height() == device->width() / record.ratioWidth * record.ratioHeight));
    someDevicesHaveOkType = someDevicesHaveOkType || typeIsOk;
    someDevicesHaveOkTarget = someDevicesHaveOkTarget || targetIsOk;
    someDevicesHaveOkWidth = someDevicesHaveOkWidth || widthIsOk;
    someDevicesHaveOkHeight = someDevicesHaveOkHeight || heightIsOk;
    someDevicesHaveOkRate = someDevicesHaveOkRate || rateIsOk;
    someDevicesHaveOkRatio = someDevicesHaveOkRatio || ratioIsOk;
    if (typeIsOk && targetIsOk && widthIsOk && heightIsOk && rateIsOk && ratioIsOk) break;
  }
  if (i < DEVICE_COUNT) return descriptions[static_cast<std::size_t>(i)];
  DBG_ASSERT(someDevicesHaveOkType);
  DBG_ASSERT(someDevicesHaveOkTarget);
  DBG_ASSERT(someDevicesHaveOkWidth);
  DBG_ASSERT(someDevicesHaveOkHeight);
  DBG_ASSERT(someDevicesHaveOkRate);
  DBG_ASSERT(someDevicesHaveOkRatio);
  DBG_ASSERT("Device found." && (i < DEVICE_COUNT));
  return nullptr;
}

EGLDevice* VPXDevices::chooseDevice(EGL* egl, std::int32_t deviceID) {
  DBG_ASSERT(egl);
  std::vector<EGLDevice*> descriptions;
  const std::int32_t count = egl->deviceCount();
  for (std::int32_t index = 0; index < count; ++index) {
    EGLDevice* device = egl->device(index);
    DBG_ASSERT(device);
    descriptions.push_back(device);
  }
  return chooseDevice(std::move(descriptions), deviceID);
}

// ---------------------------------------------------------------------------------------------
// The module

bool deviceIsOpen() {
  return nullptr != fCurrentDevice;
}
bool texturesAreOpen() {
  return !fTextures.empty();
}
bool spriteTypesAreOpen() {
  return !fSpriteTypes.empty();
}
bool fontsAreOpen() {
  return !fFonts.empty();
}
bool spaceIsOpen() {
  return nullptr != fSpace;
}

void openGraphics(EGL* egl, EGCWindow* window) {
  DBG_ASSERT(!deviceIsOpen());
  DBG_ASSERT(egl);
  fEGL = egl;
  fWindow = window;
  openDeviceFor(VPXDevices::MEDIUM_RESOLUTION_ID);
  DBG_ASSERT(deviceIsOpen());
  openTextures();
  openSpriteTypes();
  openFonts();
  openTheSpace();
}

void closeGraphics() {
  DBG_ASSERT(spaceIsOpen());
  fEGL->closeSpace(fSpace);
  fSpace = nullptr;

  DBG_ASSERT(fontsAreOpen());
  for (auto& [id, font] : fFonts) closeFont(font);
  fFonts.clear();
  DBG_ASSERT(!fontsAreOpen());

  DBG_ASSERT(spriteTypesAreOpen());
  for (auto& [id, spriteType] : fSpriteTypes) closeSpriteType(spriteType);
  fSpriteTypes.clear();
  DBG_ASSERT(!spriteTypesAreOpen());

  DBG_ASSERT(texturesAreOpen());
  for (auto& [id, texture] : fTextures) fEGL->closeTexture(texture);
  fTextures.clear();
  DBG_ASSERT(!texturesAreOpen());

  DBG_ASSERT(deviceIsOpen());
  fEGL->close();
  fCurrentDevice = nullptr;
  fEGL = nullptr;
  fWindow = nullptr;
}

void closeDevice() {
  DBG_ASSERT(deviceIsOpen());
  fEGL->close();
  fCurrentDevice = nullptr;
}

void reopenDevice() {
  DBG_ASSERT(!deviceIsOpen());
  switch (mDeviceID) {
    case VPXDevices::WINDOW_DEVICE_ID:
      placeWindowForWindowedMode();
      openDeviceFor(mDeviceID);
      break;
    case VPXDevices::LOW_RESOLUTION_ID:
    case VPXDevices::MEDIUM_RESOLUTION_ID:
    case VPXDevices::HIGH_RESOLUTION_ID:
      openDeviceFor(mDeviceID);
      break;
    default:
      DBG_ASSERT((VPXDevices::MIN_DEVICE_ID < mDeviceID) && (mDeviceID < VPXDevices::MAX_DEVICE_ID));
      DBG_ERROR("Unknown device ID.");
  }
}

void changeDevice(std::int32_t deviceID) {
  DBG_ASSERT(deviceIsOpen());
  fEGL->close();
  fCurrentDevice = nullptr;
  if (VPXDevices::WINDOW_DEVICE_ID == deviceID) placeWindowForWindowedMode();
  openDeviceFor(deviceID);
  DBG_ASSERT(deviceIsOpen());
}

EGLDevice* currentDevice() {
  DBG_ASSERT(deviceIsOpen());
  return fCurrentDevice;
}

std::int32_t currentDeviceID() {
  return mDeviceID;
}

EGL* graphicsEGL() {
  return fEGL;
}

EGLSpace* space() {
  return fSpace;
}

EGLSpriteType* spriteType(std::int32_t spriteTypeID) {
  const auto found = fSpriteTypes.find(spriteTypeID);
  DBG_ASSERT("Known sprite type ID." && (fSpriteTypes.end() != found));
  return found->second;
}

EGLFont* font(std::int32_t fontID) {
  const auto found = fFonts.find(fontID);
  DBG_ASSERT("Known font ID." && (fFonts.end() != found));
  return found->second;
}

void clearScreen(EGLColor color) {
  DBG_ASSERT(fEGL);
  fEGL->clear(color);
}
