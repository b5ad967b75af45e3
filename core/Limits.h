#pragma once

#include <cstddef>
#include <cstdint>

// Every limit on what one preview request may read, hold or try, in one
// table. The module lives in a 32-bit host: 2 GiB of address space shared
// with the host itself, of which one request may take 128 MiB. A request
// holds at most a few of these at once (the archive's entry, the document
// parsed from it, the picture decoded from that), so each is sized for its
// share of those 128 MiB, not for the address space.
namespace Limits {

// ZIP: the most bytes an entry read into memory may hold, by its stated size
// or by what inflating it yields: the largest entry a route reads whole, a
// zipped FictionBook's text, which is held while its tree is built.
constexpr uint32_t ZipEntryBytes = uint32_t{64} << 20;

// XML: what a stream's claimed size may make the service allocate before its
// bytes arrive.
constexpr size_t XMLTrustedBytes = size_t{64} << 20;

// XML text: what any document may be read from a stream, and what a file may
// hold to be read as one, by its size before a byte is read: the text is
// held whole while the tree is built over it, and a request may take 128 MiB
// of a host that shares 2 GiB with us, so the text gets at most half of
// that. Still twice the largest illustrated books.
constexpr size_t XMLTextBytes = size_t{64} << 20;
constexpr int64_t XMLFileBytes = int64_t{64} << 20;
// A parsed document holds its text and the parser's tree over it. Both
// together, the tree counted at 8 bytes a pointer-sized word as on a 64-bit
// build (so that every build refuses the same documents), stay within 80
// MiB: the pictures decoded from the text while it lives (at most three
// quarters of it) then still fit the request's 128 MiB. A text at its limit
// still has room for 250,000 nodes; a long novel has about 100,000.
constexpr size_t XMLParseBytes = size_t{80} << 20;

// FictionBook: the text of a zipped book, the same as a plain book's (every
// byte is inflated, held and scanned, so this also bounds a deflate bomb);
// later ".fb2" entries of an archive, each, how many and in all, so that a
// library archive is not read through for one thumbnail.
constexpr uint32_t ZippedFB2TextBytes = uint32_t{64} << 20;
constexpr uint32_t FB2LaterEntryBytes = uint32_t{64} << 20;
constexpr size_t FB2LaterEntries = 16;
constexpr uint64_t FB2LaterSearchBytes = uint64_t{64} << 20;

// EPUB: the container, package and navigation documents (many times the
// package of a book of thousands of files); a cover page, parsed only under
// 1 MiB; an SVG document, which may carry its picture as base64 text (16 MiB
// holds a 12 MiB picture, and its parse with the text's copies stays under
// 80 MiB); what one fallback search reads in all and how
// many pages and pictures it tries; the picture elements a cover page may show.
constexpr uint32_t EpubPackageBytes = uint32_t{32} << 20;
constexpr uint32_t EpubPageBytes = (uint32_t{1} << 20) - 1;
constexpr uint32_t EpubSvgBytes = uint32_t{16} << 20;
constexpr uint64_t EpubSearchBytes = uint64_t{128} << 20;
constexpr size_t EpubTries = 32;
constexpr size_t CoverPagePictures = 16;

// A cover picture's encoded bytes, whichever route reads them (an archive
// entry or a Palm record, the marked cover or a fallback): covers are a few
// MiB at most, and the bytes are held while the picture decodes.
constexpr uint32_t CoverPictureBytes = uint32_t{32} << 20;

// Mobipocket: what of record 0 is read for its headers: the EXTH block is
// searched for within its first MiB, and a block is a few KiB.
constexpr uint32_t MobiHeaderBytes = uint32_t{2} << 20;

// What one request reads into memory in all (entries, records, documents,
// pictures), each read freed before the next: the marked cover's reads at
// their limits and the largest fallback search's allowance fit, and the
// total bounds the work of a request that reads one thing after another.
constexpr uint64_t RequestReadBytes = uint64_t{256} << 20;

// Pictures: the most pixels any decoder makes (256 MiB at 4 bytes each),
// and the most a picture that must shrink may hold whole where its format
// cannot be reduced row by row (interlaced PNG and GIF): 48 MiB at 3 bytes
// each, which with the encoded bytes and the libraries' own buffers stays
// under 128 MiB; covers are a few megapixels.
constexpr uint64_t PicturePixels = uint64_t{64} << 20;
constexpr uint64_t HeldPixels = uint64_t{16} << 20;

// JPEG: libjpeg's whole-image buffers, which progressive and multi-scan
// files fill with every coefficient of the full-size picture whatever the
// scale, at 128 bytes a block of 8 x 8 samples: 96 MiB holds 786,432 blocks,
// about 33 megapixels with the usual halved colour, 16 with full colour, 50
// grey. And the scans of a progressive JPEG (each a pass over every block;
// encoders write at most a few dozen).
constexpr long JpegLibraryMemory = 96L << 20;
constexpr int JpegScans = 100;

// Each scan of a progressive or multi-scan file is a pass over every block
// of the components it holds, whatever the output scale, and a scan may take
// only a few bytes: a file of repeated scans costs minutes. Encoders write at
// most a few dozen scans, which pass over each block 4 to 6 times (the usual
// progression of ten scans: 5 times a luminance block, 4 times a colour one),
// and progressive entropy decoding costs about 30 ns a byte on this machine,
// a pass about twice that for a block. The budget, in those units (two a
// block pass, one a byte of a multi-scan file), is 20 Mi: about 0.6 s. A
// 24-megapixel progressive photo at quality 90 takes 18 Mi of it; a
// single-scan file counts its blocks only (its bytes cost a quarter as
// much), so it passes up to about 400 megapixels.
constexpr uint64_t JpegDecodingWork = uint64_t{20} << 20;

}
