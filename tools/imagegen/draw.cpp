#include "draw.h"

namespace imagegen {

Rgb hsv(double hue, double saturation, double value) {
  double h = (hue - std::floor(hue)) * 6.0;
  int sector = static_cast<int>(h) % 6;
  double f = h - std::floor(h);
  double p = value * (1.0 - saturation);
  double q = value * (1.0 - saturation * f);
  double t = value * (1.0 - saturation * (1.0 - f));
  switch (sector) {
    case 0:
      return {value, t, p};
    case 1:
      return {q, value, p};
    case 2:
      return {p, value, t};
    case 3:
      return {p, q, value};
    case 4:
      return {t, p, value};
    default:
      return {value, p, q};
  }
}

void Canvas::place(const Canvas& part, int x, int y) {
  for (int row = 0; row < part.height(); ++row) {
    for (int column = 0; column < part.width(); ++column) {
      int tx = x + column, ty = y + row;
      if (tx >= 0 && ty >= 0 && tx < mWidth && ty < mHeight) at(tx, ty) = part.at(column, row);
    }
  }
}

Texel packTexel(double alpha, double red, double green, double blue) {
  auto byte = [](double v) { return static_cast<Texel>(std::lround(clamp01(v) * 255.0)); };
  return (byte(alpha) << 24) | (byte(red) << 16) | (byte(green) << 8) | byte(blue);
}

Picture toAlphaPicture(const Canvas& canvas) {
  int w = canvas.width(), h = canvas.height();
  Picture picture(w, h);
  std::vector<Rgb> colour(w * h);
  std::vector<char> known(w * h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgba& c = canvas.at(x, y);
      Texel alphaByte = static_cast<Texel>(std::lround(clamp01(c.a) * 255.0));
      if (alphaByte > 0) {
        colour[y * w + x] = {c.r / c.a, c.g / c.a, c.b / c.a};
        known[y * w + x] = 1;
      }
    }
  }
  // Grow colour a few texels into the transparent area; filtering never reaches further.
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<char> grown = known;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        if (known[y * w + x]) continue;
        Rgb sum;
        int count = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= w || ny >= h || !known[ny * w + nx]) continue;
            sum = sum + colour[ny * w + nx];
            ++count;
          }
        }
        if (count > 0) {
          colour[y * w + x] = sum * (1.0 / count);
          grown[y * w + x] = 1;
        }
      }
    }
    known.swap(grown);
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb& c = colour[y * w + x];
      picture.at(x, y) = packTexel(canvas.at(x, y).a, c.r, c.g, c.b);
    }
  }
  return picture;
}

Picture toAdditivePicture(const Canvas& canvas) {
  Picture picture(canvas.width(), canvas.height());
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgba& c = canvas.at(x, y);
      picture.at(x, y) = packTexel(1.0, c.r, c.g, c.b);
    }
  }
  return picture;
}

Picture toOpaquePicture(const Canvas& canvas) {
  return toAdditivePicture(canvas);
}

float Mask::sampleLinear(double x, double y) const {
  double fx = x - 0.5, fy = y - 0.5;
  int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  double tx = fx - x0, ty = fy - y0;
  double top = mix(sample(x0, y0), sample(x0 + 1, y0), tx);
  double bottom = mix(sample(x0, y0 + 1), sample(x0 + 1, y0 + 1), tx);
  return static_cast<float>(mix(top, bottom, ty));
}

namespace {

// One box pass along a line of n values spaced by stride; radius r, zero outside.
void boxLine(const float* in, float* out, int n, int stride, int r) {
  double sum = 0.0;
  double scale = 1.0 / (2 * r + 1);
  for (int i = -r; i <= r; ++i) sum += (i >= 0 && i < n) ? in[i * stride] : 0.0f;
  for (int i = 0; i < n; ++i) {
    out[i * stride] = static_cast<float>(sum * scale);
    int leaving = i - r, entering = i + r + 1;
    if (leaving >= 0) sum -= in[leaving * stride];
    if (entering < n) sum += in[entering * stride];
  }
}

}  // namespace

Mask Mask::blurred(double sigmaX, double sigmaY) const {
  Mask a = *this;
  Mask b(mWidth, mHeight);
  // Three box passes of this radius approximate a Gaussian of the given sigma.
  auto radius = [](double sigma) {
    return static_cast<int>(std::lround(std::sqrt(sigma * sigma * 4.0 + 1.0) / 2.0));
  };
  int rx = radius(sigmaX), ry = radius(sigmaY);
  for (int pass = 0; pass < 3; ++pass) {
    if (rx > 0) {
      for (int y = 0; y < mHeight; ++y)
        boxLine(&a.mValues[y * mWidth], &b.mValues[y * mWidth], mWidth, 1, rx);
      std::swap(a, b);
    }
    if (ry > 0) {
      for (int x = 0; x < mWidth; ++x) boxLine(&a.mValues[x], &b.mValues[x], mHeight, mWidth, ry);
      std::swap(a, b);
    }
  }
  return a;
}

void Mask::stamp(const Mask& other, int x, int y) {
  for (int row = 0; row < other.height(); ++row) {
    for (int column = 0; column < other.width(); ++column) {
      int tx = x + column, ty = y + row;
      if (tx >= 0 && ty >= 0 && tx < mWidth && ty < mHeight)
        at(tx, ty) = std::max(at(tx, ty), other.at(column, row));
    }
  }
}

double sdPolygon(Vec2 p, const std::vector<Vec2>& points) {
  double best = dot(p - points[0], p - points[0]);
  bool inside = false;
  for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    Vec2 e = points[j] - points[i];
    Vec2 w = p - points[i];
    Vec2 b = w - e * clamp01(dot(w, e) / dot(e, e));
    best = std::min(best, dot(b, b));
    bool crossesUp = points[i].y <= p.y && p.y < points[j].y;
    bool crossesDown = points[j].y <= p.y && p.y < points[i].y;
    if (crossesUp || crossesDown) {
      double xAt = points[i].x + (p.y - points[i].y) * e.x / e.y;
      if (p.x < xAt) inside = !inside;
    }
  }
  return (inside ? -1.0 : 1.0) * std::sqrt(best);
}

std::vector<Vec2> starPoints(int points, double outer, double inner, double turn) {
  std::vector<Vec2> result;
  for (int i = 0; i < points * 2; ++i) {
    double angle = PI / 2.0 + turn + i * PI / points;
    double r = (i % 2 == 0) ? outer : inner;
    result.push_back({r * std::cos(angle), r * std::sin(angle)});
  }
  return result;
}

std::uint64_t Random::next() {
  std::uint64_t z = (mState += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

namespace {

double latticeValue(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / static_cast<double>(0xFFFFFF);
}

}  // namespace

double valueNoise(double x, double y, std::uint32_t seed) {
  double fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * tx * (tx * (tx * 6.0 - 15.0) + 10.0);
  ty = ty * ty * ty * (ty * (ty * 6.0 - 15.0) + 10.0);
  double top = mix(latticeValue(ix, iy, seed), latticeValue(ix + 1, iy, seed), tx);
  double bottom = mix(latticeValue(ix, iy + 1, seed), latticeValue(ix + 1, iy + 1, seed), tx);
  return mix(top, bottom, ty);
}

double fractalNoise(double x, double y, int octaves, std::uint32_t seed) {
  double sum = 0.0, amplitude = 0.5, total = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * valueNoise(x, y, seed + i * 7919u);
    total += amplitude;
    amplitude *= 0.5;
    // Rotate between octaves so the lattice does not line up into visible grids.
    double nx = x * 1.6 - y * 1.2, ny = x * 1.2 + y * 1.6;
    x = nx + 17.3;
    y = ny - 9.1;
  }
  return sum / total;
}

}  // namespace imagegen
