#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "xml/XMLNode.h"

// What the cover searches ask of a package document, read in one pass so
// that each question is a lookup: a package of many thousand <meta> and
// manifest items is walked once, never once per item. Text is UTF-8.
struct TManifestItem {
    std::string Id, Href, MediaType, Properties;
    // Named <item>; other children of <manifest> count only for ids.
    bool IsItem = false;
};

struct TPackageIndex {
    // Every child element of <manifest>, in document order.
    std::vector<TManifestItem> Items;
    // The positions in Items of each id, in document order.
    std::unordered_map<std::string, std::vector<size_t>> ItemsById;
    // The content of every <meta name="cover"> (name in any ASCII case), in order.
    std::vector<std::string> CoverMetas;
    // The href of every <guide> <reference> of type "cover" (any ASCII case), in order.
    std::vector<std::string> GuideCovers;
    // The idref of the spine's first <itemref>; empty without one.
    std::string FirstSpineId;
};

// Children are matched by their exact names, as a package without prefixes
// writes them; a missing Package gives an empty index.
TPackageIndex IndexPackage(const IXMLNode& Package);
