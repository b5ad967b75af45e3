#include "render/FitSize.h"

// The i686 build compiles this file for SSE2 arithmetic (see
// CMakeLists.txt): with x87 registers a quotient kept at 80 bits can cut to a
// different pixel than the 64-bit one (5 x 120 in 96 x 96 gives 3 x 96
// instead of 4 x 96), and the DLL must match the native build.
TFitSize FitSizeInBox(TFitSize Picture, TFitSize Box)
{
    const int32_t W = Picture.Width, H = Picture.Height;
    if (Box.Width == W && Box.Height == H)
        return Picture;
    if (W <= 0 || H <= 0)
        return Picture;
    const double Ratio = static_cast<double>(W) / static_cast<double>(H);
    TFitSize Fit;
    if (W > H) {
        Fit.Width = Box.Width;
        Fit.Height = static_cast<int32_t>(Box.Width / Ratio);
        if (Fit.Height > Box.Height) {
            Fit.Height = Box.Height;
            Fit.Width = static_cast<int32_t>(Box.Height * Ratio);
        }
    } else {
        Fit.Height = Box.Height;
        Fit.Width = static_cast<int32_t>(Box.Height * Ratio);
        if (Fit.Width > Box.Width) {
            Fit.Width = Box.Width;
            Fit.Height = static_cast<int32_t>(Box.Width / Ratio);
        }
    }
    return Fit;
}
