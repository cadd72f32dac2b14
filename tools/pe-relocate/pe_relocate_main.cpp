// pe-relocate-header IMAGE: moves IMAGE's PE header to file offset 256, in place.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "PeRelocate.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: pe-relocate-header IMAGE\n";
    return 2;
  }
  const std::string path = argv[1];
  std::string image;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::cerr << "pe-relocate-header: cannot open " << path << "\n";
      return 1;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    image = bytes.str();
  }
  std::string error;
  if (!pe::RelocatePeHeader(image, pe::kStubPeOffset, &error)) {
    std::cerr << "pe-relocate-header: " << path << ": " << error << "\n";
    return 1;
  }
  // Written beside the image and renamed over it, so a failed write leaves the old image.
  const std::string temp = path + ".relocating";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(image.data(), std::streamsize(image.size()));
    if (!out.flush()) {
      std::cerr << "pe-relocate-header: cannot write " << temp << "\n";
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::cerr << "pe-relocate-header: cannot replace " << path << "\n";
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
