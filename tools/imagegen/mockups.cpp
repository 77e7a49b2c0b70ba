// Debug aid: composes the pictures into three screens the way the game lays them out (the
// play field, the intro and the hall of fame), at 800 x 600 pixels, to judge them together.
#include <map>
#include <stdexcept>

#include "imagegen/imagegen.h"
#include "pictures.h"

namespace imagegen {

namespace {

const int SCREEN_WIDTH = 800, SCREEN_HEIGHT = 600;

class Screen {
 public:
  explicit Screen(Rgb background) : mPixels(SCREEN_WIDTH * SCREEN_HEIGHT, background) {}

  // Draws frame (column, row) of a sheet like a sprite: width and height
  // in world units, the hot spot at world point (x, y), turned by angle about it.
  void sprite(const Picture& sheet, const PictureInfo& info, int column, int row, double x, double y,
              double width, double height, double hotX = 0.5, double hotY = 0.5, double angle = 0.0) {
    int fw = sheet.columns / info.frameColumns, fh = sheet.rows / info.frameRows;
    drawQuad(sheet, info.blending, column * fw, row * fh, fw, fh, x, y, width, height, hotX, hotY, angle);
  }

  // A line of text in the game's font, its left end at world x and centred on world y.
  void text(const Picture& font, const std::string& line, double x, double y, double cellSize, Rgb colour) {
    int cell = font.columns / 16;
    for (unsigned char c : line) {
      int cx = (c % 16) * cell, cy = (c / 16) * cell;
      int first = cell - 1, last = 0;
      for (int r = 0; r < cell; ++r) {
        for (int k = 0; k < cell - 1; ++k) {
          if (font.at(cx + k, cy + r) != 0) {
            first = std::min(first, k);
            last = std::max(last, k);
          }
        }
      }
      if (last < first) last = first;
      double width = (last - first + 1) / static_cast<double>(cell) * cellSize;
      mTint = colour;
      drawQuad(font, Blending::Alpha, cx + first, cy, last - first + 1, cell, x, y, width, cellSize, 0.0, 0.5,
               0.0);
      mTint = {1.0, 1.0, 1.0};
      x += width + 4.0 * cellSize / 32.0;
    }
  }

  void save(const std::string& path) const {
    Picture picture(SCREEN_WIDTH, SCREEN_HEIGHT);
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT; ++i) {
      picture.texels[i] = packTexel(1.0, mPixels[i].r, mPixels[i].g, mPixels[i].b);
    }
    writePreviewPng(path, picture, {"", SCREEN_WIDTH, 1, 1, Blending::Opaque, SCREEN_WIDTH, SCREEN_HEIGHT});
  }

 private:
  void drawQuad(const Picture& sheet, Blending blending, int left, int top, int fw, int fh, double x,
                double y, double width, double height, double hotX, double hotY, double angle) {
    const double scale = SCREEN_WIDTH / 1600.0;
    double reach = (std::abs(width) + std::abs(height)) * scale;
    double sx = SCREEN_WIDTH / 2.0 + x * scale, sy = SCREEN_HEIGHT / 2.0 - y * scale;
    for (int py = std::max(0, static_cast<int>(sy - reach));
         py < std::min(SCREEN_HEIGHT, static_cast<int>(sy + reach)); ++py) {
      for (int px = std::max(0, static_cast<int>(sx - reach));
           px < std::min(SCREEN_WIDTH, static_cast<int>(sx + reach)); ++px) {
        // Back to the sprite's own units, then to texture coordinates.
        Vec2 world{(px + 0.5 - sx) / scale, (sy - py - 0.5) / scale};
        Vec2 local = rotate(world, -angle);
        double u = local.x / width + hotX, v = 1.0 - (local.y / height + hotY);
        if (u < 0.0 || u >= 1.0 || v < 0.0 || v >= 1.0) continue;
        double tx = left + 0.5 + u * (fw - 1), ty = top + 0.5 + v * (fh - 1);
        int x0 = static_cast<int>(tx - 0.5), y0 = static_cast<int>(ty - 0.5);
        double fx = tx - 0.5 - x0, fy = ty - 0.5 - y0;
        double a = 0.0;
        Rgb c;
        for (int k = 0; k < 4; ++k) {
          int xx = std::min(left + fw - 1, x0 + (k & 1)), yy = std::min(top + fh - 1, y0 + (k >> 1));
          double w = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
          Texel t = sheet.at(xx, yy);
          a += w * (t >> 24) / 255.0;
          c = c + rgbOf(t) * w;
        }
        c = c * mTint;
        Rgb& out = mPixels[py * SCREEN_WIDTH + px];
        if (blending == Blending::Opaque) out = c;
        if (blending == Blending::Alpha) out = mix(out, c, a);
        if (blending == Blending::Additive) out = out + c * a;
        out = {clamp01(out.r), clamp01(out.g), clamp01(out.b)};
      }
    }
  }

  std::vector<Rgb> mPixels;
  Rgb mTint{1.0, 1.0, 1.0};
};

}  // namespace

void writeMockups(const std::string& directory, const std::string& fontPath) {
  std::map<std::string, Picture> p;
  for (const PictureInfo& info : pictureTable()) p[info.fileName] = drawPicture(info.fileName, fontPath);
  auto info = [](const char* name) { return pictureInfo(name); };
  Random random(42);

  Screen game(Rgb{0.0, 0.0, 0.0});
  game.sprite(p["scenery.egl"], info("scenery.egl"), 0, 0, 0, 0, 2010, 2010, 0.5, 0.5, 0.7);
  const double radius[] = {20, 40, 80};
  for (int i = 0; i < 14; ++i) {
    double angle = random.uniform(0, 2 * PI), distance = random.uniform(280, 720);
    double r = radius[i % 3];
    game.sprite(p["blobs.egl"], info("blobs.egl"), i % 4, (i / 3) % 4, distance * std::cos(angle) * 1.1,
                distance * std::sin(angle) * 0.75, 2.2 * r, 1.9 * r, 0.5, 0.5, random.uniform(-0.7, 0.7));
  }
  for (int i = 0; i < 6; ++i) {
    int effect = std::vector<int>{5, 17, 26, 42, 58, 25}[i];
    game.sprite(p["pills.egl"], info("pills.egl"), (effect - 1) % 8, (effect - 1) / 8, -600 + 240 * i, -520,
                32, 32);
  }
  for (int i = 0; i < 4; ++i) {
    game.sprite(p["bullets.egl"], info("bullets.egl"), i % 2, i / 2, 250 + 40 * i, 100 + 30 * i, 20, 20);
  }
  for (int j = 0; j < 2; ++j) {
    game.sprite(p["bullets.egl"], info("bullets.egl"), j, j, 20.0 * (1 + j) * 0.8, 20.0 * (1 + j) * 0.6, 20,
                20);
  }
  game.sprite(p["gun.egl"], info("gun.egl"), 0, 0, 0, 0, 128, 128);
  game.text(p["font.egl"], "12300", -45, 584, 32, {0.5, 1.0, 0.5});
  game.save(directory + "/mockup-game.png");

  Screen intro(Rgb{0x30 / 255.0, 0x30 / 255.0, 0x80 / 255.0});
  for (int i = 0; i < 50; ++i) {
    double x = (std::sin(0.3 + i * 0.21) + std::sin(1.1 + i * 0.13) + 2) * 0.25 * 1600 - 800;
    double y = (std::sin(2.0 + i * 0.17) + std::sin(0.4 + i * 0.09) + 2) * 0.25 * 1200 - 600;
    intro.sprite(p["particles.egl"], info("particles.egl"), i % 4, (i / 4) % 4, x, y, 350, 350);
  }
  intro.sprite(p["vorplex.egl"], info("vorplex.egl"), 0, 0, 0, 600, 1200, 600, 0.5, 1.0);
  intro.text(p["font.egl"], "Welcome to vorplex 1.0! Here are some brief instructions;", -700, -472, 32,
             {1.0, 0.5, 0.5});
  intro.text(p["font.egl"], "Quick help; [ESCAPE] - main menu; [UP/DOWN-ARROW]", -500, -536, 32,
             {1.0, 0.5, 0.5});
  intro.sprite(p["tarnwick.egl"], info("tarnwick.egl"), 0, 0, 0, -600, 512, 512, 0.5, 0.0);
  intro.save(directory + "/mockup-intro.png");

  Screen score(Rgb{0x20 / 255.0, 0x20 / 255.0, 0x40 / 255.0});
  for (int i = 0; i < 40; ++i) {
    double size = random.uniform(200, 500) * std::sin(random.uniform(0, PI));
    score.sprite(p["stars.egl"], info("stars.egl"), i % 4, (i / 4) % 4, random.uniform(-800, 800),
                 random.uniform(-600, 600), size, size, 0.5, 0.5, random.uniform(0, 2 * PI));
  }
  score.sprite(p["plate.egl"], info("plate.egl"), 0, 0, 0, 0, 940, 64 + 320 + 40);
  score.text(p["font.egl"], "Hall of fame", -190, 176, 64, {0.0, 1.0, 0.0});
  std::string table = startingHighscores();
  for (int i = 0; i < 10; ++i) {
    std::size_t end = table.find('\n');
    std::string name = table.substr(0, end);
    table.erase(0, end + 1);
    end = table.find('\n');
    std::string points = table.substr(0, end);
    table.erase(0, end + 1);
    double y = 112 - 32 * i;
    score.text(p["font.egl"], std::to_string(i + 1) + ".", -450, y, 32, {1.0, 0.0, 0.0});
    score.text(p["font.egl"], name, -350, y, 32, {1.0, 0.0, 0.0});
    score.text(p["font.egl"], points + "p.", 250, y, 32, {1.0, 0.0, 0.0});
  }
  score.save(directory + "/mockup-score.png");
}

}  // namespace imagegen
