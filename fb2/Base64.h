#pragma once

#include <string>

// Decodes base64 (the RFC 4648 alphabet) as FictionBook pictures are written:
// only the low byte of each UTF-16 unit counts, anything outside the alphabet
// and '=' is skipped, a '=' in the third or fourth place of a group ends the
// decoding, and an unfinished last group is dropped. Empty when nothing
// decodes.
std::string DecodeBase64(const std::u16string& Text);
