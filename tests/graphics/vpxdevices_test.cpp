// Choosing a display device from hand-made description lists.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/vpxgraphics.h"
#include "support/testplatform.h"

namespace {

// What a display reports for one mode, as plain values.
struct Mode {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rate = 0;
  std::int32_t target = SCREEN_TARGET;
  std::int32_t format = RGB_FORMAT;
  bool defaultAdapter = true;
  std::int32_t type = HARDWARE_DEVICE;
};

class Description final : public EGLDevice {
 public:
  explicit Description(const Mode& mode) : mMode(mode) {}
  std::int32_t format() const override { return mMode.format; }
  std::int32_t height() const override { return mMode.height; }
  bool isDefaultAdapter() const override { return mMode.defaultAdapter; }
  std::string name() const override { return "hand-made"; }
  std::int32_t rate() const override { return mMode.rate; }
  std::int32_t target() const override { return mMode.target; }
  std::int32_t type() const override { return mMode.type; }
  std::int32_t width() const override { return mMode.width; }

 private:
  Mode mMode;
};

// Owns the descriptions; the list hands out their pointers in the order given.
struct Descriptions {
  std::vector<std::unique_ptr<Description>> owned;
  std::vector<EGLDevice*> list;

  Descriptions(const std::vector<Mode>& modes) {  // NOLINT: a list of modes reads best in braces
    for (const Mode& mode : modes) {
      owned.push_back(std::make_unique<Description>(mode));
      list.push_back(owned.back().get());
    }
  }
  EGLDevice* operator[](std::size_t i) const { return list[i]; }
};

TEST(DeviceChoice, EachResolutionGetsTheSmallestModeAtLeastItsMinimum) {
  // Listed out of order, as adapters do not sort their modes.
  const Descriptions d({{800, 600, 85}, {1024, 768, 60}, {800, 600, 60}, {640, 480, 60}});
  EXPECT_EQ(VPXDevices::chooseDevice(d.list, VPXDevices::MEDIUM_RESOLUTION_ID), d[2]);
  EXPECT_EQ(VPXDevices::chooseDevice(d.list, VPXDevices::HIGH_RESOLUTION_ID), d[1]);
  EXPECT_EQ(VPXDevices::chooseDevice(d.list, VPXDevices::LOW_RESOLUTION_ID), d[3]);

  // The 4:3 check is off, so a 5:4 mode serves when it is the only one large enough.
  const Descriptions large({{800, 600, 60}, {1280, 1024, 60}});
  EXPECT_EQ(VPXDevices::chooseDevice(large.list, VPXDevices::HIGH_RESOLUTION_ID), large[1]);
}

TEST(DeviceChoice, TiesGoToTheDefaultRateThenTheDefaultAdapterThenNoAlpha) {
  // A rate of 0 (the display's default) passes the 50 Hz minimum and sorts first.
  const Descriptions rates({{800, 600, 60}, {800, 600, 0}, {800, 600, 30}});
  EXPECT_EQ(VPXDevices::chooseDevice(rates.list, VPXDevices::MEDIUM_RESOLUTION_ID), rates[1]);
  const Descriptions adapters({{800, 600, 60, SCREEN_TARGET, RGB_FORMAT, false},
                               {800, 600, 60, SCREEN_TARGET, ARGB_FORMAT, true},
                               {800, 600, 60, SCREEN_TARGET, RGB_FORMAT, true}});
  EXPECT_EQ(VPXDevices::chooseDevice(adapters.list, VPXDevices::MEDIUM_RESOLUTION_ID), adapters[2]);
  // A slow mode is skipped for a faster one of the same size.
  const Descriptions slow({{800, 600, 30}, {800, 600, 75}});
  EXPECT_EQ(VPXDevices::chooseDevice(slow.list, VPXDevices::MEDIUM_RESOLUTION_ID), slow[1]);
}

TEST(DeviceChoice, TheWindowGetsTheWindowedDescription) {
  const Descriptions d({{640, 480, 60},
                        {1024, 768, 60, WINDOW_TARGET, ARGB_FORMAT},
                        {1024, 768, 60, WINDOW_TARGET, RGB_FORMAT},
                        {800, 600, 60}});
  EXPECT_EQ(VPXDevices::chooseDevice(d.list, VPXDevices::WINDOW_DEVICE_ID), d[2]);
}

TEST(DeviceChoice, NoMatchNamesTheFirstCriterionNoDescriptionMet) {
  struct Case {
    const char* what;
    std::vector<Mode> modes;
    std::int32_t id;
    const char* text;
  };
  const std::vector<Case> cases{
      {"only reference devices",
       {{800, 600, 60, SCREEN_TARGET, RGB_FORMAT, true, REFERENCE_DEVICE}},
       VPXDevices::MEDIUM_RESOLUTION_ID,
       "someDevicesHaveOkType"},
      {"no window", {{800, 600, 60}}, VPXDevices::WINDOW_DEVICE_ID, "someDevicesHaveOkTarget"},
      {"only 800 x 600",
       {{800, 600, 60}, {800, 600, 85}},
       VPXDevices::HIGH_RESOLUTION_ID,
       "someDevicesHaveOkWidth"},
      {"wide but low", {{1280, 720, 60}}, VPXDevices::HIGH_RESOLUTION_ID, "someDevicesHaveOkHeight"},
      {"too slow", {{800, 600, 30}}, VPXDevices::MEDIUM_RESOLUTION_ID, "someDevicesHaveOkRate"},
      // Type and size are each met by some description, but never together.
      {"criteria met apart",
       {{1024, 600, 60}, {800, 768, 60}, {1024, 768, 60, SCREEN_TARGET, RGB_FORMAT, true, REFERENCE_DEVICE}},
       VPXDevices::HIGH_RESOLUTION_ID,
       "\"Device found.\" && (i < DEVICE_COUNT)"},
      {"a negative rate", {{800, 600, -1}}, VPXDevices::MEDIUM_RESOLUTION_ID, "0 <= rate"},
      {"an empty list", {}, VPXDevices::MEDIUM_RESOLUTION_ID, "0 < DEVICE_COUNT"},
      {"id 0",
       {{800, 600, 60}},
       0,
       "(VPXDevices::MIN_DEVICE_ID < deviceID) && (deviceID < VPXDevices::MAX_DEVICE_ID)"},
      {"id 5",
       {{800, 600, 60}},
       5,
       "(VPXDevices::MIN_DEVICE_ID < deviceID) && (deviceID < VPXDevices::MAX_DEVICE_ID)"},
  };
  for (const Case& c : cases) {
    const Descriptions d(c.modes);
    const DBGException failure = caughtException([&] { VPXDevices::chooseDevice(d.list, c.id); });
    EXPECT_STREQ(failure.description(), c.text) << c.what;
    EXPECT_STREQ(failure.title(), "Assertion failure") << c.what;
    EXPECT_STREQ(failure.file(), "vpxgraphics") << c.what;
  }

  const Descriptions d({{800, 600, 60}});
  const DBGException missing = caughtException([&] {
    VPXDevices::chooseDevice({d[0], nullptr}, VPXDevices::MEDIUM_RESOLUTION_ID);
  });
  EXPECT_STREQ(missing.description(), "device");
}

}  // namespace
