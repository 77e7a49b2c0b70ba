// The drawing of each picture, one function per file the game loads.
#pragma once

#include "glyphs.h"
#include "imagegen/imagegen.h"

namespace imagegen {

Picture drawFontSheet(FontFace& face, int side);
Picture drawBlobs(int side);
Picture drawBullets(int side);
Picture drawPills(FontFace& face, int side);
Picture drawGun(int side);
Picture drawVorplexLogo(FontFace& face, int side);
Picture drawTarnwickLogo(FontFace& face, int side);
Picture drawParticles(int side);
Picture drawStars(int side);
Picture drawPlate(int side);
Picture drawScenery(int side);

// The colour marks that tell blobs, bullets and shells apart without colour: a ring for red,
// a cross for green, a triangle for blue and a star for purple. colourIndex is 0..3 in that
// order; the result is the signed distance of the mark at p, in units of the mark's size.
double colourMarkDistance(int colourIndex, Vec2 p);
Texel colourArgb(int colourIndex);

}  // namespace imagegen
