// The 3DS chunk layout shared by the reader and the writer.
//
// A file is a tree of chunks. Every chunk is a 6-byte header (2-byte id, 4-byte length counting
// the whole chunk including the header) followed by its body; all numbers are little-endian and
// floats are IEEE 32-bit. Sub-chunks follow a chunk's own fields inside its body:
//
//   0x4D4D main
//     0x0002 file version (u32)
//     0x3D3D editor
//       0x3D3E mesh version (u32)
//       0xAFFF material
//         0xA000 name (zero-terminated)
//         0xA020 diffuse colour -> 0x0011 24-bit colour (r, g, b)
//         0xA200 texture map -> 0xA300 map file name (zero-terminated)
//         0xA230 bump map    -> 0xA300 map file name
//       0x4000 object: name (zero-terminated), then
//         0x4100 triangle mesh
//           0x4110 vertex list: u16 count, count x (x, y, z) float
//           0x4120 face list: u16 count, count x (a, b, c, flags) u16, then
//             0x4130 face material group: name, u16 count, count x u16 face number
//             0x4150 smoothing groups: face_count x u32
//           0x4140 texture coordinates: u16 count, count x (u, v) float
//     0xB000 keyframer
#pragma once

#include <cstdint>

namespace tds {

constexpr uint32_t kChunkHeaderSize = 6;  // id (2) + length (4)

constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kFileVersion = 0x0002;
constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kMeshVersion = 0x3D3E;

constexpr uint16_t kMaterial = 0xAFFF;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kAmbientColour = 0xA010;
constexpr uint16_t kDiffuseColour = 0xA020;
constexpr uint16_t kSpecularColour = 0xA030;
constexpr uint16_t kTextureMap = 0xA200;
constexpr uint16_t kOpacityMap = 0xA210;
constexpr uint16_t kBumpMap = 0xA230;
constexpr uint16_t kMapFileName = 0xA300;

constexpr uint16_t kColourFloat = 0x0010;      // 3 x float
constexpr uint16_t kColour24 = 0x0011;         // 3 x byte
constexpr uint16_t kLinearColour24 = 0x0012;   // 3 x byte
constexpr uint16_t kLinearColourFloat = 0x0013;

constexpr uint16_t kObject = 0x4000;
constexpr uint16_t kTriangleMesh = 0x4100;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kFaceMaterialGroup = 0x4130;
constexpr uint16_t kTextureCoords = 0x4140;
constexpr uint16_t kSmoothingGroups = 0x4150;

constexpr uint16_t kKeyframer = 0xB000;

// Sizes of the records inside the list chunks.
constexpr uint32_t kVertexRecordSize = 12;    // 3 floats
constexpr uint32_t kFaceRecordSize = 8;       // 4 x u16
constexpr uint32_t kTexcoordRecordSize = 8;   // 2 floats
constexpr uint32_t kMaxListCount = 0xFFFF;    // counts are u16

}  // namespace tds
