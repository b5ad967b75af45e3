#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Receives one candidate cover picture after another, each valid only during
// the call; returns true to take it, which ends the search. The routes know
// nothing of decoding: the caller decides whether the bytes are a picture.
using TCoverCandidateTaker = std::function<bool(const uint8_t* Data, size_t Size)>;
