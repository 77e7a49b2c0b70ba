// The pill sheet: 8 x 8 capsules, one per effect id (id - 1 = row x 8 + column). Rows 0-2 are
// green, 3-4 yellow, 5-7 red. A pill is drawn only 32 units wide, so every effect that does
// something wears one bold sign: its points, or a symbol for shield, speed, reverse and blast.
#include <string>

#include "pictures.h"

namespace imagegen {

namespace {

enum class Sign { None, Points, ShieldUp, ShieldDown, SlowDown, SpeedUp, Reverse, DestroyAll };

struct PillLook {
  Sign sign = Sign::None;
  int points = 0;  // signed, for Sign::Points
};

PillLook lookOf(int effectId) {
  if (effectId == 1) return {Sign::Points, 100};
  if (effectId >= 2 && effectId <= 16) return {Sign::Points, (effectId - 1) * 1000};
  if (effectId == 17) return {Sign::ShieldUp};
  if (effectId == 18) return {Sign::SlowDown};
  if (effectId == 25) return {Sign::Reverse};
  if (effectId == 26) return {Sign::DestroyAll};
  if (effectId == 41) return {Sign::Points, -100};
  if (effectId >= 42 && effectId <= 56) return {Sign::Points, -(effectId - 41) * 1000};
  if (effectId == 57) return {Sign::ShieldDown};
  if (effectId == 58) return {Sign::SpeedUp};
  return {};
}

Texel rowColour(int row) {
  return row <= 2 ? GREEN_ARGB : (row <= 4 ? YELLOW_ARGB : RED_ARGB);
}

std::vector<Vec2> shifted(std::vector<Vec2> points, Vec2 by, double flipY = 1.0) {
  for (Vec2& p : points) p = Vec2{p.x, p.y * flipY} + by;
  return points;
}

// Signed distance of a symbol in pill units (half a frame, y up).
double symbolDistance(Sign sign, Vec2 p) {
  switch (sign) {
    case Sign::ShieldUp:
    case Sign::ShieldDown: {
      static const std::vector<Vec2> shield = {{-0.3, 0.38}, {0.3, 0.38},   {0.3, 0.06}, {0.2, -0.18},
                                               {0.0, -0.4},  {-0.2, -0.18}, {-0.3, 0.06}};
      double flip = sign == Sign::ShieldUp ? 1.0 : -1.0;
      Vec2 q{p.x, flip * (p.y - 0.02)};
      static const std::vector<Vec2> head = {{-0.17, 0.03}, {0.17, 0.03}, {0.0, 0.25}};
      double arrow = std::min(sdPolygon(q, head), sdBox(q - Vec2{0.0, -0.08}, {0.055, 0.13}));
      return std::max(sdPolygon(p, shield), -arrow);  // the arrow is cut out of the shield
    }
    case Sign::SlowDown: {  // an hourglass
      static const std::vector<Vec2> top = {{-0.22, 0.33}, {0.22, 0.33}, {0.0, 0.02}};
      double d = std::min(sdPolygon(p, top), sdPolygon(p, shifted(top, {0.0, 0.0}, -1.0)));
      d = std::min(d, sdBox(p - Vec2{0.0, 0.35}, {0.29, 0.045}));
      d = std::min(d, sdBox(p - Vec2{0.0, -0.35}, {0.29, 0.045}));
      return std::min(d, sdBox(p, {0.04, 0.1}));
    }
    case Sign::SpeedUp: {  // fast forward
      static const std::vector<Vec2> arrow = {{-0.2, 0.3}, {-0.2, -0.3}, {0.2, 0.0}};
      return std::min(sdPolygon(p, shifted(arrow, {-0.2, 0.0})), sdPolygon(p, shifted(arrow, {0.2, 0.0})));
    }
    case Sign::Reverse: {  // two arrows pointing against each other
      double d = 1e9;
      for (double dir : {1.0, -1.0}) {
        double y = 0.16 * dir;
        std::vector<Vec2> head = {{0.1 * dir, y + 0.14}, {0.1 * dir, y - 0.14}, {0.4 * dir, y}};
        d = std::min(d, std::min(sdPolygon(p, head), sdSegment(p, {-0.36 * dir, y}, {0.12 * dir, y}, 0.055)));
      }
      return d;
    }
    case Sign::DestroyAll: {  // a blast
      static const std::vector<Vec2> burst = starPoints(11, 0.4, 0.2, 0.1);
      return std::max(sdPolygon(p, burst), -(length(p) - 0.09));
    }
    default:
      return 1e9;
  }
}

Canvas drawPillFrame(FontFace& face, int size, int row, PillLook look) {
  Canvas frame(size, size);
  const double half = size / 2.0;
  const double pixel = 1.0 / half;
  const Rgb base = rgbOf(rowColour(row));
  const Rgb white{1.0, 1.0, 1.0};
  const bool darkInk = row <= 4;  // dark signs on green and yellow, white ones on red
  const Rgb ink = darkInk ? Rgb{0.08, 0.12, 0.04} : white;

  // Lettering for point pills: the amount in thousands ("5k") or "100", squeezed to fit.
  Mask text;
  double signHalfWidth = 0.16, gap = 0.03;
  double textLeft = 0.0;
  if (look.sign == Sign::Points) {
    int amount = std::abs(look.points);
    std::string label = amount >= 1000 ? std::to_string(amount / 1000) + "k" : std::to_string(amount);
    const double inkHeight = 0.6 * half, maxWidth = 1.06 * half;
    int pixelHeight = static_cast<int>(std::lround(inkHeight / 0.74));
    Mask trial = face.renderText(label, pixelHeight, pixelHeight, 0);
    int pixelWidth = pixelHeight;
    if (trial.width() > maxWidth) pixelWidth = static_cast<int>(pixelHeight * maxWidth / trial.width());
    text = face.renderText(label, pixelWidth, pixelHeight, 0);
    double total = 2 * signHalfWidth + gap + text.width() / half;
    textLeft = -total / 2.0 + 2 * signHalfWidth + gap;
  }

  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Vec2 p{(x + 0.5 - half) / half, -(y + 0.5 - half) / half};
      const double radius = 0.58, reach = 0.34;
      double d = sdSegment(p, {-reach, 0.0}, {reach, 0.0}, radius);
      double alpha = coverage(d, 1.5 * pixel);
      if (alpha <= 0.0) continue;
      // Shade as a cylinder with round ends, lit from the upper left.
      Vec2 axis{std::clamp(p.x, -reach, reach), 0.0};
      Vec2 n2 = (p - axis) * (1.0 / radius);
      double nn = std::min(1.0, dot(n2, n2));
      double nz = std::sqrt(1.0 - nn);
      double diffuse = std::max(0.0, -0.35 * n2.x + 0.6 * n2.y + 0.72 * nz);
      Rgb colour = base * (0.42 + 0.68 * diffuse);
      colour = mix(colour, base * 0.35, smoothstep(-0.1, -0.02, d));  // a darker rim
      double gloss =
          std::exp(-std::pow((p.y - 0.33) / 0.09, 2.0)) * (1.0 - smoothstep(0.55, 0.8, std::abs(p.x)));
      colour = mix(colour, white, 0.55 * gloss);

      double signCover = 0.0;
      if (look.sign == Sign::Points) {
        Vec2 signCentre{textLeft - gap - signHalfWidth, 0.0};
        double bar = sdBox(p - signCentre, {signHalfWidth, 0.06});
        if (look.points > 0) bar = std::min(bar, sdBox(p - signCentre, {0.06, signHalfWidth}));
        signCover = coverage(bar, pixel);
        double tx = (p.x - textLeft) * half, ty = -p.y * half + text.height() / 2.0;
        signCover = std::max<double>(signCover, text.sampleLinear(tx, ty));
      } else if (look.sign != Sign::None) {
        signCover = coverage(symbolDistance(look.sign, p * (1.0 / 1.25)) * 1.25, pixel);
      }
      colour = mix(colour, ink, 0.92 * signCover);
      colour = {clamp01(colour.r), clamp01(colour.g), clamp01(colour.b)};
      frame.at(x, y) = premultiplied(colour, alpha);
    }
  }
  return frame;
}

}  // namespace

Picture drawPills(FontFace& face, int side) {
  const int frameSize = side / 8;
  Canvas sheet(side, side);
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      int effectId = row * 8 + column + 1;
      sheet.place(drawPillFrame(face, frameSize, row, lookOf(effectId)), column * frameSize, row * frameSize);
    }
  }
  return toAlphaPicture(sheet);
}

}  // namespace imagegen
