#pragma once

// Whether the last input gave a picture: a decoded one that was reduced, or
// a preview bitmap. Targets that make no picture leave it false. The replay
// program checks it against a regression's expected outcome.
inline bool& PictureMade()
{
    static bool Made = false;
    return Made;
}
