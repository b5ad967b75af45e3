#include "tests/stress/HostileInputs.h"

#include <zlib.h>

#include <cstring>
#include <string>

#include "tests/stress/SeedPictures.h"
#include "tests/support/EpubBuilder.h"
#include "tests/support/Fb2Builder.h"
#include "tests/support/PdbBuilder.h"
#include "tests/support/PictureBuilders.h"
#include "tests/support/ZipWriter.h"

namespace {

void PutBigEndian16(TBytes& Bytes, size_t At, uint16_t Value)
{
    Bytes[At] = static_cast<uint8_t>(Value >> 8);
    Bytes[At + 1] = static_cast<uint8_t>(Value);
}
void PutLittleEndian16(TBytes& Bytes, size_t At, uint16_t Value)
{
    Bytes[At] = static_cast<uint8_t>(Value);
    Bytes[At + 1] = static_cast<uint8_t>(Value >> 8);
}
void PutLittleEndian32(TBytes& Bytes, size_t At, uint32_t Value)
{
    PutLittleEndian16(Bytes, At, static_cast<uint16_t>(Value));
    PutLittleEndian16(Bytes, At + 2, static_cast<uint16_t>(Value >> 16));
}

// ---- pictures whose headers promise far more than they hold ----

// Bytes of no format, the same every time.
std::string Noise(size_t Size)
{
    std::string Bytes(Size, '\0');
    uint32_t State = 1;
    for (char& Byte : Bytes)
        Byte = static_cast<char>((State = State * 1103515245u + 12345u) >> 24);
    return Bytes;
}

TBytes PngClaiming(uint32_t Width, uint32_t Height)
{
    TBytes Png = SmallPng();
    // Signature (8), IHDR length and type (8), width, height at 16 and 20;
    // the CRC at 29 covers type and data, bytes 12 to 28.
    PutBigEndian32(Png, 16, Width);
    PutBigEndian32(Png, 20, Height);
    PutBigEndian32(Png, 29, static_cast<uint32_t>(crc32(0, Png.data() + 12, 17)));
    return Png;
}

// A small picture behind Count compressed text chunks of 7 MiB zeros each.
TBytes PngBehindTextBombs(size_t Count)
{
    constexpr uint32_t TextSize = 7u << 20;
    TBytes Text = {'k', 0, 0, 0x78, 0x01};
    const TBytes Zeros = DeflatedRun(TextSize);
    Text.insert(Text.end(), Zeros.begin(), Zeros.end());
    AppendBigEndian32(Text, static_cast<uint32_t>((TextSize % 65521) << 16 | 1));
    const TBytes Small = SmallPng();
    // Signature (8) and IHDR (25), then the text chunks.
    TBytes Png(Small.begin(), Small.begin() + 33);
    for (size_t I = 0; I < Count; ++I)
        AppendPngChunk(Png, "zTXt", Text);
    Png.insert(Png.end(), Small.begin() + 33, Small.end());
    return Png;
}

// A flat progressive picture whose last scan comes again and again: each
// repeat is a few bytes and a pass over every block of the picture.
TBytes JpegOfRepeatedScans(size_t Scans)
{
    TJpegSpec Spec;
    Spec.Width = Spec.Height = 2048;
    Spec.Components = 1;
    Spec.Progressive = true;
    Spec.Sample = [](int32_t, int32_t, uint8_t* C) { C[0] = 128; };
    return JpegWithScans(EncodeJpeg(Spec), Scans);
}

TBytes JpegClaiming(uint16_t Width, uint16_t Height)
{
    TBytes Jpeg = SmallJpeg();
    for (size_t At = 2; At + 9 < Jpeg.size(); ++At)
        if (Jpeg[At] == 0xFF && (Jpeg[At + 1] == 0xC0 || Jpeg[At + 1] == 0xC2)) {
            // Marker, length (2), precision (1), height, width.
            PutBigEndian16(Jpeg, At + 5, Height);
            PutBigEndian16(Jpeg, At + 7, Width);
            break;
        }
    return Jpeg;
}

TBytes GifClaiming(uint16_t Width, uint16_t Height, bool FrameToo = true)
{
    TBytes Gif = SmallGif();
    // Screen size at 6; four colours make a 12-byte global table after the
    // 13-byte screen descriptor, then the frame's descriptor: ',' left, top,
    // width, height.
    PutLittleEndian16(Gif, 6, Width);
    PutLittleEndian16(Gif, 8, Height);
    const size_t Frame = 13 + 12;
    if (FrameToo && Gif.size() > Frame + 9 && Gif[Frame] == ',') {
        PutLittleEndian16(Gif, Frame + 5, Width);
        PutLittleEndian16(Gif, Frame + 7, Height);
    }
    return Gif;
}

TBytes BmpClaiming(int32_t Width, int32_t Height)
{
    TBytes Bmp = SmallBmp();
    // File header (14), then the info header: size, width at 18, height at 22.
    PutLittleEndian32(Bmp, 18, static_cast<uint32_t>(Width));
    PutLittleEndian32(Bmp, 22, static_cast<uint32_t>(Height));
    return Bmp;
}

// ---- archives ----

// An EPUB whose named entry holds Data as it is written, declared to
// unpack to Size bytes.
TBytes EpubWithRawEntry(const std::string& Name, const TBytes& Data, uint16_t Method, uint32_t Size,
                        const std::string& Container = EpubContainer({"OEBPS/content.opf"}))
{
    TZipWriter Writer;
    Writer.Add("mimetype", std::string("application/epub+zip"));
    if (Name != "META-INF/container.xml")
        Writer.Add("META-INF/container.xml", Container, ZipDeflated);
    Writer.Add("OEBPS/content.opf",
               EpubPackage("<meta name=\"cover\" content=\"c\"/>",
                           "<item id=\"c\" href=\"cover.png\" media-type=\"image/png\"/>"),
               ZipDeflated);
    TZipWriterEntry& Entry = Writer.Add(Name, TBytes{}, Method);
    Entry.Data = Data;
    Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = Size;
    return Writer.Build();
}

TBytes EpubCover(const TBytes& Picture) { return BuildEpubWithCover(Picture, "png"); }

TBytes FbzWithRawEntry(const TBytes& Data, uint32_t Size, const TBytes& Content = {})
{
    TZipWriter Writer;
    TZipWriterEntry& Entry = Writer.Add("book.fb2", Content, ZipDeflated);
    Entry.Data = Data;
    Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = Size;
    return Writer.Build();
}

// A book without a cover, then Count later books of Size blanks each: what
// the cover fallbacks read through.
TBytes FbzOfLaterBlankBooks(size_t Count, uint32_t Size)
{
    TZipWriter Writer;
    Writer.Add("a.fb2", BuildFb2(TFb2Book{}), ZipDeflated);
    const TBytes Blanks = DeflatedRun(Size, ' ');
    for (size_t I = 0; I < Count; ++I) {
        TZipWriterEntry& Entry = Writer.Add("b" + std::to_string(I) + ".fb2", TBytes{}, ZipDeflated);
        Entry.Data = Blanks;
        Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = Size;
    }
    return Writer.Build();
}

// A package of Count pictures named as covers, each Size zero bytes: none
// decodes, so the fallbacks go on to the next.
TBytes EpubOfZeroCovers(size_t Count, uint32_t Size)
{
    std::string Manifest;
    for (size_t I = 0; I < Count; ++I)
        Manifest += "<item id=\"cover" + std::to_string(I) + "\" href=\"c" + std::to_string(I) +
                    ".jpg\" media-type=\"image/jpeg\"/>";
    TZipWriter Writer;
    Writer.Add("mimetype", std::string("application/epub+zip"));
    Writer.Add("META-INF/container.xml", EpubContainer({"OEBPS/content.opf"}), ZipDeflated);
    Writer.Add("OEBPS/content.opf", EpubPackage("", Manifest), ZipDeflated);
    const TBytes Zeros = DeflatedRun(Size);
    for (size_t I = 0; I < Count; ++I) {
        TZipWriterEntry& Entry = Writer.Add("OEBPS/c" + std::to_string(I) + ".jpg", TBytes{}, ZipDeflated);
        Entry.Data = Zeros;
        Entry.CentralUncompressedSize = Entry.LocalUncompressedSize = Size;
    }
    return Writer.Build();
}

TBytes FbzOfManyEntries(size_t Count)
{
    TZipWriter Writer;
    for (size_t I = 0; I < Count; ++I)
        Writer.Add("n" + std::to_string(I) + ".txt", std::string());
    Writer.Add("book.fb2", BuildFb2WithCover(AsText(SmallJpeg())), ZipDeflated);
    Writer.EntryCount = 0xFFFF;
    return Writer.Build();
}

// An EPUB whose own entries come after Count entries of 250-byte names:
// every lookup by name must not decode them all again.
TBytes EpubOfManyLongNames(size_t Count)
{
    TZipWriter Writer;
    for (size_t I = 0; I < Count; ++I)
        Writer.Add(std::string(240, 'n') + std::to_string(1000000000 + I), std::string());
    Writer.Add("META-INF/container.xml", EpubContainer({"OEBPS/content.opf"}), ZipDeflated);
    Writer.Add("OEBPS/content.opf",
               EpubPackage("<meta name=\"cover\" content=\"c\"/>",
                           "<item id=\"c\" href=\"cover.jpg\" media-type=\"image/jpeg\"/>"),
               ZipDeflated);
    Writer.Add("OEBPS/cover.jpg", SmallJpeg());
    Writer.EntryCount = 0xFFFF;
    return Writer.Build();
}

// Size bytes that end in candidates of the end record: "PK\5\6" at every
// position of the last 64 KiB, each pointing its directory somewhere else.
TBytes EndRecordCandidates(size_t Size)
{
    TBytes File(Size, 0);
    const size_t Window = 65535 + 22;
    for (size_t At = Size - Window; At + 4 <= Size; At += 4) {
        File[At] = 'P';
        File[At + 1] = 'K';
        File[At + 2] = 5;
        File[At + 3] = 6;
    }
    return File;
}

// ---- XML ----

std::string DeepFb2(size_t Depth)
{
    std::string Text = "<?xml version=\"1.0\"?><FictionBook><description>";
    Text.reserve(Depth * 7 + 100);
    for (size_t I = 0; I < Depth; ++I)
        Text += "<a>";
    for (size_t I = 0; I < Depth; ++I)
        Text += "</a>";
    return Text + "</description></FictionBook>";
}

std::string WideFb2(size_t Width)
{
    std::string Text = "<?xml version=\"1.0\"?><FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\"><description>"
                       "<title-info><coverpage>";
    for (size_t I = 0; I < Width; ++I)
        Text += "<image l:href=\"#c" + std::to_string(I) + "\"/>";
    Text += "</coverpage></title-info></description><body><p/></body>";
    for (size_t I = 0; I < Width; ++I)
        Text += "<binary id=\"b" + std::to_string(I) + "\">AA==</binary>";
    return Text + "</FictionBook>";
}

// Count binaries, each under a prefix of its own that the root binds to the
// FictionBook namespace, so that only the namespace-aware lookup of the
// cover fallbacks matches them; the cover links to the last.
std::string NamespacedBinariesFb2(size_t Count)
{
    const std::string Namespace = "http://www.gribuser.ru/xml/fictionbook/2.0";
    std::string Text = "<?xml version=\"1.0\"?><FictionBook xmlns=\"" + Namespace +
                       "\" xmlns:l=\"http://www.w3.org/1999/xlink\"";
    for (size_t I = 0; I < Count; ++I)
        Text += " xmlns:p" + std::to_string(I) + "=\"" + Namespace + "\"";
    Text += "><description><title-info><coverpage><image l:href=\"#b" + std::to_string(Count - 1) +
            "\"/></coverpage></title-info></description><body><p/></body>";
    for (size_t I = 0; I < Count; ++I) {
        const std::string Name = "p" + std::to_string(I) + ":binary";
        Text += "<" + Name + " id=\"b" + std::to_string(I) + "\">AA==</" + Name + ">";
    }
    return Text + "</FictionBook>";
}

// Count copies of Markup inside the root of an FB2 document.
std::string RepeatedFb2(const std::string& Markup, size_t Count)
{
    std::string Text = "<?xml version=\"1.0\"?><FictionBook>";
    Text.reserve(Text.size() + Markup.size() * Count + 20);
    for (size_t I = 0; I < Count; ++I)
        Text += Markup;
    return Text + "</FictionBook>";
}

// Count namespace declarations, all on one element, or one on each of Count
// nested elements; each prefix is used by the element that declares it.
std::string NamespacedElements(size_t Count, bool Nested)
{
    std::string Text;
    for (size_t I = 0; I < Count; ++I) {
        const std::string Prefix = "p" + std::to_string(I);
        if (Nested || I == 0)
            Text += "<" + Prefix + ":a";
        Text += " xmlns:" + Prefix + "=\"urn:" + Prefix + "\" " + Prefix + ":x=\"\"";
        if (Nested)
            Text += ">";
    }
    if (!Nested)
        return Text + "/>";
    for (size_t I = Count; I > 0; --I)
        Text += "</p" + std::to_string(I - 1) + ":a>";
    return Text;
}

// One element with Count attributes whose names are Length characters long.
std::string ElementOfAttributes(size_t Count, size_t Length)
{
    std::string Text = "<a";
    for (size_t I = 0; I < Count; ++I) {
        std::string Name = "n" + std::to_string(I);
        Name.resize(Length, 'x');
        Text += " " + Name + "=\"v\"";
    }
    return Text + "/>";
}

TBytes WideEpub(size_t Width)
{
    std::string Metadata, Manifest;
    for (size_t I = 0; I < Width; ++I) {
        Metadata += "<meta name=\"cover\" content=\"i" + std::to_string(I) + "\"/>";
        Manifest += "<item id=\"j" + std::to_string(I) + "\" href=\"x\"/>";
    }
    TEpubBook Book;
    Book.Package = EpubPackage(Metadata, Manifest);
    return BuildEpub(Book);
}

// A marked cover that is an SVG document of about Size bytes, all of it one
// data: URI whose base64 decodes to noise, no picture.
TBytes EpubOfSvgNoise(size_t Size)
{
    std::string Noise(Size / 4 * 3 - 200, '\0');
    uint32_t State = 1;
    for (char& Byte : Noise)
        Byte = static_cast<char>((State = State * 1103515245u + 12345u) >> 24);
    TEpubBook Book;
    Book.Package = EpubPackage("<meta name=\"cover\" content=\"c\"/>",
                               "<item id=\"c\" href=\"c.svg\" media-type=\"image/svg+xml\"/>");
    Book.Entries = {{"OEBPS/c.svg", Bytes("<svg xmlns=\"http://www.w3.org/2000/svg\"><image href=\"data:image/jpeg;base64," +
                                          EncodeBase64(Noise, 0) + "\"/></svg>")}};
    return BuildEpub(Book);
}

// A navigation document whose landmarks hold Count links to missing covers.
TBytes EpubOfLandmarks(size_t Count)
{
    std::string Nav = "<html xmlns:epub=\"http://www.idpf.org/2007/ops\"><body><nav epub:type=\"landmarks\">";
    for (size_t I = 0; I < Count; ++I)
        Nav += "<a epub:type=\"cover\" href=\"c" + std::to_string(I) + ".xhtml\"/>";
    TEpubBook Book;
    Book.Package = EpubPackage("", "<item id=\"n\" href=\"nav.xhtml\" properties=\"nav\"/>");
    Book.Entries = {{"OEBPS/nav.xhtml", Bytes(Nav + "</nav></body></html>")}};
    return BuildEpub(Book);
}

// A package document of Count copies of Markup, deflated.
TBytes RepeatedEpub(const std::string& Markup, size_t Count)
{
    std::string Metadata;
    Metadata.reserve(Markup.size() * Count);
    for (size_t I = 0; I < Count; ++I)
        Metadata += Markup;
    TEpubBook Book;
    Book.Package = EpubPackage(Metadata, "<item id=\"c\" href=\"c.png\"/>");
    return BuildEpub(Book);
}

TBytes DeepEpub(size_t Depth)
{
    std::string Nested;
    for (size_t I = 0; I < Depth; ++I)
        Nested += "<m>";
    for (size_t I = 0; I < Depth; ++I)
        Nested += "</m>";
    TEpubBook Book;
    Book.Package = EpubPackage(Nested, "<item id=\"c\" href=\"c.png\"/>");
    return BuildEpub(Book);
}

// ---- Palm databases ----

TBytes MobiWith(const TBytes& Exth, const std::vector<TBytes>& Pictures, size_t MinSize = 0)
{
    TMobiRecord0 Fields;
    Fields.FirstImage = 1;
    Fields.Exth = Exth;
    Fields.MinSize = MinSize;
    return MobiBook(MobiRecord0(Fields), 0, Pictures);
}

TBytes ManyExthRecords()
{
    // A first MiB full of the smallest records, and a count far beyond them.
    std::vector<TExthRecord> Records(131000, TExthRecord{100, {}, std::nullopt});
    return MobiWith(ExthBlock(Records, 0x7FFFFFFF), {SmallJpeg()});
}

TBytes EmptyExthRecords()
{
    // Records that declare no length at all.
    std::vector<TExthRecord> Records(1000, TExthRecord{100, {}, 0});
    return MobiWith(ExthBlock(Records, 0x7FFFFFFF), {SmallJpeg()});
}

TBytes ManyPdbRecords()
{
    std::vector<TBytes> Pictures(65534, TBytes{});
    Pictures[0] = SmallJpeg();
    return MobiWith(ExthBlock({ExthCover(0)}), Pictures);
}

TBytes HugeCoverRecord(size_t Size)
{
    TBytes Cover = SmallJpeg();
    Cover.resize(Size, 0);
    return MobiWith(ExthBlock({ExthCover(0)}), {Cover});
}

TBytes OffsetsBeyondFile()
{
    std::vector<uint32_t> Offsets;
    for (uint32_t I = 0; I < 1000; ++I)
        Offsets.push_back(0x7FFFFF00u + I * 16);
    return PdbWithOffsets(Offsets, 4096);
}

// ---- pictures of up to 64 megapixels, which must never be held whole ----

// A picture of Width x Height of one colour.
TBytes FlatJpeg(int32_t Width, int32_t Height, int Components, bool Progressive, bool Arithmetic = false)
{
    TJpegSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.Components = Components;
    Spec.Progressive = Progressive;
    Spec.Arithmetic = Arithmetic;
    Spec.Quality = 75;
    // Grey takes the first sample only.
    Spec.Sample = [Components](int32_t, int32_t, uint8_t* C) {
        const uint8_t Colour[] = {90, 160, 40};
        std::memcpy(C, Colour, static_cast<size_t>(Components));
    };
    return EncodeJpeg(Spec);
}

// A byte that is no marker before the frame header: decoders pass over it.
TBytes JunkBeforeFrame(TBytes Jpeg)
{
    for (size_t At = 2; At + 1 < Jpeg.size(); ++At)
        if (Jpeg[At] == 0xFF && Jpeg[At + 1] == 0xC0) {
            Jpeg.insert(Jpeg.begin() + static_cast<ptrdiff_t>(At), 0x00);
            break;
        }
    return Jpeg;
}

// A screen of Width x Height around one frame of 1 x 1, or a frame of the
// screen's size, interlaced.
TBytes LargeGif(uint16_t Width, uint16_t Height, bool WholeInterlacedFrame)
{
    TGifSpec Spec;
    Spec.ScreenWidth = Width;
    Spec.ScreenHeight = Height;
    Spec.GlobalColours = {0x000000, 0xFFFFFF};
    TGifFrameSpec Frame;
    Frame.Width = WholeInterlacedFrame ? Width : 1;
    Frame.Height = WholeInterlacedFrame ? Height : 1;
    Frame.Left = WholeInterlacedFrame ? 0 : Width / 2;
    Frame.Top = WholeInterlacedFrame ? 0 : Height / 2;
    Frame.Interlaced = WholeInterlacedFrame;
    Frame.Pixels.assign(static_cast<size_t>(Frame.Width) * static_cast<size_t>(Frame.Height), 1);
    Spec.Frames = {Frame};
    return EncodeGif(Spec);
}

// A BMP header of Width x Height whose pixel data are Pixels (often none:
// the rows the file lacks are black).
TBytes LargeBmp(int32_t Width, int32_t Height, int BitCount, uint32_t Compression, TBytes Pixels = {})
{
    TBmpSpec Spec;
    Spec.Width = Width;
    Spec.Height = Height;
    Spec.BitCount = BitCount;
    Spec.Compression = Compression;
    if (BitCount <= 8)
        Spec.Colours = {0x000000, 0xFFFFFF};
    if (Compression == 3)
        Spec.Masks[0] = 0xFF0000, Spec.Masks[1] = 0x00FF00, Spec.Masks[2] = 0x0000FF;
    Spec.Pixels = std::move(Pixels);
    return WriteBmp(Spec);
}

// RLE8 data: every row a run of Width / 255 x 255 white pixels, then end of line.
TBytes RleRows(int32_t Width, int32_t Height)
{
    TBytes Data;
    for (int32_t Y = 0; Y < Height; ++Y) {
        for (int32_t X = 0; X + 255 <= Width; X += 255)
            Data.insert(Data.end(), {255, 1});
        Data.insert(Data.end(), {0, 0});
    }
    return Data;
}

}

const std::vector<THostileInput>& HostileInputs()
{
    static const std::vector<THostileInput> Inputs = {
    {"zip-bomb-declared.fbz", [] { return FbzWithRawEntry(RawDeflate(AsBytes(BuildFb2(TFb2Book{}))), 0xFFFFFFF0u); }},
    {"zip-bomb-real.fbz", [] { return FbzWithRawEntry(DeflatedRun(4000000000u), 4000000000u); }},
    {"zip-bomb-spaces.fbz", [] { return FbzWithRawEntry(DeflatedRun(4000000000u, ' '), 4000000000u); }},
    {"zip-bomb-cover.epub", [] { return EpubWithRawEntry("OEBPS/cover.png", DeflatedRun(4000000000u), ZipDeflated, 4000000000u); }},
    {"zip-bomb-container.epub",
     [] { return EpubWithRawEntry("META-INF/container.xml", DeflatedRun(4000000000u), ZipDeflated, 4000000000u); }},
    {"zip-stored-100mb-cover.epub",
     [] { return EpubWithRawEntry("OEBPS/cover.png", TBytes(99u << 20, 0), ZipStored, 99u << 20); }},
    {"zip-65535-entries.fbz", [] { return FbzOfManyEntries(65534); }},
    {"zip-65535-long-names.epub", [] { return EpubOfManyLongNames(65532); }},
    {"zip-end-record-window.fbz", [] { return EndRecordCandidates(100u << 20); }},
    {"zip-no-end-record.epub", [] { return TBytes(100u << 20, 'x'); }},
    {"png-claims-100000x100000.epub", [] { return EpubCover(PngClaiming(100000, 100000)); }},
    {"png-claims-2147483647-square.epub", [] { return EpubCover(PngClaiming(0x7FFFFFFF, 0x7FFFFFFF)); }},
    {"png-real-20000x20000.epub", [] { return EpubCover(ZeroPng(20000, 20000)); }},
    {"png-text-chunks-8gb.epub", [] { return EpubCover(PngBehindTextBombs(1200)); }},
    {"jpeg-claims-65500x65500.epub", [] { return EpubCover(JpegClaiming(65500, 65500)); }},
    {"jpeg-100000-scans.epub", [] { return EpubCover(JpegOfRepeatedScans(100000)); }},
    {"gif-claims-65535x65535.epub", [] { return EpubCover(GifClaiming(65535, 65535)); }},
    {"gif-screen-65535x65535.epub", [] { return EpubCover(GifClaiming(65535, 65535, false)); }},
    {"bmp-claims-50000x50000.epub", [] { return EpubCover(BmpClaiming(50000, 50000)); }},
    {"bmp-claims-negative-height.epub", [] { return EpubCover(BmpClaiming(50000, -2147483647)); }},
    // 70 MiB that are no picture, as base64 in one text node; and 40 MiB,
    // which a book under the size limit may hold and a UTF-16 copy doubles.
    {"fb2-95mb-cover-binary.fb2", [] { return AsBytes(BuildFb2WithCover(Noise(70u << 20))); }},
    {"fb2-55mb-cover-binary.fb2", [] { return AsBytes(BuildFb2WithCover(Noise(40u << 20))); }},
    {"xml-deep-3m.fb2", [] { return AsBytes(DeepFb2(3000000)); }},
    {"xml-wide-1m.fb2", [] { return AsBytes(WideFb2(1000000)); }},
    {"xml-wide-epub-500k.epub", [] { return WideEpub(500000); }},
    // As many nodes, or attributes, as 100 MB of text can hold.
    {"xml-nodes-38m.fb2", [] { return AsBytes(RepeatedFb2("<a/>x", 19000000)); }},
    {"xml-attributes-17m.fb2", [] { return AsBytes(RepeatedFb2("<a b='' c='' d='' e='' f='' g=''/>", 2800000)); }},
    {"xml-namespaces-200k.fb2", [] { return AsBytes(RepeatedFb2(NamespacedElements(200000, false), 1)); }},
    {"xml-namespaces-nested-200k.fb2", [] { return AsBytes(RepeatedFb2(NamespacedElements(200000, true), 1)); }},
    {"xml-namespaces-200k.fbz",
     [] {
         TZipWriter Writer;
         Writer.Add("book.fb2", RepeatedFb2(NamespacedElements(200000, true), 1), ZipDeflated);
         return Writer.Build();
     }},
    {"xml-namespaces-epub-200k.epub", [] { return RepeatedEpub(NamespacedElements(200000, true), 1); }},
    {"xml-attributes-1m-one-element.fb2", [] { return AsBytes(RepeatedFb2(ElementOfAttributes(1000000, 8), 1)); }},
    // One element of many attributes, then many of a few more than a handful.
    {"xml-attributes-then-elements.fb2",
     [] {
         std::string Elements;
         for (size_t I = 0; I < 1000000; ++I)
             Elements += "<b a='' b='' c='' d='' e='' f='' g='' h='' i=''/>";
         return AsBytes(RepeatedFb2(ElementOfAttributes(1000000, 8) + Elements, 1));
     }},
    {"xml-long-names.fb2", [] { return AsBytes(RepeatedFb2(ElementOfAttributes(1000, 60000), 1)); }},
    {"xml-long-value.fb2", [] { return AsBytes(RepeatedFb2("<a b='" + std::string(90u << 20, 'v') + "'/>", 1)); }},
    {"xml-nodes-fbz-50m.fbz",
     [] {
         TZipWriter Writer;
         Writer.Add("book.fb2", RepeatedFb2("<a/>x", 25000000), ZipDeflated);
         return Writer.Build();
     }},
    {"xml-nodes-epub-100m.epub", [] { return RepeatedEpub("<a/>x", 50000000); }},
    {"xml-deep-epub-1m.epub", [] { return DeepEpub(1000000); }},
    // With the cover fallbacks on (the "fallbacks-" names).
    {"fallbacks-later-blank-books.fbz", [] { return FbzOfLaterBlankBooks(17, (64u << 20) - 1); }},
    {"fallbacks-2000-zero-covers.epub", [] { return EpubOfZeroCovers(2000, 32u << 20); }},
    {"fallbacks-package-nodes.epub", [] { return RepeatedEpub("<a/>x", 3300000); }},
    {"fallbacks-svg-16mib-data-uri.epub", [] { return EpubOfSvgNoise(16u << 20); }},
    {"fallbacks-landmarks-800k-links.epub", [] { return EpubOfLandmarks(800000); }},
    {"fallbacks-namespaced-binaries-50k.fb2", [] { return AsBytes(NamespacedBinariesFb2(50000)); }},
    {"exth-count-huge.mobi", ManyExthRecords},
    {"exth-zero-lengths.mobi", EmptyExthRecords},
    {"pdb-65535-records.mobi", ManyPdbRecords},
    {"pdb-99mb-cover-record.mobi", [] { return HugeCoverRecord(99u << 20); }},
    {"pdb-offsets-beyond-file.mobi", OffsetsBeyondFile},
    {"pdb-header-only.mobi", [] { return TBytes(78, 0); }},
    // Pictures of up to 64 megapixels, which must never be held whole.
    {"jpeg-junk-before-frame-6000x4000.epub", [] { return EpubCover(JunkBeforeFrame(FlatJpeg(6000, 4000, 3, false))); }},
    {"jpeg-arithmetic-6000x4000.epub", [] { return EpubCover(FlatJpeg(6000, 4000, 3, false, true)); }},
    {"jpeg-arithmetic-progressive-6000x4000.epub", [] { return EpubCover(FlatJpeg(6000, 4000, 3, true, true)); }},
    {"jpeg-100-scans-8192x8192.epub", [] { return EpubCover(JpegWithScans(FlatJpeg(8192, 8192, 1, true), 100)); }},
    {"jpeg-100-scans-6000x4000.epub", [] { return EpubCover(JpegWithScans(FlatJpeg(6000, 4000, 3, true), 100)); }},
    {"png-rgba16-interlaced-8192x8192.epub", [] { return EpubCover(ZeroPng(8192, 8192, 6, 16, true)); }},
    {"png-rgb-8192x8192.epub", [] { return EpubCover(ZeroPng(8192, 8192, 2)); }},
    {"png-1000000x67.epub", [] { return EpubCover(ZeroPng(1000000, 67)); }},
    {"png-4gib-after-the-rows.epub", [] { return EpubCover(ZeroPng(64, 64, 0, 8, false, uint64_t{4} << 30)); }},
    {"gif-screen-8192x8192-frame-1x1.epub", [] { return EpubCover(LargeGif(8192, 8192, false)); }},
    {"gif-interlaced-8192x8192.epub", [] { return EpubCover(LargeGif(8192, 8192, true)); }},
    {"bmp-32-bit-8192x8192.epub", [] { return EpubCover(LargeBmp(8192, 8192, 32, 0)); }},
    {"bmp-bit-fields-8192x8192.epub", [] { return EpubCover(LargeBmp(8192, 8192, 32, 3)); }},
    {"bmp-1-bit-1x67108864.epub", [] { return EpubCover(LargeBmp(1, 64 << 20, 1, 0)); }},
    {"bmp-rle8-8192x8192.epub", [] { return EpubCover(LargeBmp(8192, 8192, 8, 1, RleRows(8192, 8192))); }},
    };
    return Inputs;
}
