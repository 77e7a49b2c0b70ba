// The plate behind the hall of fame and the name entry, and the deep-space scenery behind
// the play field.
#include "pictures.h"

namespace imagegen {

Picture drawPlate(int side) {
  Canvas canvas(side, side);
  const double half = side / 2.0;
  // The plate is stretched to roughly 940 x 424 units: shape it in that view so its rim is
  // equally thick all round and its corners are round there. The game already leaves 20
  // units between the text and the plate's edge, so the panel fills the whole picture.
  const double aspect = 940.0 / 424.0;
  const double pixel = 1.0 / half;
  const Rgb rim{0.6, 0.85, 1.0};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Vec2 p{(x + 0.5 - half) / half, -(y + 0.5 - half) / half};
      auto distance = [aspect](Vec2 q) {
        return sdRoundBox({q.x * aspect, q.y}, {0.985 * aspect, 0.97}, 0.1);
      };
      double d = distance(p);
      // One texel spans more of the stretched view across than down: smooth by the real step.
      double gx = distance(p + Vec2{pixel, 0.0}) - d, gy = distance(p + Vec2{0.0, pixel}) - d;
      double step = std::max(std::sqrt(gx * gx + gy * gy), 1e-9);
      double inside = coverage(d, step);
      Rgb panel = mix(Rgb{0.02, 0.03, 0.09}, Rgb{0.07, 0.1, 0.22}, smoothstep(-0.9, 0.9, p.y));
      Rgba out = premultiplied(panel, 0.78 * inside);
      double innerGlow = std::exp(d / 0.05) * inside;
      out = over(premultiplied(rim, 0.3 * innerGlow), out);
      double line = coverage(std::abs(d + 0.012) - 0.007, step);
      out = over(premultiplied(mix(rim, Rgb{1.0, 1.0, 1.0}, 0.4), 0.9 * line), out);
      canvas.at(x, y) = out;
    }
  }
  return toAlphaPicture(canvas);
}

namespace {

Rgb starColour(double temperature) {
  // From red dwarfs through white to hot blue stars.
  if (temperature < 0.5) return mix(Rgb{1.0, 0.7, 0.45}, Rgb{1.0, 0.97, 0.9}, temperature * 2.0);
  return mix(Rgb{1.0, 0.97, 0.9}, Rgb{0.7, 0.82, 1.0}, (temperature - 0.5) * 2.0);
}

}  // namespace

Picture drawScenery(int side) {
  Canvas canvas(side, side);
  const double scale = side / 1024.0;
  std::vector<Rgb> sky(side * side);
  std::vector<float> density(side * side);
  // Faint nebulae of violet and teal over near-black, torn by darker dust. Kept dark: the
  // blobs must stand out against every part of it, and it is turned at random.
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      double u = x / static_cast<double>(side) * 3.2, v = y / static_cast<double>(side) * 3.2;
      double wx = fractalNoise(u + 11.0, v, 4, 101), wy = fractalNoise(u, v + 7.0, 4, 202);
      double n1 = fractalNoise(u + 1.8 * wx, v + 1.8 * wy, 6, 303);
      double n2 = fractalNoise(u * 1.3 - 1.4 * wy, v * 1.3 + 1.4 * wx, 6, 404);
      double dust = fractalNoise(u * 2.0 + 5.0, v * 2.0, 5, 505);
      double violet = smoothstep(0.45, 0.8, n1);
      double teal = smoothstep(0.5, 0.85, n2);
      double clear = 1.0 - 0.65 * smoothstep(0.5, 0.7, dust);
      Rgb c =
          Rgb{0.008, 0.01, 0.026} + (Rgb{0.13, 0.04, 0.19} * violet + Rgb{0.02, 0.09, 0.14} * teal) * clear;
      sky[y * side + x] = c;
      density[y * side + x] = static_cast<float>(0.3 + 0.7 * std::max(violet, teal) * clear);
    }
  }
  auto splat = [&](double cx, double cy, double radius, Rgb light) {
    int x0 = static_cast<int>(cx - radius * 3 - 1), x1 = static_cast<int>(cx + radius * 3 + 1);
    int y0 = static_cast<int>(cy - radius * 3 - 1), y1 = static_cast<int>(cy + radius * 3 + 1);
    for (int y = std::max(0, y0); y <= std::min(side - 1, y1); ++y) {
      for (int x = std::max(0, x0); x <= std::min(side - 1, x1); ++x) {
        double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
        double g = std::exp(-(dx * dx + dy * dy) / (2.0 * radius * radius));
        sky[y * side + x] = sky[y * side + x] + light * g;
      }
    }
  };
  Random random(0x5CE9E);
  const int starCount = static_cast<int>(2600 * scale * scale);
  for (int i = 0; i < starCount; ++i) {
    double x = random.uniform(0.0, side), y = random.uniform(0.0, side);
    double near = density[static_cast<int>(y) * side + static_cast<int>(x)];
    if (random.uniform(0.0, 1.0) > near) continue;  // stars gather in the nebulae
    double brightness = std::pow(random.uniform(0.0, 1.0), 3.0);
    splat(x, y, (0.55 + 0.6 * brightness) * scale,
          starColour(random.uniform(0.0, 1.0)) * (0.25 + 0.75 * brightness));
  }
  // A few bright stars with halos.
  for (int i = 0; i < 24; ++i) {
    double x = random.uniform(0.0, side), y = random.uniform(0.0, side);
    Rgb colour = starColour(random.uniform(0.2, 1.0));
    splat(x, y, 1.1 * scale, colour * 0.9);
    splat(x, y, 5.0 * scale, colour * 0.05);
  }
  // A distant spiral galaxy.
  const Vec2 galaxy{side * 0.68, side * 0.3};
  const double galaxySize = side * 0.07;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Vec2 p = rotate(Vec2{x + 0.5, y + 0.5} - galaxy, 0.5) * (1.0 / galaxySize);
      p.y *= 2.2;
      double r = length(p);
      if (r > 3.0) continue;
      double arms = 0.5 + 0.5 * std::cos(2.0 * (std::atan2(p.y, p.x) - 2.4 * std::log(r + 0.05)));
      double light = std::exp(-r * 1.6) * (0.35 + 0.65 * arms) * 0.16 + 0.3 * std::exp(-r * r * 20.0);
      sky[y * side + x] = sky[y * side + x] + Rgb{0.75, 0.8, 1.0} * light;
    }
  }
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const Rgb& c = sky[y * side + x];
      canvas.at(x, y) = {clamp01(c.r), clamp01(c.g), clamp01(c.b), 1.0};
    }
  }
  return toOpaquePicture(canvas);
}

}  // namespace imagegen
