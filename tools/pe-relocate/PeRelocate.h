// Moves the PE header of an executable image to a fixed file offset (the stub's own archive
// test looks for "PE" at 256; MinGW's linker puts the header at 0x80).
#pragma once

#include <cstdint>
#include <string>

namespace pe {

constexpr std::uint32_t kStubPeOffset = 256;

// Rewrites e_lfanew and moves the PE signature, file header, optional header and section table
// to new_offset within SizeOfHeaders; section file offsets stay valid because nothing past the
// headers moves. The bytes the header leaves are zeroed. On failure returns false with *error
// set and leaves image unchanged.
bool RelocatePeHeader(std::string& image, std::uint32_t new_offset, std::string* error);

}  // namespace pe
