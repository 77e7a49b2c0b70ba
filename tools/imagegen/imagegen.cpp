#include "imagegen/imagegen.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "pictures.h"

namespace imagegen {

const std::vector<PictureInfo>& pictureTable() {
  static const std::vector<PictureInfo> table = {
      {"font.egl", 512, 16, 16, Blending::Alpha, 512, 512},
      {"blobs.egl", 1024, 4, 4, Blending::Alpha, 1024, 1024},
      {"pills.egl", 512, 8, 8, Blending::Alpha, 512, 512},
      {"bullets.egl", 256, 2, 2, Blending::Alpha, 256, 256},
      {"gun.egl", 256, 1, 1, Blending::Alpha, 256, 256},
      // Drawn 1200 x 600, so its preview is squashed the same way.
      {"vorplex.egl", 1024, 1, 1, Blending::Additive, 1200, 600},
      {"tarnwick.egl", 512, 1, 1, Blending::Alpha, 512, 512},
      {"particles.egl", 512, 4, 4, Blending::Additive, 512, 512},
      {"stars.egl", 512, 4, 4, Blending::Alpha, 512, 512},
      // Stretched behind the ten rows of the hall of fame.
      {"plate.egl", 512, 1, 1, Blending::Alpha, 940, 424},
      {"scenery.egl", 1024, 1, 1, Blending::Opaque, 1024, 1024},
  };
  return table;
}

const PictureInfo& pictureInfo(const std::string& fileName) {
  for (const PictureInfo& info : pictureTable()) {
    if (fileName == info.fileName) return info;
  }
  throw std::invalid_argument("No picture is called " + fileName + ".");
}

Picture drawPicture(const std::string& fileName, const std::string& fontPath) {
  const PictureInfo& info = pictureInfo(fileName);
  int side = info.side;
  if (fileName == "blobs.egl") return drawBlobs(side);
  if (fileName == "bullets.egl") return drawBullets(side);
  if (fileName == "gun.egl") return drawGun(side);
  if (fileName == "particles.egl") return drawParticles(side);
  if (fileName == "stars.egl") return drawStars(side);
  if (fileName == "plate.egl") return drawPlate(side);
  if (fileName == "scenery.egl") return drawScenery(side);
  FontFace face(fontPath);
  if (fileName == "font.egl") return drawFontSheet(face, side);
  if (fileName == "pills.egl") return drawPills(face, side);
  if (fileName == "vorplex.egl") return drawVorplexLogo(face, side);
  return drawTarnwickLogo(face, side);
}

std::string encodeEglImage(const Picture& picture) {
  std::string bytes = "EGLImage";
  auto put32 = [&bytes](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<char>((v >> shift) & 0xFF));
  };
  put32(static_cast<std::uint32_t>(picture.columns));
  put32(static_cast<std::uint32_t>(picture.rows));
  bytes.reserve(bytes.size() + picture.texels.size() * 4);
  for (Texel texel : picture.texels) put32(texel);
  return bytes;
}

void writeEglImage(const std::string& path, const Picture& picture) {
  std::string bytes = encodeEglImage(picture);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("Could not write " + path + ".");
}

std::string startingHighscores() {
  // Beatable by a newcomer at the bottom, a real goal at the top; every score is a sum of
  // blob and pill points, so a multiple of 100.
  static const char* const records[][2] = {
      {"Ada Quillfeather", "48200"}, {"Rook", "41700"},      {"Tamsin Reyes", "36400"},
      {"Blobsplitter", "30900"},     {"Hugo Marr", "25300"}, {"Nell Ashby", "19800"},
      {"Orrin Vesk", "15200"},       {"Lena K.", "10600"},   {"Sparrow", "7400"},
      {"Milo the Brave", "3100"},
  };
  std::string text;
  for (const auto& record : records) text += std::string(record[0]) + "\n" + record[1] + "\n";
  return text;
}

void writePreviewPng(const std::string& path, const Picture& picture, const PictureInfo& info) {
  const double grey = 0x30 / 255.0;
  std::string raw;
  raw.reserve(picture.texels.size() * 4);
  for (Texel t : picture.texels) {
    double a = (t >> 24) / 255.0;
    Rgb c = rgbOf(t);
    Rgb out;
    switch (info.blending) {
      case Blending::Opaque:
        out = c;
        break;
      case Blending::Alpha:
        out = mix(Rgb{grey, grey, grey}, c, a);
        break;
      case Blending::Additive:
        out = Rgb{grey, grey, grey} + c * a;
        break;
    }
    for (double v : {out.r, out.g, out.b, 1.0})
      raw.push_back(static_cast<char>(std::lround(clamp01(v) * 255.0)));
  }
  std::string rawPath = path + ".rgba";
  {
    std::ofstream file(rawPath, std::ios::binary | std::ios::trunc);
    file.write(raw.data(), static_cast<std::streamsize>(raw.size()));
    if (!file) throw std::runtime_error("Could not write " + rawPath + ".");
  }
  std::string command = "/usr/bin/convert -size " + std::to_string(picture.columns) + "x" +
                        std::to_string(picture.rows) + " -depth 8 'rgba:" + rawPath + "' -resize " +
                        std::to_string(info.previewWidth) + "x" + std::to_string(info.previewHeight) + "! '" +
                        path + "'";
  int status = std::system(command.c_str());
  std::remove(rawPath.c_str());
  if (status != 0) throw std::runtime_error("ImageMagick could not write " + path + ".");
}

}  // namespace imagegen
