#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// The JPEG library reports errors by longjmp: callers set Jump with setjmp
// and hold no object with a destructor between it and the library's calls.
// Warnings (premature end of data among them) never stop the library.
struct TJpegErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

inline void ExitToJump(j_common_ptr Info) { std::longjmp(reinterpret_cast<TJpegErrorManager*>(Info->err)->Jump, 1); }
inline void IgnoreJpegMessage(j_common_ptr, int) {}
inline void IgnoreJpegOutput(j_common_ptr) {}

// Points Info's error reporting at Errors; setjmp(Errors.Jump) comes next.
inline void UseErrorManager(jpeg_decompress_struct& Info, TJpegErrorManager& Errors)
{
    Info.err = jpeg_std_error(&Errors.Public);
    Errors.Public.error_exit = ExitToJump;
    Errors.Public.emit_message = IgnoreJpegMessage;
    Errors.Public.output_message = IgnoreJpegOutput;
}
