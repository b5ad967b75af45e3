#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/CodePages.h"

namespace platform {

namespace {

// Windows extended-length prefixes mean nothing here; strip them so that long
// names still reach the file.
std::string NativePath(const std::u16string& FileName)
{
    std::u16string Name = FileName;
    if (Name.rfind(u"\\\\?\\UNC\\", 0) == 0)
        Name = u"\\\\" + Name.substr(8);
    else if (Name.rfind(u"\\\\?\\", 0) == 0)
        Name = Name.substr(4);
    return WideToMultiByte(cpUtf8, Name);
}

}

bool TFileHandle::OpenForReading(const std::u16string& FileName, TShareMode, std::string& ErrorText)
{
    Close();
    const std::string Path = NativePath(FileName);
    // Non-blocking, so that a FIFO without a writer cannot hold the request
    // in open(2); it is refused below with everything else that is not a
    // regular file (devices, sockets), which may never end or never answer.
    int Descriptor;
    do
        Descriptor = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    while (Descriptor < 0 && errno == EINTR);
    if (Descriptor < 0) {
        ErrorText = std::strerror(errno);
        return false;
    }
    struct stat Info;
    int Error = 0;
    if (::fstat(Descriptor, &Info) != 0)
        Error = errno;
    else if (S_ISDIR(Info.st_mode))
        Error = EISDIR;
    else if (!S_ISREG(Info.st_mode))
        Error = EINVAL;
    else if (int Flags = ::fcntl(Descriptor, F_GETFL); Flags < 0 || ::fcntl(Descriptor, F_SETFL, Flags & ~O_NONBLOCK) != 0)
        Error = errno;
    if (Error != 0) {
        ErrorText = std::strerror(Error);
        ::close(Descriptor);
        return false;
    }
    FHandle = Descriptor;
    return true;
}

int64_t TFileHandle::Read(void* Buffer, int64_t Count)
{
    if (FHandle == Invalid || Count <= 0)
        return 0;
    auto* Out = static_cast<char*>(Buffer);
    int64_t Done = 0;
    while (Done < Count) {
        const size_t Chunk = static_cast<size_t>(std::min<int64_t>(Count - Done, 1 << 30));
        const ssize_t Got = ::read(static_cast<int>(FHandle), Out + Done, Chunk);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0)
            return Done > 0 ? Done : -1;
        if (Got == 0)
            break;
        Done += Got;
    }
    return Done;
}

int64_t TFileHandle::Seek(int64_t Offset, TFileOrigin Origin)
{
    if (FHandle == Invalid)
        return -1;
    const int Whence = Origin == foBegin ? SEEK_SET : Origin == foCurrent ? SEEK_CUR : SEEK_END;
    const off_t Result = ::lseek(static_cast<int>(FHandle), static_cast<off_t>(Offset), Whence);
    return Result < 0 ? -1 : static_cast<int64_t>(Result);
}

void TFileHandle::Close()
{
    if (FHandle != Invalid) {
        ::close(static_cast<int>(FHandle));
        FHandle = Invalid;
    }
}

std::u16string FullPathName(const std::u16string& FileName)
{
    if (!FileName.empty() && FileName[0] == u'/')
        return FileName;
    char Directory[PATH_MAX];
    if (!::getcwd(Directory, sizeof Directory))
        return FileName;
    std::u16string Base = MultiByteToWide(cpUtf8, Directory, std::strlen(Directory));
    if (Base.empty() || Base.back() != u'/')
        Base.push_back(u'/');
    return Base + FileName;
}

bool WriteWholeFile(const std::u16string& FileName, const std::vector<uint8_t>& Data, std::string& ErrorText)
{
    const std::string Path = WideToMultiByte(cpUtf8, FileName);
    const int Descriptor = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Descriptor < 0) {
        ErrorText = std::strerror(errno);
        return false;
    }
    size_t Done = 0;
    while (Done < Data.size()) {
        const ssize_t Put = ::write(Descriptor, Data.data() + Done, Data.size() - Done);
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put <= 0) {
            ErrorText = std::strerror(errno);
            ::close(Descriptor);
            return false;
        }
        Done += static_cast<size_t>(Put);
    }
    if (::close(Descriptor) != 0) {
        ErrorText = std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::u16string& FileName, std::vector<uint8_t>& Data, std::string& ErrorText)
{
    TFileHandle File;
    if (!File.OpenForReading(FileName, smDenyWrite, ErrorText))
        return false;
    Data.clear();
    uint8_t Chunk[65536];
    for (;;) {
        const int64_t Got = File.Read(Chunk, sizeof Chunk);
        if (Got < 0) {
            ErrorText = std::strerror(errno);
            return false;
        }
        if (Got == 0)
            return true;
        Data.insert(Data.end(), Chunk, Chunk + Got);
    }
}

}
