// Where the gallery puts everything, in world units (x right, y up, origin at the centre of the
// 1600 x 1200 world). Shared with the screenshot test, which checks colours at these places.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/vpxgraphics.h"

namespace gallery {

constexpr EGLColor BACKGROUND = 0xFF203040;

// One picture, its hot spot at (x, y), drawn width x height world units.
struct Placement {
  std::int32_t spriteTypeID;
  float x;
  float y;
  float width;
  float height;
};

// Every frame of a sprite type in order, perLine to a line, lines going down.
struct SpriteRow {
  std::int32_t spriteTypeID;
  float firstX;
  float firstY;
  float step;
  float size;
  std::int32_t perLine;
};

inline const std::vector<SpriteRow> SPRITE_ROWS = {
    {BLOB_SPRITE, -742.0f, 230.0f, 99.0f, 90.0f, 16},    {BULLET_SPRITE, -740.0f, 70.0f, 76.0f, 64.0f, 4},
    {PARTICLE_SPRITE, -420.0f, 70.0f, 76.0f, 72.0f, 16}, {STAR_SPRITE, -740.0f, -80.0f, 76.0f, 64.0f, 16},
    {PILL_SPRITE, -756.0f, -190.0f, 48.0f, 44.0f, 8},
};

inline Placement framePlacement(const SpriteRow& row, std::int32_t frame) {
  return Placement{row.spriteTypeID, row.firstX + row.step * static_cast<float>(frame % row.perLine),
                   row.firstY - row.step * static_cast<float>(frame / row.perLine), row.size, row.size};
}

inline const std::vector<Placement> SINGLE_PICTURES = {
    {VORPLEX_LOGO_SPRITE, -450.0f, 600.0f, 600.0f, 300.0f},  // hangs from its top edge
    {TARNWICK_LOGO_SPRITE, 40.0f, 330.0f, 240.0f, 240.0f},   // stands on its bottom edge
    {GUN_SPRITE, 320.0f, 450.0f, 180.0f, 180.0f},           {PLATE_SPRITE, 530.0f, 450.0f, 200.0f, 140.0f},
    {SCENERY_SPRITE, 715.0f, 450.0f, 150.0f, 150.0f},
};

// A label anchored at the middle of its left edge.
struct TextLine {
  std::int32_t fontID;
  float x;
  float y;
  EGLColor color;
  const char* text;
};

inline const std::vector<TextLine> TEXT_LINES = {
    {SMALL_FONT, -330.0f, -180.0f, 0xFFFFFFFF, "The quick brown fox jumps over the lazy dog."},
    {SMALL_FONT, -330.0f, -230.0f, 0xFFFFFFFF, "0123456789 +-*/=()[]!?.,:;'\"&%$#@"},
    // Latin-1 bytes: umlauts, sharp s, accents, tilde, cedilla, copyright, inverted marks.
    {SMALL_FONT, -330.0f, -280.0f, 0xFFC0E0FF,
     "\xC4\xD6\xDC \xE4\xF6\xFC \xDF \xE9\xE8\xEA \xF1 \xE7 \xA9 \xBF\xA1"},
    {LARGE_FONT, -330.0f, -360.0f, 0xFFFFFFFF, "VORPLEX 1.0"},
    {LARGE_FONT, -330.0f, -450.0f, 0xFFFFC040, "Score 123450"},
    {LARGE_FONT, -330.0f, -540.0f, 0xFFFF5050, "Game over"},
};

}  // namespace gallery
