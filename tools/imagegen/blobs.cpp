// Blobs and bullets. Both carry their colour's shape mark so that players who cannot tell
// the colours apart can still match bullets to blobs.
#include "pictures.h"

namespace imagegen {

Texel colourArgb(int colourIndex) {
  static const Texel colours[] = {RED_ARGB, GREEN_ARGB, BLUE_ARGB, PURPLE_ARGB};
  return colours[colourIndex];
}

double colourMarkDistance(int colourIndex, Vec2 p) {
  switch (colourIndex) {
    case 0:  // red: a ring
      return std::abs(length(p) - 0.72) - 0.2;
    case 1:  // green: a cross
      return std::min(sdRoundBox(p, {0.95, 0.26}, 0.08), sdRoundBox(p, {0.26, 0.95}, 0.08));
    case 2: {  // blue: a triangle standing on its base
      static const std::vector<Vec2> triangle = {{0.0, 0.92}, {-0.86, -0.58}, {0.86, -0.58}};
      return sdPolygon(p, triangle) - 0.06;
    }
    default: {  // purple: a five-pointed star
      static const std::vector<Vec2> star = starPoints(5, 1.05, 0.45);
      return sdPolygon(p, star) - 0.03;
    }
  }
}

namespace {

struct Bubble {
  Vec2 centre;
  double radius;
};

const Rgb WHITE{1.0, 1.0, 1.0};

Canvas drawBlobFrame(int size, int colourIndex, int look, Random& random) {
  Canvas frame(size, size);
  const double half = size / 2.0;
  const double pixel = 1.0 / half;
  const Rgb base = rgbOf(colourArgb(colourIndex));
  const Rgb light = mix(base, WHITE, 0.5);
  // Light marks on the darker colours, a dark one on the bright green.
  const Rgb markTint = (colourIndex == 1) ? base * 0.35 : light;

  // An irregular outline: a few low harmonics on a circle, stronger on the lumpy look.
  const double irregularity[] = {0.022, 0.028, 0.03, 0.05};
  double amplitude[7] = {}, phase[7] = {};
  for (int k = 2; k <= 6; ++k) {
    amplitude[k] = irregularity[look] * random.uniform(0.5, 1.0) / std::sqrt(k - 1.0);
    phase[k] = random.uniform(0.0, 2.0 * PI);
  }
  auto outline = [&](double angle) {
    double r = 1.0;
    for (int k = 2; k <= 6; ++k) r += amplitude[k] * std::cos(k * angle + phase[k]);
    return r;
  };
  double widest = 0.0;
  for (int i = 0; i < 720; ++i) widest = std::max(widest, outline(i * PI / 360.0));
  const double radiusScale = 0.92 / widest;  // the widest lobe stays inside the frame
  const double softness = 0.035;

  std::vector<Bubble> bubbles;
  if (look == 1) {
    int count = random.integer(5, 7);
    for (int i = 0; i < count; ++i) {
      double angle = random.uniform(0.0, 2.0 * PI), distance = random.uniform(0.2, 0.62);
      bubbles.push_back(
          {{distance * std::cos(angle), distance * std::sin(angle)}, random.uniform(0.05, 0.12)});
    }
  }
  const Vec2 nucleus{random.uniform(-0.2, 0.2), random.uniform(-0.25, 0.05)};
  const std::uint32_t seed = static_cast<std::uint32_t>(random.next());

  const double lightLength = std::sqrt(0.45 * 0.45 + 0.55 * 0.55 + 0.7 * 0.7);
  const double lx = -0.45 / lightLength, ly = 0.55 / lightLength, lz = 0.7 / lightLength;
  const double hl = std::sqrt(lx * lx + ly * ly + (lz + 1) * (lz + 1));
  const double hx = lx / hl, hy = ly / hl, hz = (lz + 1) / hl;

  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Vec2 p{(x + 0.5 - half) / half, -(y + 0.5 - half) / half};
      double r = length(p);
      double rho = radiusScale * outline(std::atan2(p.y, p.x));
      double s = r / rho;
      if (s > 1.0 + softness) continue;
      double alpha = smoothstep(1.0 + 0.4 * softness, 1.0 - 1.6 * softness, s);
      double sc = std::min(s, 1.0);
      double nz = std::sqrt(std::max(0.0, 1.0 - sc * sc));
      double nx = (r > 0 ? p.x / r : 0.0) * sc, ny = (r > 0 ? p.y / r : 0.0) * sc;
      double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
      double facing = std::max(0.0, nx * hx + ny * hy + nz * hz);

      Rgb tint = base;
      if (look == 2) {
        // Marbled: slow swirls of lighter and darker jelly.
        double t = fractalNoise(p.x * 1.4 + 3.0, p.y * 1.4, 3, seed);
        double bands = 0.5 + 0.5 * std::sin(16.0 * t + 2.5 * p.x);
        tint = mix(tint, light, 0.3 * smoothstep(0.6, 1.0, bands));
        tint = tint * (1.0 - 0.12 * smoothstep(0.0, 0.4, bands));
      } else if (look == 3) {
        // A darker nucleus floating in the jelly.
        double d = length(p - nucleus) - 0.3;
        tint = tint * (1.0 - 0.35 * smoothstep(0.08, -0.08, d));
      } else if (look == 0) {
        tint = tint * (0.94 + 0.12 * fractalNoise(p.x * 3.0, p.y * 3.0, 3, seed));
      }

      // The colour's mark, faint, as if embedded in the jelly.
      const double markSize = 0.4;
      double markCover = coverage(colourMarkDistance(colourIndex, p * (1.0 / markSize)) * markSize, pixel);
      tint = mix(tint, markTint, 0.38 * markCover);

      Rgb colour = tint * (0.28 + 0.8 * diffuse);
      colour = colour + tint * (0.3 * std::pow(1.0 - sc * sc, 2.0));  // light scattered inside
      // A cool rim light from behind, lower right.
      double back = std::max(0.0, (nx * 0.6 - ny * 0.8) / std::max(sc, 1e-6));
      colour = colour + light * (0.45 * std::pow(1.0 - nz, 3.0) * back);

      for (const Bubble& b : bubbles) {
        double d = length(p - b.centre) - b.radius;
        colour = mix(colour, light, 0.12 * coverage(d, pixel) + 0.45 * coverage(std::abs(d) - 0.012, pixel));
        Vec2 glint = b.centre + Vec2{-0.35 * b.radius, 0.35 * b.radius};
        colour = mix(colour, WHITE, 0.75 * coverage(length(p - glint) - 0.22 * b.radius, pixel));
      }
      if (look == 3) {
        for (int i = 0; i < 9; ++i) {
          Vec2 granule{0.55 * std::cos(i * 2.4 + 0.7), 0.55 * std::sin(i * 2.4 + 0.7) * (0.6 + 0.04 * i)};
          colour = mix(colour, light, 0.3 * coverage(length(p - granule) - 0.035, pixel));
        }
      }
      colour = colour + WHITE * (0.95 * std::pow(facing, 60.0) + 0.12 * std::pow(facing, 6.0));
      colour = {clamp01(colour.r), clamp01(colour.g), clamp01(colour.b)};
      frame.at(x, y) = premultiplied(colour, alpha);
    }
  }
  return frame;
}

Canvas drawBulletFrame(int size, int colourIndex) {
  Canvas frame(size, size);
  const double half = size / 2.0;
  const double pixel = 1.0 / half;
  const Rgb base = rgbOf(colourArgb(colourIndex));
  const double core = 0.64;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Vec2 p{(x + 0.5 - half) / half, -(y + 0.5 - half) / half};
      double r = length(p);
      // The glow fades out well inside the frame so no square edge shows.
      double glow = std::exp(-std::pow(r / 0.6, 2.0)) * (1.0 - smoothstep(0.75, 0.98, r));
      Rgba colour = premultiplied(mix(base, WHITE, 0.25), 0.8 * glow);
      double coreAlpha = smoothstep(core + 0.03, core - 0.05, r);
      if (coreAlpha > 0.0) {
        double s = std::min(r / core, 1.0);
        double nz = std::sqrt(1.0 - s * s);
        Rgb body = mix(base, WHITE, 0.75 * std::pow(nz, 3.0));
        double markCover = coverage(colourMarkDistance(colourIndex, p * (1.0 / 0.38)) * 0.38, pixel);
        body = mix(body, base * 0.45, 0.8 * markCover);
        Vec2 glint = p - Vec2{-0.2, 0.22};
        body = mix(body, WHITE, 0.85 * smoothstep(0.1, 0.03, length(glint)));
        colour = over(premultiplied(body, coreAlpha), colour);
      }
      frame.at(x, y) = colour;
    }
  }
  return frame;
}

}  // namespace

Picture drawBlobs(int side) {
  const int frameSize = side / 4;
  Canvas sheet(side, side);
  Random random(0xB10B5);
  for (int row = 0; row < 4; ++row) {
    for (int look = 0; look < 4; ++look) {
      sheet.place(drawBlobFrame(frameSize, row, look, random), look * frameSize, row * frameSize);
    }
  }
  return toAlphaPicture(sheet);
}

Picture drawBullets(int side) {
  const int frameSize = side / 2;
  Canvas sheet(side, side);
  for (int colourIndex = 0; colourIndex < 4; ++colourIndex) {
    // Green and purple sit in column 1, blue and purple in row 1.
    int column = (colourIndex == 1 || colourIndex == 3) ? 1 : 0;
    int row = (colourIndex == 2 || colourIndex == 3) ? 1 : 0;
    sheet.place(drawBulletFrame(frameSize, colourIndex), column * frameSize, row * frameSize);
  }
  return toAlphaPicture(sheet);
}

}  // namespace imagegen
