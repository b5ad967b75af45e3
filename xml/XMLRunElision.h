#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "core/Stream.h"
#include "xml/XMLBuffer.h"

// Long runs of element content, a FictionBook's base64 pictures above all,
// are most of a large document's bytes, yet they never decide whether it is
// well-formed: text without references is text whatever it holds. So the
// parser is given a skeleton of the text in which each such run is one
// placeholder byte, and a run is read from the text itself when its node's
// value is asked for.
//
// A run is elided when it starts after a '>' inside an element, ends at the
// next '<', holds something besides blanks, and holds no '&', '>' or NUL and
// few '=' (so that it counts towards the node budget exactly as its
// placeholder does, but for its '='). The scan knows tags with quoted
// attribute values, comments, CDATA sections, processing instructions and a
// document type declaration without an internal subset; anywhere else it
// has a doubt it elides nothing.

// Runs shorter than this are left to the parser: eliding them saves less
// than it costs.
constexpr size_t DefaultElidedRunBytes = 64 * 1024;

// The byte that stands for an elided run in a skeleton.
constexpr char RunPlaceholder = 'x';

struct TElidedRun {
    size_t SkeletonOffset;  // of the placeholder, where its text node's value points
    size_t TextOffset;
    size_t Length;       // in the text
    size_t ValueLength;  // once "\r\n" and a lone "\r" are made "\n", as the parser does
    bool LineEndsDone;
};

struct TRunElision {
    TXMLBuffer Skeleton;
    std::vector<TElidedRun> Runs;
    // The '=' inside the elided runs: the node count of the text is that of
    // the skeleton with these as attributes.
    size_t Equals = 0;
};

// The skeleton of Size bytes at Text with every run of at least MinRun bytes
// elided; false, and nothing made, when there is no such run, a doubt, or
// the skeleton would take more than MaxSkeletonBytes.
bool ElideLongRuns(const char* Text, size_t Size, size_t MinRun, size_t MaxSkeletonBytes, TRunElision& Elision);

// Whether pugixml parses these bytes in place with Encoding, so that the
// values it gives point into them: UTF-8 as given, or as its guess finds
// them (no UTF-16 or UTF-32 pattern, no Latin-1 declaration).
bool ParsedInPlace(const char* Data, size_t Size, pugi::xml_encoding Encoding);

// Whether ParsedInPlace guesses the same of a text whatever follows its
// first Size bytes at Data.
bool EncodingGuessKnown(const char* Data, size_t Size);

// The elided runs of a parsed skeleton and the text they come from: a text
// this owns, or a stream that outlives this, read again for a run's value.
class TXMLElidedRuns {
public:
    TXMLElidedRuns() = default;
    TXMLElidedRuns(TXMLBuffer Text, std::vector<TElidedRun> Runs, const char* Skeleton, size_t SkeletonSize);
    TXMLElidedRuns(TStream& Text, std::vector<TElidedRun> Runs, const char* Skeleton, size_t SkeletonSize);

    bool Empty() const { return FRuns.empty(); }
    // A value the parser gave: the run whose placeholder it points at, else
    // the value itself. A run read from a stream raises EReadError when the
    // stream no longer holds it.
    std::string_view Value(const char* Value);
    // An offset into the skeleton as the offset of the same byte in the text.
    size_t TextOffset(size_t SkeletonOffset) const;

private:
    TXMLBuffer FText;
    TStream* FStream = nullptr;
    std::vector<TXMLBuffer> FReadRuns;  // by run, once asked for
    std::vector<TElidedRun> FRuns;
    const char* FSkeleton = nullptr;
    size_t FSkeletonSize = 0;
};
