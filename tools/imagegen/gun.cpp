// The gun tower from above. The clip's shells are drawn underneath it, lined up along the
// aim from 10 to 50 units out, and the tower does not turn: so between its hub and its armour
// ring it is a tinted glass canopy through which the loaded shells show.
#include "pictures.h"

namespace imagegen {

namespace {

// Diffuse and specular light of a surface normal, lit from the upper left.
double litMetal(double nx, double ny, double nz, double& specular) {
  const double lx = -0.5, ly = 0.55, lz = 0.67;
  double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
  double hx = lx, hy = ly, hz = lz + 1.0;
  double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  specular = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hl), 40.0);
  return diffuse;
}

}  // namespace

Picture drawGun(int side) {
  Canvas canvas(side, side);
  const double half = side / 2.0;
  const double pixel = 1.0 / half;
  const Rgb steel{0.46, 0.5, 0.58};
  const Rgb white{1.0, 1.0, 1.0};
  const Rgb cyan{0.35, 0.9, 1.0};
  const double ringInner = 0.8, ringOuter = 0.97, hubRadius = 0.14;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Vec2 p{(x + 0.5 - half) / half, -(y + 0.5 - half) / half};
      double r = length(p);
      Vec2 dir = r > 0 ? p * (1.0 / r) : Vec2{0.0, 0.0};
      double angle = std::atan2(p.y, p.x);
      Rgba out;

      // The glass canopy, faintly ruled, with a curved reflection at the upper left.
      double glass = coverage(r - ringInner, pixel);
      if (glass > 0.0) {
        double rule = std::max(coverage(std::abs(r - 0.47) - 0.006, pixel),
                               coverage(std::abs(std::sin(angle * 6.0)) * r - 0.006, pixel) *
                                   smoothstep(hubRadius, hubRadius + 0.05, r));
        double reflection = smoothstep(0.1, 0.0, std::abs(length(p - Vec2{0.12, -0.12}) - 0.62)) *
                            smoothstep(0.0, 0.5, -(p.x - p.y) / 1.4142);
        Rgb tint = mix(Rgb{0.06, 0.16, 0.22}, cyan, 0.35 * rule);
        double alpha = 0.26 + 0.12 * rule + 0.2 * reflection;
        tint = mix(tint, white, reflection * 0.7);
        out = premultiplied(tint, alpha * glass);
        // A lit edge where the glass meets the ring.
        out = over(premultiplied(cyan, 0.7 * smoothstep(ringInner - 0.06, ringInner, r) * glass), out);
      }

      // The armour ring: a rounded bevel with eight bolts and twelve vents.
      double ring = coverage(std::abs(r - (ringInner + ringOuter) / 2) - (ringOuter - ringInner) / 2, pixel);
      if (ring > 0.0) {
        double t = (r - (ringInner + ringOuter) / 2) / ((ringOuter - ringInner) / 2);
        t = std::clamp(t, -1.0, 1.0);
        double nz = std::sqrt(1.0 - 0.7 * t * t);
        double specular = 0.0;
        double diffuse = litMetal(dir.x * t * 0.84, dir.y * t * 0.84, nz, specular);
        Rgb metal = steel * (0.3 + 0.85 * diffuse) + white * (0.6 * specular);
        double vent = std::abs(std::remainder(angle, PI / 6.0)) * r;
        double ventCover = coverage(std::max(vent - 0.025, std::abs(t) - 0.45), pixel);
        metal = mix(metal, Rgb{0.05, 0.06, 0.08}, 0.85 * ventCover);
        for (int i = 0; i < 8; ++i) {
          double a = PI / 8.0 + i * PI / 4.0;
          Vec2 bolt{0.885 * std::cos(a), 0.885 * std::sin(a)};
          Vec2 q = (p - bolt) * (1.0 / 0.032);
          double boltCover = coverage((length(q) - 1.0) * 0.032, pixel);
          if (boltCover > 0.0) {
            double qq = std::min(1.0, dot(q, q));
            double boltSpecular = 0.0;
            double boltLight = litMetal(q.x, q.y, std::sqrt(1.0 - qq), boltSpecular);
            metal = mix(metal, steel * (0.4 + 0.9 * boltLight) + white * boltSpecular, boltCover);
          }
        }
        metal = {clamp01(metal.r), clamp01(metal.g), clamp01(metal.b)};
        out = over(premultiplied(metal, ring), out);
      }

      // The hub with the gun's glowing eye.
      double hub = coverage(r - hubRadius, pixel);
      if (hub > 0.0) {
        double s = std::min(r / hubRadius, 1.0);
        double specular = 0.0;
        double diffuse = litMetal(dir.x * s, dir.y * s, std::sqrt(1.0 - s * s), specular);
        Rgb metal = steel * (0.35 + 0.8 * diffuse) + white * (0.7 * specular);
        double eye = smoothstep(0.07, 0.02, r);
        metal = mix(metal, mix(cyan, white, smoothstep(0.04, 0.0, r)), eye);
        metal = {clamp01(metal.r), clamp01(metal.g), clamp01(metal.b)};
        out = over(premultiplied(metal, hub), out);
      }
      canvas.at(x, y) = out;
    }
  }
  return toAlphaPicture(canvas);
}

}  // namespace imagegen
