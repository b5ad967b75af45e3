#include "core/FileStream.h"

#include "core/Exceptions.h"
#include "platform/CodePages.h"

TFileStream::TFileStream(const std::u16string& FileName, TFileShare Share) : FFileName(FileName)
{
    std::string ErrorText;
    const auto Mode = Share == fsShareDenyWrite ? platform::smDenyWrite : platform::smExclusive;
    if (!FHandle.OpenForReading(FileName, Mode, ErrorText))
        throw EFOpenError("Cannot open file \"" + platform::WideToMultiByte(platform::cpUtf8, FileName) + "\". " +
                          ErrorText);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count)
{
    const int64_t Got = FHandle.Read(Buffer, Count);
    return Got < 0 ? 0 : Got;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin)
{
    const auto FileOrigin = Origin == soBeginning ? platform::foBegin
                            : Origin == soCurrent ? platform::foCurrent
                                                  : platform::foEnd;
    const int64_t Result = FHandle.Seek(Offset, FileOrigin);
    if (Result < 0)
        throw EStreamError("Stream seek error");
    return Result;
}
