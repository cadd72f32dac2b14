// Feeds arbitrary bytes to the bitmap decoder and reads every byte OpenGL would take from a decoded
// image (rows padded to 4 bytes).
#include <cstdint>

#include "model/bitmap_image.h"
#include "model/format_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BitmapImage image;
  MemorySource source(data, size);
  if (decode_bitmap(image, source) != kBitmapRead) return 0;
  const size_t bytes =
      static_cast<size_t>(bmp::row_stride(image.width, image.bits_per_pixel)) * image.height;
  volatile uint8_t sink = 0;
  for (size_t i = 0; i < bytes; i += 61) sink = sink ^ image.pixels[i];
  sink = sink ^ image.pixels[bytes - 1];
  return 0;
}
