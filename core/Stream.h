#pragma once

#include <cstdint>

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// The byte-stream contract every reader works through. Counts and positions
// are 64-bit; a position may lie anywhere, reads past the end return fewer
// bytes.
class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Copies up to Count bytes and returns how many it copied.
    virtual int64_t Read(void* Buffer, int64_t Count) = 0;
    virtual int64_t Write(const void* Buffer, int64_t Count);
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
    // Remembers the position, seeks to the end and back.
    virtual int64_t GetSize();
    virtual void SetSize(int64_t NewSize);

    // Exactly Count bytes, else EReadError "Stream read error".
    void ReadBuffer(void* Buffer, int64_t Count);
    void WriteBuffer(const void* Buffer, int64_t Count);

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t Value) { Seek(Value, soBeginning); }
    int64_t Size() { return GetSize(); }
};

// Reads until Count bytes are there or the stream ends; returns how many.
int64_t ReadUpTo(TStream& Stream, void* Buffer, int64_t Count);
