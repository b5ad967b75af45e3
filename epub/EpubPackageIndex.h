#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "xml/XMLNode.h"

// Many short texts in one block, as a package may hold half a million: a
// string each would cost more than the document's tree.
class TTextList {
public:
    void Add(std::string_view Text);
    size_t Count() const { return FEnds.size(); }
    std::string_view operator[](size_t Index) const;

private:
    std::string FText;
    std::vector<uint32_t> FEnds;
};

// What the cover searches ask of a manifest child.
struct TManifestItem {
    // Named <item>; other children of <manifest> count only for ids.
    bool IsItem = false;
    // By media type (ASCII case ignored): image/..., and image/svg+xml.
    bool IsImage = false;
    bool IsSvg = false;
    // By the tokens of properties.
    bool CoverImage = false;
    bool Nav = false;
    // The id or href holds "cover", ASCII case ignored.
    bool NamedCover = false;
};

// What the cover searches ask of a package document, read in one pass so
// that each question is a lookup: a package of many thousand <meta> and
// manifest items is walked once, never once per item. Text is UTF-8.
struct TPackageIndex {
    // Every child element of <manifest>, in document order, with its href and id.
    std::vector<TManifestItem> Items;
    TTextList Hrefs, Ids;
    // Positions in Items, ordered by id, then position.
    std::vector<uint32_t> ById;
    // The content of every <meta name="cover"> (name in any ASCII case), in order.
    TTextList CoverMetas;
    // The href of every <guide> <reference> of type "cover" (any ASCII case), in order.
    std::vector<std::string> GuideCovers;
    // The idref of the spine's first <itemref>; empty without one.
    std::string FirstSpineId;

    using TPositions = std::pair<std::vector<uint32_t>::const_iterator, std::vector<uint32_t>::const_iterator>;
    // The positions in Items of the children whose id is Id, in document order.
    TPositions WithId(std::string_view Id) const;
};

// Children are matched by their exact names, as a package without prefixes
// writes them; a missing Package gives an empty index.
TPackageIndex IndexPackage(const IXMLNode& Package);
