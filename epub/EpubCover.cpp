#include "epub/EpubCover.h"

#include "core/Limits.h"
#include "core/MemoryStream.h"
#include "core/Strings.h"
#include "xml/XMLDocument.h"
#include "xml/XMLNodeLookup.h"

namespace {

// Where the package document is, and what it calls the cover.
struct TCoverReference {
    std::u16string BaseDirectory;
    std::u16string Reference;
};

std::u16string PackagePath(const IXMLDocument& Document)
{
    Document->SetOptions(0);
    const IXMLNode Container = FindDocumentChild(Document, u"container");
    if (!Container)
        return std::u16string();
    const IXMLNode Rootfile = SelectNodePath(Container, u"rootfiles/rootfile");
    if (!Rootfile)
        return std::u16string();
    const IXMLNode FullPath = Rootfile.AttributeNodes().FindNode(u"full-path");
    return FullPath ? FullPath.Text() : std::u16string();
}

// The last <meta> whose name is "cover" (ASCII case ignored) decides, even
// when its content is missing.
std::u16string CoverId(const IXMLNode& Metadata)
{
    std::u16string Id;
    const IXMLNodeList Children = Metadata.ChildNodes();
    const int Count = Children.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = Children.Get(Index);
        if (Child.NodeName() != u"meta")
            continue;
        if (SameTextAscii(Child.Attribute(u"name"), u"cover"))
            Id = Child.Attribute(u"content");
    }
    return Id;
}

// The href of the last manifest child with that id, whatever its name.
std::u16string ManifestHref(const IXMLNode& Manifest, const std::u16string& Id)
{
    std::u16string Href;
    const IXMLNodeList Children = Manifest.ChildNodes();
    const int Count = Children.Count();
    for (int Index = 0; Index < Count; ++Index) {
        const IXMLNode Child = Children.Get(Index);
        if (Child.Attribute(u"id") == Id)
            Href = Child.Attribute(u"href");
    }
    return Href;
}

std::u16string CoverHref(const IXMLDocument& Document)
{
    Document->SetOptions(0);
    const IXMLNode Package = FindDocumentChild(Document, u"package");
    if (!Package)
        return std::u16string();
    const IXMLNode Metadata = SelectNodePath(Package, u"metadata");
    if (!Metadata)
        return std::u16string();
    const std::u16string Id = CoverId(Metadata);
    if (Id.empty())
        return std::u16string();
    const IXMLNode Manifest = SelectNodePath(Package, u"manifest");
    if (!Manifest)
        return std::u16string();
    return ManifestHref(Manifest, Id);
}

// Follows container and package; every node and the document are gone when
// this returns, before the picture is read.
TCoverReference FindCoverReference(TZipFile& Zip, TReadBudget& Budget)
{
    const IXMLDocument Document = NewXMLDocument();
    std::u16string Package;
    {
        const TBytes Container = Zip.Read(u"META-INF/container.xml", Limits::EpubPackageBytes, Budget);
        TPointerReadOnlyStream Stream(Container.data(), static_cast<intptr_t>(Container.size()));
        Document->SetXMLFromStream(Stream);
        Package = PackagePath(Document);
    }
    if (Package.empty())
        return {};
    TCoverReference Cover{ExtractZipDir(Package), std::u16string()};
    {
        const TBytes PackageBytes = Zip.Read(Package, Limits::EpubPackageBytes, Budget);
        TPointerReadOnlyStream Stream(PackageBytes.data(), static_cast<intptr_t>(PackageBytes.size()));
        Document->LoadFromStream(Stream);
    }
    Cover.Reference = CoverHref(Document);
    return Cover;
}

}

std::u16string ExtractZipDir(const std::u16string& Name)
{
    const size_t Slash = Name.rfind(u'/');
    return Slash == std::u16string::npos ? std::u16string() : Name.substr(0, Slash + 1);
}

// A reference holding "../" anywhere names an entry from the archive's root,
// with every "../" removed in one left-to-right pass; anything else is taken
// relative to the package's folder. Nothing else is decoded or normalised.
std::u16string ResolveCoverEntryName(const std::u16string& BaseDirectory, const std::u16string& Reference)
{
    if (Reference.find(u"../") == std::u16string::npos)
        return BaseDirectory + Reference;
    std::u16string Name;
    for (size_t Index = 0; Index < Reference.size();) {
        if (Reference.compare(Index, 3, u"../") == 0) {
            Index += 3;
        } else {
            Name.push_back(Reference[Index]);
            ++Index;
        }
    }
    return Name;
}

std::u16string EpubCoverEntryName(TZipFile& Zip, TReadBudget& Budget)
{
    const TCoverReference Cover = FindCoverReference(Zip, Budget);
    return Cover.Reference.empty() ? std::u16string() : ResolveCoverEntryName(Cover.BaseDirectory, Cover.Reference);
}

TBytes ExtractEpubCover(TZipFile& Zip, TReadBudget& Budget)
{
    const std::u16string Name = EpubCoverEntryName(Zip, Budget);
    return Name.empty() ? TBytes() : Zip.Read(Name, Limits::CoverPictureBytes, Budget);
}
