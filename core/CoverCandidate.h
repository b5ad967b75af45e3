#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <utility>

#include "core/Stream.h"

// Receives one candidate cover picture after another, each valid only during
// the call; returns true to take it, which ends the search. The routes know
// nothing of decoding: the caller decides whether the bytes are a picture.
// A route offers the bytes it holds, or a stream over a picture that lies
// whole in the book, so that a taker that decodes as it reads never holds the
// picture; a taker of bytes alone is given a stream's content read whole.
class TCoverCandidateTaker {
public:
    using TBytesTake = std::function<bool(const uint8_t* Data, size_t Size)>;
    using TStreamTake = std::function<bool(TStream& Picture)>;

    TCoverCandidateTaker(TBytesTake Bytes, TStreamTake Stream) : FBytes(std::move(Bytes)), FStream(std::move(Stream)) {}
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TCoverCandidateTaker> &&
                                                std::is_invocable_r_v<bool, F&, const uint8_t*, size_t>>>
    TCoverCandidateTaker(F Bytes) : FBytes(std::move(Bytes))
    {
    }

    bool operator()(const uint8_t* Data, size_t Size) const { return FBytes(Data, Size); }
    // Picture holds exactly the picture, from position 0.
    bool operator()(TStream& Picture) const;

private:
    TBytesTake FBytes;
    TStreamTake FStream;
};
