#include "platform/ProcessCounters.h"

#include <filesystem>
#include <system_error>

#include "platform/posix/PosixDib.h"

namespace platform {

size_t OpenHandleCount()
{
    // The listing holds one descriptor of its own while it runs; every count
    // includes it, so differences between counts are exact.
    std::error_code Error;
    size_t Count = 0;
    for (std::filesystem::directory_iterator Entry("/proc/self/fd", Error), End; !Error && Entry != End;
         Entry.increment(Error))
        ++Count;
    return Count;
}

size_t LiveBitmapCount() { return LiveDibCount(); }

}
