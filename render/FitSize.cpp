#include "render/FitSize.h"

// The DLL must cut to the same pixel as the native build, so the i686 build
// does its double arithmetic in SSE2 (-mfpmath=sse in the top-level
// CMakeLists.txt): a quotient kept in an 80-bit x87 register can cut
// differently (5 x 120 in 96 x 96 gives 3 x 96 instead of 4 x 96).
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
