#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/Types.h"

// EPUB archives for tests: a container naming the package, the package
// document, and any other entries.

// META-INF/container.xml naming one or more packages.
std::string EpubContainer(const std::vector<std::string>& FullPaths);
// A package document with the given children of <metadata> and <manifest>.
std::string EpubPackage(const std::string& Metadata, const std::string& Manifest);
// The same with a <guide> holding the given children after the spine.
std::string EpubPackage(const std::string& Metadata, const std::string& Manifest, const std::string& Guide);

struct TEpubBook {
    std::string Container = EpubContainer({"OEBPS/content.opf"});
    bool HasContainer = true;
    std::string PackagePath = "OEBPS/content.opf";
    std::string Package;
    std::vector<std::pair<std::string, TBytes>> Entries;
};
// The archive: mimetype first, stored, then the container, the package and
// the entries, deflated.
TBytes BuildEpub(const TEpubBook& Book);
// A book at OEBPS/content.opf with these package children (Guide empty: no
// <guide>) and entries.
TBytes BuildEpub(const std::string& Metadata, const std::string& Manifest,
                 const std::vector<std::pair<std::string, TBytes>>& Entries, const std::string& Guide = "");
// A book at OEBPS/content.opf whose cover, marked with <meta name="cover">,
// is the entry OEBPS/images/cover.<extension> holding Picture.
TBytes BuildEpubWithCover(const TBytes& Picture, const std::string& Extension = "jpg");
