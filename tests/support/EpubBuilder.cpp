#include "tests/support/EpubBuilder.h"

#include "tests/support/ZipWriter.h"

std::string EpubContainer(const std::vector<std::string>& FullPaths)
{
    std::string Text = "<?xml version=\"1.0\"?>\n"
                       "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                       "  <rootfiles>\n";
    for (const std::string& Path : FullPaths)
        Text += "    <rootfile full-path=\"" + Path + "\" media-type=\"application/oebps-package+xml\"/>\n";
    return Text + "  </rootfiles>\n</container>\n";
}

std::string EpubPackage(const std::string& Metadata, const std::string& Manifest)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"2.0\" unique-identifier=\"id\">\n"
           "  <metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:opf=\"http://www.idpf.org/2007/opf\">\n"
           "    <dc:title>Book</dc:title>\n" +
           Metadata +
           "\n  </metadata>\n  <manifest>\n" + Manifest +
           "\n  </manifest>\n  <spine><itemref idref=\"text\"/></spine>\n</package>\n";
}

std::string EpubPackage(const std::string& Metadata, const std::string& Manifest, const std::string& Guide)
{
    std::string Package = EpubPackage(Metadata, Manifest);
    return Package.replace(Package.rfind("</package>"), std::string("</package>").size(),
                           "  <guide>" + Guide + "</guide>\n</package>");
}

TBytes BuildEpub(const TEpubBook& Book)
{
    TZipWriter Writer;
    Writer.Add("mimetype", std::string("application/epub+zip"));
    if (Book.HasContainer)
        Writer.Add("META-INF/container.xml", Book.Container, ZipDeflated);
    if (!Book.PackagePath.empty())
        Writer.Add(Book.PackagePath, Book.Package, ZipDeflated);
    for (const auto& [Name, Content] : Book.Entries)
        Writer.Add(Name, Content, ZipDeflated);
    return Writer.Build();
}

TBytes BuildEpub(const std::string& Metadata, const std::string& Manifest,
                 const std::vector<std::pair<std::string, TBytes>>& Entries, const std::string& Guide)
{
    TEpubBook Book;
    Book.Package = Guide.empty() ? EpubPackage(Metadata, Manifest) : EpubPackage(Metadata, Manifest, Guide);
    Book.Entries = Entries;
    return BuildEpub(Book);
}

TBytes BuildEpubWithCover(const TBytes& Picture, const std::string& Extension)
{
    TEpubBook Book;
    Book.Package = EpubPackage("<meta name=\"cover\" content=\"cover-image\"/>",
                               "<item id=\"text\" href=\"text.xhtml\" media-type=\"application/xhtml+xml\"/>\n"
                               "<item id=\"cover-image\" href=\"images/cover." + Extension +
                                   "\" media-type=\"image/jpeg\"/>");
    Book.Entries = {{"OEBPS/text.xhtml", Bytes("<html/>")}, {"OEBPS/images/cover." + Extension, Picture}};
    return BuildEpub(Book);
}
