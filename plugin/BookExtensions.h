#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The one list of book extensions: it picks a request's route, makes the
// detect string and tells brisleaf-thumb which files of a folder are books.

enum class TRoute { Mobipocket, ZippedFB2, Epub, PlainFB2 };

struct TBookExtension {
    std::u16string_view Key;  // lower case, dot included
    TRoute Route;
    bool InDetectString;  // the host shows previews for these without asking
};

inline constexpr TBookExtension BookExtensions[] = {
    {u".fb2", TRoute::PlainFB2, true},    {u".fbz", TRoute::ZippedFB2, true},   {u".fb2z", TRoute::ZippedFB2, false},
    {u".zfb2", TRoute::ZippedFB2, false}, {u".zip", TRoute::ZippedFB2, false},  {u".epub", TRoute::Epub, true},
    {u".mobi", TRoute::Mobipocket, true}, {u".azw", TRoute::Mobipocket, true},  {u".azw3", TRoute::Mobipocket, true},
    {u".azw4", TRoute::Mobipocket, false}, {u".kf8", TRoute::Mobipocket, false},
};

// The book extension whose key is exactly Key, or nullptr.
constexpr const TBookExtension* FindBookExtension(std::u16string_view Key)
{
    for (const TBookExtension& Extension : BookExtensions)
        if (Extension.Key == Key)
            return &Extension;
    return nullptr;
}

namespace detail {

// EXT="FB2"|EXT="FBZ"|...: each detected extension upper-cased, without its dot.
constexpr size_t DetectStringLength()
{
    size_t Length = 0;
    for (const TBookExtension& Extension : BookExtensions)
        if (Extension.InDetectString)
            Length += (Length ? 1 : 0) + 6 + Extension.Key.size() - 1;
    return Length;
}

constexpr std::array<char, DetectStringLength() + 1> MakeDetectString()
{
    std::array<char, DetectStringLength() + 1> Text{};
    size_t At = 0;
    auto Append = [&](std::string_view Part) {
        for (char C : Part)
            Text[At++] = C;
    };
    for (const TBookExtension& Extension : BookExtensions) {
        if (!Extension.InDetectString)
            continue;
        if (At)
            Append("|");
        Append("EXT=\"");
        for (char16_t C : Extension.Key.substr(1))
            Text[At++] = static_cast<char>(C >= u'a' && C <= u'z' ? C - 32 : C);
        Append("\"");
    }
    return Text;
}

}

// The detect string, zero-terminated.
inline constexpr std::array<char, detail::DetectStringLength() + 1> DetectStringText = detail::MakeDetectString();
