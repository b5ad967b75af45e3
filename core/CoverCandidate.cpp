#include "core/CoverCandidate.h"

#include "core/Types.h"

bool TCoverCandidateTaker::operator()(TStream& Picture) const
{
    if (FStream)
        return FStream(Picture);
    TBytes Bytes(static_cast<size_t>(Picture.Size()));
    Picture.SetPosition(0);
    Picture.ReadBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    return FBytes(Bytes.data(), Bytes.size());
}
