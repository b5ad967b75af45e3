#include "platform/HostModule.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include "platform/CodePages.h"
#include "platform/posix/PosixDib.h"

namespace platform {

std::vector<std::u16string> CommandLineArguments(int argc, char** argv)
{
    std::vector<std::u16string> Arguments;
    for (int I = 0; I < argc; ++I)
        Arguments.push_back(MultiByteToWide(cpUtf8, argv[I], std::strlen(argv[I])));
    return Arguments;
}

std::u16string ProgramDirectory()
{
    char Path[PATH_MAX];
    const ssize_t Length = ::readlink("/proc/self/exe", Path, sizeof Path - 1);
    if (Length <= 0)
        return u"./";
    std::u16string Name = MultiByteToWide(cpUtf8, Path, static_cast<size_t>(Length));
    return Name.substr(0, Name.rfind(u'/') + 1);
}

std::u16string PluginModuleName() { return u"brisleaf.so"; }

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

// glibc returns the free top of the heap beyond a threshold that it adjusts
// to the blocks it has mapped and unmapped: with a book's buffers of a few
// hundred kilobytes it came to trim the heap and grow it again for each book
// (127,000 page faults in a batch of 1,000 books, 2,000 with these settings).
// Blocks under 8 MiB come from the heap, where they are reused, and up to
// 64 MiB of it is kept free. The cost: a book read in large pieces may leave
// the heap fragmented, and its peak larger (a zipped FictionBook of large
// texts: 28 MiB rather than 21).
void KeepFreedMemory()
{
    ::mallopt(M_MMAP_THRESHOLD, 8 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

TLoadedModule::~TLoadedModule()
{
    if (FModule)
        ::dlclose(FModule);
}

bool TLoadedModule::Load(const std::u16string& FileName, std::string& ErrorText)
{
    std::string Path = WideToMultiByte(cpUtf8, FileName);
    // dlopen searches the library path for a bare name; a host means the file.
    if (Path.find('/') == std::string::npos)
        Path = "./" + Path;
    FModule = ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FModule) {
        const char* Error = ::dlerror();
        ErrorText = Error ? Error : "cannot load module";
        return false;
    }
    return true;
}

void* TLoadedModule::Proc(const char* Name) const { return FModule ? ::dlsym(FModule, Name) : nullptr; }

bool TLoadedModule::ReadBitmap(TBitmapHandle Bitmap, TBitmapData& Data) const
{
    auto GetObject = reinterpret_cast<TBrisleafGetObject>(Proc("BrisleafGetObject"));
    BrisleafDibSection Section;
    if (!GetObject || GetObject(Bitmap, sizeof Section, &Section) != sizeof Section)
        return false;
    Data.Width = Section.Width;
    Data.Height = Section.Height;
    Data.BitCount = Section.BitCount;
    Data.ColorTable.assign(Section.ColorTable, Section.ColorTable + Section.ColorCount);
    Data.Bits.clear();
    Data.Rows = Section.Bits;
    return true;
}

bool TLoadedModule::DeleteBitmap(TBitmapHandle Bitmap) const
{
    auto DeleteObject = reinterpret_cast<TBrisleafDeleteObject>(Proc("BrisleafDeleteObject"));
    return DeleteObject && DeleteObject(Bitmap) != 0;
}

}
