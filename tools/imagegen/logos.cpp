// The two intro logos. "VORPLEX" is added onto the screen (black adds nothing) and stretched
// from its square texture to 1200 x 600, hanging from the top edge: it is drawn twice as tall
// as it will look, and every blur is twice as long upwards as sideways. "Tarnwick", the
// maker's mark, is alpha blended and stands on the bottom edge above the two scrolling lines.
#include "pictures.h"

namespace imagegen {

namespace {

// Places a text mask into a full-size mask with its centre at (centreX, centreY).
Mask centred(const Mask& text, int side, double centreX, double centreY, int& left, int& top) {
  Mask full(side, side);
  left = static_cast<int>(std::lround(centreX - text.width() / 2.0));
  top = static_cast<int>(std::lround(centreY - text.height() / 2.0));
  full.stamp(text, left, top);
  return full;
}

// A four-pointed flare: its light at p, for a flare of the given size (texels; y stretched).
double flare(Vec2 p, Vec2 centre, double size, double stretchY) {
  double dx = (p.x - centre.x) / size, dy = (p.y - centre.y) / (size * stretchY);
  double r = std::sqrt(dx * dx + dy * dy);
  double rays = std::exp(-std::abs(dx) * 40.0) * std::exp(-std::abs(dy) * 2.5) +
                std::exp(-std::abs(dy) * 40.0) * std::exp(-std::abs(dx) * 2.5);
  return (rays + std::exp(-r * r * 60.0)) * (1.0 - smoothstep(0.6, 1.0, r));
}

}  // namespace

Picture drawVorplexLogo(FontFace& face, int side) {
  // Texels per world unit differ: 1024 texels span 1200 units across but only 600 down.
  const double stretchY = 2.0;
  const double shear = 0.09;  // looks twice as slanted once squashed
  Mask trial = face.renderText("VORPLEX", 100, 200, 0, shear, 6.0);
  const int pixelWidth = static_cast<int>(100.0 * 0.84 * side / trial.width());
  Mask text = face.renderText("VORPLEX", pixelWidth, static_cast<int>(pixelWidth * stretchY), 0, shear,
                              6.0 * pixelWidth / 100.0);
  // The letters' middle sits 200 units below the top edge.
  int left = 0, top = 0;
  const double centreY = side * 200.0 / 600.0;
  Mask ink = centred(text, side, side / 2.0, centreY, left, top);
  const int bottom = top + text.height();

  Mask wideGlow = ink.blurred(22, 22 * stretchY);
  Mask nearGlow = ink.blurred(5, 5 * stretchY);
  Mask bevel = ink.blurred(2.5, 2.5 * stretchY);
  const double lineY = bottom + 0.16 * text.height();

  Canvas canvas(side, side);
  const Rgb top1{1.0, 0.98, 0.85}, top2{1.0, 0.66, 0.18}, low1{0.55, 0.05, 0.55}, low2{1.0, 0.25, 0.7};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Vec2 p{x + 0.5, y + 0.5};
      double m = ink.at(x, y);
      Rgb light = Rgb{0.22, 0.16, 0.85} * (0.55 * wideGlow.at(x, y)) +
                  Rgb{0.2, 0.65, 1.0} * (0.7 * nearGlow.at(x, y) * (1.0 - m));
      if (m > 0.0) {
        // Chrome: warm sky above a sharp horizon, a magenta floor below it.
        double t = clamp01((y - top) / static_cast<double>(text.height()));
        Rgb fill = t < 0.55 ? mix(top1, top2, t / 0.55) : mix(low1, low2, (t - 0.55) / 0.45);
        double gx = bevel.sample(x + 1, y) - bevel.sample(x - 1, y);
        double gy = bevel.sample(x, y + 1) - bevel.sample(x, y - 1);
        double edgeLight = clamp01((gx * 0.6 + gy * 0.8 / stretchY) * 3.0);
        double edgeShade = clamp01(-(gx * 0.6 + gy * 0.8 / stretchY) * 3.0);
        fill = mix(fill * (1.0 - 0.45 * edgeShade), Rgb{1.0, 1.0, 1.0}, 0.7 * edgeLight);
        light = mix(light, fill, m);
      }
      // An underline of light that fades towards its ends.
      double across = std::abs(x + 0.5 - side / 2.0) / (side * 0.42);
      double line =
          std::exp(-std::pow((p.y - lineY) / (2.2 * stretchY), 2.0)) * (1.0 - smoothstep(0.3, 1.0, across));
      light = light + Rgb{0.5, 0.8, 1.0} * line;
      double sparkle = flare(p, {left + 0.08 * text.width(), top + 0.08 * text.height()}, 70, stretchY) +
                       flare(p, {left + 0.93 * text.width(), bottom - 0.1 * text.height()}, 55, stretchY) +
                       flare(p, {side / 2.0 + side * 0.3, lineY}, 45, stretchY);
      light = light + Rgb{0.9, 0.95, 1.0} * sparkle;
      canvas.at(x, y) = {clamp01(light.r), clamp01(light.g), clamp01(light.b), 1.0};
    }
  }
  return toAdditivePicture(canvas);
}

namespace {

double sdFlame(Vec2 p) {
  // A drop: a round belly with a tip pulled upwards (y up, belly centre at the origin).
  double belly = length(p) - 1.0;
  double tip = sdPolygon(p, {{-0.97, 0.2}, {0.0, 2.4}, {0.97, 0.2}});
  double k = 0.3;  // smooth union
  double h = clamp01(0.5 + 0.5 * (tip - belly) / k);
  return mix(tip, belly, h) - k * h * (1.0 - h);
}

}  // namespace

Picture drawTarnwickLogo(FontFace& face, int side) {
  const double unit = side / 512.0;
  Canvas canvas(side, side);
  const Rgb white{1.0, 1.0, 1.0};
  const Rgb gold{1.0, 0.8, 0.35}, amber{0.78, 0.4, 0.05}, navy{0.05, 0.08, 0.2};

  // The medallion: a candle flame over a mountain lake, after the name.
  const Vec2 centre{side / 2.0, 188.0 * unit};
  const double radius = 68.0 * unit;
  // The wordmark below it.
  Mask word = face.renderText("Tarnwick", static_cast<int>(78 * unit), static_cast<int>(78 * unit),
                              static_cast<int>(12 * unit), 0.0, 3.0 * unit);
  int left = 0, top = 0;
  Mask ink = centred(word, side, side / 2.0, 318.0 * unit, left, top);
  Mask outline = ink.blurred(2.2 * unit, 2.2 * unit);
  Mask shadow = ink.blurred(5 * unit, 5 * unit);
  const int textTop = top + static_cast<int>(12 * unit),
            textHeight = word.height() - static_cast<int>(24 * unit);

  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Vec2 p{x + 0.5, y + 0.5};
      Rgba out;
      // Soft drop shadows under the medallion and the letters.
      double discShadow =
          smoothstep(radius + 14 * unit, radius - 4 * unit, length(p - centre - Vec2{5 * unit, 6 * unit}));
      double letterShadow = shadow.sample(x - static_cast<int>(4 * unit), y - static_cast<int>(5 * unit));
      out = premultiplied({0.0, 0.0, 0.0}, 0.55 * std::max(discShadow, std::min(1.0, letterShadow * 1.5)));

      // Medallion: gold rim, deep blue field, three ripples and the flame.
      Vec2 q = (p - centre) * (1.0 / radius);
      q.y = -q.y;
      double r = length(q);
      double disc = coverage(r - 1.0, 1.0 / radius);
      if (disc > 0.0) {
        Rgb field = mix(navy * 1.8, navy, clamp01(r));
        for (int i = 0; i < 3; ++i) {
          double wy = -0.32 - 0.17 * i;
          double wave = q.y - wy - 0.045 * std::sin(q.x * 9.0 + i * 1.7);
          double width = 0.6 - 0.12 * i;
          double rippleCover = coverage(std::max(std::abs(wave) - 0.03, std::abs(q.x) - width), 1.5 / radius);
          field = mix(field, Rgb{0.45, 0.75, 1.0}, 0.9 * rippleCover);
        }
        Vec2 f = (q - Vec2{0.0, -0.08}) * (1.0 / 0.24);
        double flameDistance = sdFlame(f) * 0.24;
        double flameCover = coverage(flameDistance, 1.0 / radius);
        double heat = clamp01(-flameDistance / 0.2);
        Rgb flame =
            mix(Rgb{0.95, 0.3, 0.05}, mix(Rgb{1.0, 0.85, 0.3}, white, smoothstep(0.5, 1.0, heat)), heat);
        field = mix(field, flame, flameCover);
        field = field +
                Rgb{1.0, 0.6, 0.2} * (0.25 * std::exp(-std::pow(length(q - Vec2{0.0, 0.05}) / 0.35, 2.0)));
        double rim = coverage(std::abs(r - 0.93) - 0.07, 1.0 / radius);
        double bevelLight = clamp01(0.5 + 0.5 * (-q.x * 0.6 + q.y * 0.8) / std::max(r, 1e-6));
        field = mix(field, mix(amber, gold, bevelLight), rim);
        field = {clamp01(field.r), clamp01(field.g), clamp01(field.b)};
        out = over(premultiplied(field, disc), out);
      }

      // Wordmark: gold with a dark outline.
      double edge = clamp01(outline.at(x, y) * 3.0);
      if (edge > 0.0) out = over(premultiplied(Rgb{0.16, 0.08, 0.02}, 0.95 * edge), out);
      double m = ink.at(x, y);
      if (m > 0.0) {
        double t = clamp01((y - textTop) / static_cast<double>(textHeight));
        Rgb fill = mix(mix(Rgb{1.0, 0.95, 0.7}, gold, t / 0.5), amber, smoothstep(0.5, 1.0, t));
        out = over(premultiplied(fill, m), out);
      }
      canvas.at(x, y) = out;
    }
  }
  return toAlphaPicture(canvas);
}

}  // namespace imagegen
