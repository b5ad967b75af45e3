#pragma once

#include <string>

#include "core/Stream.h"
#include "platform/Files.h"

enum TFileShare { fsShareExclusive, fsShareDenyWrite };

// A file on disk opened for reading. Fails with EFOpenError
// "Cannot open file "<name>". <system error text>".
class TFileStream : public TStream {
public:
    TFileStream(const std::u16string& FileName, TFileShare Share);

    int64_t Read(void* Buffer, int64_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    const std::u16string& FileName() const { return FFileName; }

private:
    std::u16string FFileName;
    platform::TFileHandle FHandle;
};
