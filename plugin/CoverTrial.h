#pragma once

#include <cstddef>
#include <cstdint>

#include "core/CoverCandidate.h"
#include "platform/Dib.h"
#include "render/PictureSink.h"

// The one hand-off from the routes to the thumbnail: each candidate a route
// offers is made into a thumbnail until one gives a bitmap, which this holds
// until it is released to the host; a way out by an exception deletes it.
class TCoverTrial {
public:
    // CutShort: what becomes of a PNG or GIF candidate whose data ends early.
    TCoverTrial(int32_t Width, int32_t Height, TCutShort CutShort = csRefuse);
    ~TCoverTrial();
    TCoverTrial(const TCoverTrial&) = delete;
    TCoverTrial& operator=(const TCoverTrial&) = delete;

    // Receives the routes' candidates; an empty one is no picture.
    const TCoverCandidateTaker& Taker() const { return FTaker; }
    platform::TBitmapHandle Release();

private:
    bool Offer(const uint8_t* Data, size_t Size);
    bool Offer(TStream& Picture);

    int32_t FWidth, FHeight;
    TCutShort FCutShort;
    TCoverCandidateTaker FTaker;
    platform::TBitmapHandle FResult = nullptr;
};
