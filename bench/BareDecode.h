#pragma once

#include <cstdint>
#include <vector>

#include "core/Types.h"

// The work a thumbnail cannot avoid, done with the libraries alone: the
// picture decoded (JPEG at the given DCT scale) into one reused row.
void BareJpegDecode(const TBytes& Jpeg, int ScaleDenominator, std::vector<uint8_t>& Row);
void BarePngDecode(const TBytes& Png, std::vector<uint8_t>& Row);
