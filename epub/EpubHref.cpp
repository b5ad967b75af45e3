#include "epub/EpubHref.h"

#include <vector>

namespace {

int HexValue(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

bool IsAsciiLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }

// RFC 3986 scheme: a letter, then letters, digits, '+', '-' or '.', then ':'
// before any '/'. "data:", "http:" and "file:" all name nothing inside the book.
bool HasScheme(const std::string& Href)
{
    if (Href.empty() || !IsAsciiLetter(Href[0]))
        return false;
    for (const char C : Href) {
        if (C == ':')
            return true;
        if (!IsAsciiLetter(C) && !(C >= '0' && C <= '9') && C != '+' && C != '-' && C != '.')
            return false;
    }
    return false;
}

}

std::string PercentDecode(const std::string& Text)
{
    std::string Decoded;
    Decoded.reserve(Text.size());
    for (size_t Index = 0; Index < Text.size(); ++Index) {
        if (Text[Index] == '%' && Text.size() - Index > 2) {
            const int High = HexValue(Text[Index + 1]);
            const int Low = HexValue(Text[Index + 2]);
            if (High >= 0 && Low >= 0) {
                Decoded.push_back(static_cast<char>(High * 16 + Low));
                Index += 2;
                continue;
            }
        }
        Decoded.push_back(Text[Index]);
    }
    return Decoded;
}

std::string EntryFolder(const std::string& Name)
{
    const size_t Slash = Name.rfind('/');
    return Slash == std::string::npos ? std::string() : Name.substr(0, Slash + 1);
}

std::optional<std::string> ResolveEpubHref(const std::string& Folder, const std::string& Href)
{
    const std::string Path = Href.substr(0, Href.find('#'));
    if (Path.empty() || HasScheme(Path) || Path.rfind("//", 0) == 0)
        return std::nullopt;
    // Segments are split before decoding, so that an escaped "%2F" stays
    // part of its name.
    const std::string Joined = Path[0] == '/' ? Path.substr(1) : Folder + Path;
    std::vector<std::string> Segments;
    bool LastIsFolder = false;
    for (size_t Start = 0; Start <= Joined.size();) {
        size_t End = Joined.find('/', Start);
        if (End == std::string::npos)
            End = Joined.size();
        const std::string Segment = PercentDecode(Joined.substr(Start, End - Start));
        LastIsFolder = Segment.empty() || Segment == "." || Segment == "..";
        if (Segment == "..") {
            if (!Segments.empty())
                Segments.pop_back();
        } else if (!LastIsFolder) {
            Segments.push_back(Segment);
        }
        Start = End + 1;
    }
    if (Segments.empty() || LastIsFolder)
        return std::nullopt;
    std::string Name;
    for (const std::string& Segment : Segments) {
        if (!Name.empty())
            Name.push_back('/');
        Name += Segment;
    }
    return Name;
}
