#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decodes base64 (the RFC 4648 alphabet) as FictionBook pictures are written:
// only the low byte of each UTF-16 unit counts, anything outside the alphabet
// and '=' is skipped, a '=' in the third or fourth place of a group ends the
// decoding, and an unfinished last group is dropped. Empty when nothing
// decodes.
std::string DecodeBase64(const std::u16string& Text);
// The same over UTF-8 text taken as the UTF-16 units it converts to, as
// DecodeBase64 of that text would, without holding the converted text; empty,
// and read no further, once more than MaxBytes would decode.
std::string DecodeBase64Utf8(std::string_view Text, size_t MaxBytes = SIZE_MAX);
// A FictionBook picture's bytes from its binary's text: none above
// Limits::CoverPictureBytes, the bound on every route's cover picture.
std::string DecodeFB2Picture(std::string_view Text);
