// The game's graphics set-up: everything graphical that lives for the whole run. It chooses the
// display device from the game's own table of display modes, loads the eleven pictures, builds
// the ten sprite types, the two fonts and the one space everything is drawn in, switches the
// display mode when the menu asks, and closes and reopens the device after a loss. Screens fetch
// the space, sprite types and fonts from here by id; nobody else touches the textures.
//
// The EGL and the window are the platform's; the set-up only borrows them between
// openGraphics and closeGraphics.
#pragma once

#include <cstdint>
#include <vector>

#include "egl/egl.h"
#include "egl/eglsprite.h"
#include "egl/egltext.h"

class EGCWindow;

// The game's display modes and how a device description is chosen for one.
struct VPXDevices {
  enum : std::int32_t {
    MIN_DEVICE_ID = 0,  // exclusive
    WINDOW_DEVICE_ID = 1,
    LOW_RESOLUTION_ID = 2,
    MEDIUM_RESOLUTION_ID = 3,
    HIGH_RESOLUTION_ID = 4,
    MAX_DEVICE_ID = 5,  // exclusive
  };

  enum : std::int32_t { RATIO_CHECK_OFF = 0, RATIO_CHECK_ON = 1 };

  struct DeviceRecord {
    std::int32_t id;
    std::int32_t type;    // EGLDeviceType
    std::int32_t target;  // EGLDeviceTarget
    std::int32_t minWidth;
    std::int32_t minHeight;
    std::int32_t minRate;     // Hz
    std::int32_t ratioCheck;  // only the low byte counts
    std::int32_t ratioWidth;
    std::int32_t ratioHeight;
  };

  static constexpr std::int32_t DEVICE_RECORD_COUNT = 4;
  static const DeviceRecord DEVICE_RECORDS[DEVICE_RECORD_COUNT];

  // The record of a device id; an id outside the table is an assertion.
  static const DeviceRecord& deviceRecord(std::int32_t deviceID);
  // The descriptions in the order they are tried: smaller area first, then lower rate (0, the
  // display's default, first), then the default adapter, then the format without alpha.
  static void sortDevices(std::vector<EGLDevice*>& descriptions);
  // The first description in that order that fits the id's record. When none does, the first
  // criterion (type, target, width, height, rate, ratio) that no description met fails, or
  // "Device found." when each was met by some.
  static EGLDevice* chooseDevice(std::vector<EGLDevice*> descriptions, std::int32_t deviceID);
  // The same over the EGL's current descriptions.
  static EGLDevice* chooseDevice(EGL* egl, std::int32_t deviceID);
};

enum VPXTextureIDs : std::int32_t {
  MIN_TEXTURE_ID = 0,  // exclusive
  FONT_TEXTURE = 1,
  BLOBS_TEXTURE = 2,
  PILLS_TEXTURE = 3,
  BULLETS_TEXTURE = 4,
  GUN_TEXTURE = 5,
  VORPLEX_TEXTURE = 6,
  TARNWICK_TEXTURE = 7,
  PARTICLES_TEXTURE = 8,
  STARS_TEXTURE = 9,
  PLATE_TEXTURE = 10,
  SCENERY_TEXTURE = 11,
  MAX_TEXTURE_ID = 12,  // exclusive
};

enum VPXSpriteTypeIDs : std::int32_t {
  MIN_SPRITE_TYPE_ID = 0,  // exclusive
  BLOB_SPRITE = 1,
  PILL_SPRITE = 2,
  BULLET_SPRITE = 3,
  GUN_SPRITE = 4,
  VORPLEX_LOGO_SPRITE = 5,
  TARNWICK_LOGO_SPRITE = 6,
  PARTICLE_SPRITE = 7,
  STAR_SPRITE = 8,
  PLATE_SPRITE = 9,
  SCENERY_SPRITE = 10,
  MAX_SPRITE_TYPE_ID = 11,  // exclusive
};

enum VPXFontIDs : std::int32_t {
  MIN_FONT_ID = 0,  // exclusive
  SMALL_FONT = 1,
  LARGE_FONT = 2,
  MAX_FONT_ID = 3,  // exclusive
};

// The tables the set-up builds from, in the order it builds them.
struct VPXTextureRecord {
  std::int32_t id;
  const char* fileName;
};
struct VPXSpriteTypeRecord {
  std::int32_t id;
  std::int32_t blendingKind;
  std::int32_t textureID;
  std::int32_t frameColumnCount;
  std::int32_t frameRowCount;
  float width;
  float height;
  float hotSpotX;
  float hotSpotY;
};
struct VPXFontRecord {
  std::int32_t id;
  std::int32_t textureID;
  std::int32_t widthMode;
  float glyphSpaceX;
  float glyphSpaceY;
  float frameWidth;
  float frameHeight;
};
extern const std::vector<VPXTextureRecord> VPX_TEXTURE_RECORDS;
extern const std::vector<VPXSpriteTypeRecord> VPX_SPRITE_TYPE_RECORDS;
extern const std::vector<VPXFontRecord> VPX_FONT_RECORDS;

// Opens the EGL (which must be CLOSED) in the medium resolution, then the textures, sprite types,
// fonts and space. The pictures are found with egcFindDataFile. The window is only needed to
// switch to WINDOW_DEVICE_ID (it is put back to 800 x 600 at the top left first); it may be null
// when that mode is never chosen.
void openGraphics(EGL* egl, EGCWindow* window);
// Closes everything in reverse and leaves the EGL CLOSED (not destroyed: it is the platform's).
void closeGraphics();
// After a device loss: closes the EGL, keeping every texture and stream in memory.
void closeDevice();
// Opens the EGL again in the mode last chosen; everything drawn before draws again unchanged.
void reopenDevice();
// Switches to another display mode (a VPXDevices id).
void changeDevice(std::int32_t deviceID);

bool deviceIsOpen();
bool texturesAreOpen();
bool spriteTypesAreOpen();
bool fontsAreOpen();
bool spaceIsOpen();

// The description the EGL is open on.
EGLDevice* currentDevice();
// The VPXDevices id last opened.
std::int32_t currentDeviceID();
// The EGL the set-up was opened on (null before).
EGL* graphicsEGL();
// The world: -800 .. 800 by -600 .. 600, origin at the centre, y up. Null before opening.
EGLSpace* space();
// Unknown ids are assertions.
EGLSpriteType* spriteType(std::int32_t spriteTypeID);
EGLFont* font(std::int32_t fontID);
// Clears the whole picture (inside a scene).
void clearScreen(EGLColor color);
