#include "fb2/ZipFB2.h"

#include "core/Limits.h"
#include "core/Strings.h"
#include "zip/LimitedEntryStream.h"

namespace {

IXMLDocument LoadEntryText(TStream& Entry, uint32_t Limit, TReadBudget& Budget, uint64_t StatedSize)
{
    // A deflate bomb is refused at the limit instead of being inflated into
    // memory to its end. The stated size, within the limit, lets the text
    // be inflated into a buffer made once at its size, instead of one that
    // doubles (and is copied) as the text comes; a size that lies costs
    // room that is never touched, or growth as before.
    TLimitedEntryStream Limited(Entry, Limit, Budget, StatedSize);
    IXMLDocument Document = NewXMLDocument();
    SetXMLTextFromStream(Document, Limited);
    return Document;
}

}

bool PassesFB2ZipFilter(const std::u16string& AccessPath)
{
    static constexpr size_t SuffixLength = 7;
    if (AccessPath.size() < SuffixLength)
        return false;
    return SameTextAscii(AccessPath.substr(AccessPath.size() - SuffixLength), u"fb2.zip");
}

bool IsFB2EntryName(const std::u16string& Name)
{
    return SameTextAscii(ExtractFileExt(Name), u".fb2");
}

IXMLDocument LoadFB2EntryDocument(TZipFile& Zip, std::unique_ptr<TStream>& EntryStream, TReadBudget& Budget)
{
    for (const std::u16string& Name : Zip.FileNames()) {
        if (!IsFB2EntryName(Name))
            continue;
        TZipHeader LocalHeader;
        EntryStream = Zip.Read(Name, LocalHeader);
        return LoadEntryText(*EntryStream, Limits::ZippedFB2TextBytes, Budget, Zip.StatedSize(Name));
    }
    return nullptr;
}

IXMLDocument LoadFB2Entry(TZipFile& Zip, const std::u16string& Name, uint32_t Limit, TReadBudget& Budget)
{
    TZipHeader LocalHeader;
    const std::unique_ptr<TStream> Entry = Zip.Read(Name, LocalHeader);
    return LoadEntryText(*Entry, Limit, Budget, Zip.StatedSize(Name));
}
