// The editor's pictures at 1.5x and 2x, packed for embedding. As BMP files
// they would add about 10 MB to every binary; drawing them when the editor
// opens would need cairo, FreeType and the fonts in every binary and takes
// the generator over half a second at 2x. Packed, the two sets take about
// 2.1 MB and unpack with the standard library alone, the same on every
// platform.
//
// Each pixel is either predicted or given. The prediction is the pixel on
// its left (the panel's grain runs along rows), in a knob filmstrip the same
// pixel one frame up (the panel round a knob is the same in every frame), at
// the start of a row the pixel above. After a 16-byte header ("QPP1", width,
// height, frame height or 0, little-endian) come runs: a byte c below 128 is
// c + 1 predicted pixels, a byte c from 128 on is followed by c - 127 given
// pixels of three bytes each (red, green, blue).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct UnpackedPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first, three bytes a pixel
};

// rgb as in UnpackedPicture; frameHeight is 0 but for filmstrips.
std::vector<uint8_t> packPicture(int width, int height, int frameHeight, const uint8_t* rgb);

// False, leaving *out empty, when the bytes are not a whole packed picture.
bool unpackPicture(const uint8_t* bytes, size_t size, UnpackedPicture* out);

// The resource number of a picture at a scale in percent (150 or 200): 1000
// or 2000 above its number at 100 %, which is the BMP resource itself.
int32_t scaledResourceId(int32_t resourceID, int scalePercent);
