#include "host/Batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "core/Strings.h"
#include "platform/CodePages.h"
#include "platform/HostModule.h"
#include "plugin/BookExtensions.h"

namespace fs = std::filesystem;

namespace {

std::string Narrow(const std::u16string& Text) { return platform::WideToMultiByte(platform::cpUtf8, Text); }

bool IsBookExtension(const std::u16string& Extension)
{
    return FindBookExtension(AsciiLowerText(Extension)) != nullptr;
}

struct TJob {
    std::u16string Input;
    std::u16string Output;
};

// Inputs as given, folders expanded into the books below them, each with an
// output name that no other book of the run shares.
std::vector<TJob> CollectJobs(const THostOptions& Options)
{
    std::vector<std::u16string> Books;
    for (const std::u16string& Input : Options.Inputs) {
        std::error_code Error;
        const fs::path Path(Input);
        if (fs::is_directory(Path, Error)) {
            std::vector<std::u16string> Found;
            for (fs::recursive_directory_iterator It(Path, fs::directory_options::skip_permission_denied, Error), End;
                 !Error && It != End; It.increment(Error))
                if (It->is_regular_file(Error) && IsBookExtension(It->path().extension().u16string()))
                    Found.push_back(It->path().u16string());
            std::sort(Found.begin(), Found.end());
            Books.insert(Books.end(), Found.begin(), Found.end());
        } else {
            Books.push_back(Input);
        }
    }
    std::vector<TJob> Jobs;
    std::set<std::u16string> Taken;
    for (const std::u16string& Book : Books) {
        const std::u16string Name = fs::path(Book).filename().u16string();
        std::u16string Output = Name + u".png";
        for (int Suffix = 2; Taken.count(Output); ++Suffix)
            Output = Name + u"-" + AsciiToWide(std::to_string(Suffix)) + u".png";
        Taken.insert(Output);
        Jobs.push_back({Book, (fs::path(Options.OutputDir) / fs::path(Output)).u16string()});
    }
    return Jobs;
}

}

int RunBatch(const TThumbnailer& Thumbnailer, const THostOptions& Options)
{
    std::error_code DirError;
    fs::create_directories(fs::path(Options.OutputDir), DirError);
    if (DirError) {
        std::fprintf(stderr, "brisleaf-thumb: cannot make %s: %s\n", Narrow(Options.OutputDir).c_str(),
                     DirError.message().c_str());
        return 2;
    }
    const std::vector<TJob> Jobs = CollectJobs(Options);
    const unsigned Workers = std::max(1u, std::min<unsigned>(Options.Jobs ? Options.Jobs
                                                                          : std::max(1u, std::thread::hardware_concurrency()),
                                                             static_cast<unsigned>(Jobs.size())));
    const bool Progress = platform::StandardErrorIsTerminal();
    std::atomic<size_t> Next{0};
    std::atomic<size_t> Made{0}, NoCover{0}, Failed{0};
    std::mutex Output;
    const auto Start = std::chrono::steady_clock::now();

    auto Work = [&] {
        for (size_t Index; (Index = Next++) < Jobs.size();) {
            const TJob& Job = Jobs[Index];
            std::string Error;
            TBitmapData Bitmap;
            std::error_code StatError;
            TThumbnailer::TResult Result = TThumbnailer::trFailed;
            if (!fs::is_regular_file(fs::path(Job.Input), StatError))
                Error = "not a file";
            else
                Result = Thumbnailer.Make(Job.Input, Options.Width, Options.Height, false, Bitmap, Error);
            if (Result == TThumbnailer::trMade && !WriteBitmapFile(Job.Output, Bitmap, Error))
                Result = TThumbnailer::trFailed;
            (Result == TThumbnailer::trMade ? Made : Result == TThumbnailer::trNoCover ? NoCover : Failed)++;

            std::lock_guard<std::mutex> Lock(Output);
            if (Result == TThumbnailer::trFailed)
                std::fprintf(stderr, "%sbrisleaf-thumb: %s: %s\n", Progress ? "\r\033[K" : "",
                             Narrow(Job.Input).c_str(), Error.c_str());
            if (Progress) {
                const size_t Done = Made + NoCover + Failed;
                std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", Done, Jobs.size(),
                             Narrow(fs::path(Job.Input).filename().u16string()).c_str());
                std::fflush(stderr);
            }
        }
    };
    std::vector<std::thread> Threads;
    for (unsigned I = 1; I < Workers; ++I)
        Threads.emplace_back(Work);
    Work();
    for (std::thread& Thread : Threads)
        Thread.join();

    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    if (Progress)
        std::fprintf(stderr, "\r\033[K");
    std::printf("%zu books: %zu made, %zu no cover, %zu failed in %.2f s (%.1f books/s, %u jobs)\n", Jobs.size(),
                Made.load(), NoCover.load(), Failed.load(), Seconds, Seconds > 0 ? Jobs.size() / Seconds : 0.0,
                Workers);
    return Failed ? 2 : 0;
}
