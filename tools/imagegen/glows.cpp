// Soft lights: the intro's particles (added onto the screen, 300 to 400 units wide, sixteen
// hues) and the twinkling stars behind the hall of fame (alpha blended, 200 to 500 units).
// Both fade to nothing well inside their frames so no square edge ever shows.
#include "pictures.h"

namespace imagegen {

Picture drawParticles(int side) {
  const int frameSize = side / 4;
  const double half = frameSize / 2.0;
  const Rgb white{1.0, 1.0, 1.0};
  Canvas sheet(side, side);
  for (int k = 0; k < 16; ++k) {
    // Spread the hues so neighbouring frames differ clearly.
    Rgb hue = hsv(((k * 5) % 16) / 16.0, 0.85, 1.0);
    int ox = (k % 4) * frameSize, oy = (k / 4) * frameSize;
    for (int y = 0; y < frameSize; ++y) {
      for (int x = 0; x < frameSize; ++x) {
        Vec2 p{(x + 0.5 - half) / half, (y + 0.5 - half) / half};
        double s2 = std::min(1.0, dot(p, p));
        double window = std::pow(1.0 - s2, 3.0);
        double body = 0.38 * std::exp(-s2 / 0.16) + 0.2 * window;
        double core = 0.4 * std::exp(-s2 / 0.012);
        Rgb light = (hue * body + mix(hue, white, 0.6) * core) * window;
        sheet.at(ox + x, oy + y) = {clamp01(light.r), clamp01(light.g), clamp01(light.b), 1.0};
      }
    }
  }
  return toAdditivePicture(sheet);
}

Picture drawStars(int side) {
  const int frameSize = side / 4;
  const double half = frameSize / 2.0;
  const double pixel = 1.0 / half;
  const Rgb white{1.0, 1.0, 1.0};
  const Rgb tints[] = {{1.0, 1.0, 1.0}, {0.75, 0.85, 1.0}, {1.0, 0.92, 0.7}, {1.0, 0.8, 0.92}};
  Canvas sheet(side, side);
  Random random(0x57A25);
  for (int k = 0; k < 16; ++k) {
    const int rays = (k % 3 == 0) ? 6 : (k % 3 == 1 ? 4 : 8);
    const double turn = random.uniform(0.0, PI / rays);
    const double mainLength = random.uniform(0.75, 0.95);
    const double sideLength = mainLength * random.uniform(0.35, 0.6);
    const double width = random.uniform(0.035, 0.06);
    const bool ringed = k % 5 == 2;
    const Rgb tint = tints[k % 4];
    int ox = (k % 4) * frameSize, oy = (k / 4) * frameSize;
    for (int y = 0; y < frameSize; ++y) {
      for (int x = 0; x < frameSize; ++x) {
        Vec2 p{(x + 0.5 - half) / half, (y + 0.5 - half) / half};
        double r = length(p);
        double light = 0.0;
        for (int i = 0; i < rays * 2; ++i) {
          // Long rays alternate with short ones between them.
          double angle = turn + i * PI / rays;
          double reach = (i % 2 == 0) ? mainLength : sideLength;
          Vec2 dir{std::cos(angle), std::sin(angle)};
          double along = dot(p, dir);
          if (along <= 0.0 || along >= reach) continue;
          double t = along / reach;
          double across = std::abs(p.x * dir.y - p.y * dir.x);
          double w = width * (1.0 - t) + 0.5 * pixel;
          light = std::max(light, smoothstep(w, 0.0, across) * std::pow(1.0 - t, 1.6));
        }
        double core = std::exp(-std::pow(r / 0.09, 2.0));
        double halo = 0.35 * std::exp(-std::pow(r / 0.28, 2.0));
        if (ringed) halo += 0.25 * std::exp(-std::pow((r - 0.42) / 0.03, 2.0));
        double alpha = clamp01(light + core + halo) * (1.0 - smoothstep(0.85, 0.98, r));
        Rgb colour = mix(tint, white, clamp01(core + 0.5 * light));
        sheet.at(ox + x, oy + y) = premultiplied(colour, alpha);
      }
    }
  }
  return toAlphaPicture(sheet);
}

}  // namespace imagegen
