#include "render/JpegFrameSize.h"

#include <initializer_list>

namespace {

// Reads a byte into B; at the end of the stream B keeps its value.
void ReadByte(TStream& Stream, uint8_t& B)
{
    uint8_t Value;
    if (Stream.Read(&Value, 1) == 1)
        B = Value;
}

uint16_t ReadBigEndian16(TStream& Stream)
{
    uint8_t Bytes[2] = {0, 0};
    Stream.Read(Bytes, 2);
    return static_cast<uint16_t>(Bytes[0] << 8 | Bytes[1]);
}

TJpegFrameSize ScanMarkers(TStream& Stream)
{
    const int64_t Size = Stream.Size();
    if (Size <= 8)
        return {};
    Stream.SetPosition(0);
    uint8_t Start[2] = {0, 0};
    if (Stream.Read(Start, 2) != 2 || Start[0] != 0xFF || Start[1] != 0xD8)
        return {};
    uint8_t B = 0;
    ReadByte(Stream, B);
    // The guard leaves at least 9 bytes for a frame header: code, length,
    // precision, height, width and component count.
    while (Stream.Position() < Size - 8 && B == 0xFF) {
        ReadByte(Stream, B);
        if (B == 0xFF)
            continue; // a fill byte; this one is the marker prefix
        if (B == 0x01 || (B >= 0xD0 && B <= 0xD9)) {
            // TEM, RST0-RST7, SOI, EOI have no length field.
            ReadByte(Stream, B);
            continue;
        }
        if (B >= 0xC0 && B <= 0xC3) {
            // SOFn: length (2), sample precision (1), height (2), width (2).
            Stream.Seek(3, soCurrent);
            TJpegFrameSize Frame;
            Frame.Height = ReadBigEndian16(Stream);
            Frame.Width = ReadBigEndian16(Stream);
            Frame.Found = true;
            return Frame;
        }
        // Any other segment: its length counts its own two bytes. Lengths of
        // 0 and 1 move backwards, as the scan has always done; the turn still
        // advances by two bytes.
        const uint16_t Length = ReadBigEndian16(Stream);
        Stream.Seek(static_cast<int64_t>(Length) - 2, soCurrent);
        ReadByte(Stream, B);
    }
    return {};
}

}

TJpegFrameSize ReadJpegFrameSize(TStream& Stream)
{
    try {
        return ScanMarkers(Stream);
    } catch (...) {
        return {};
    }
}

int ChooseJpegScale(TStream& Stream, int32_t Width, int32_t Height)
{
    Stream.SetPosition(0);
    const TJpegFrameSize Frame = ReadJpegFrameSize(Stream);
    if (!Frame.Found || Width <= 0 || Height <= 0)
        return 1;
    for (int Denominator : {8, 4, 2, 1})
        if (Frame.Width / Denominator >= Width && Frame.Height / Denominator >= Height)
            return Denominator;
    return 1;
}
