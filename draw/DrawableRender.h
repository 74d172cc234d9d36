#pragma once
// Draws the drawing model (draw/Drawing.h) into pixels with cairo, at 4
// pixels per dp (a launcher on an extra-extra-extra high density screen).
// Every function gives an empty image for a drawing it cannot draw whole:
// beyond the limits in draw/Drawing.h, a number that is not finite, a
// layer it does not know.
#include <functional>

#include "draw/Drawing.h"
#include "image/RgbaImage.h"

inline constexpr int kVectorIconPixels = 192;    // a 48 dp launcher icon
inline constexpr int kAdaptiveIconPixels = 288;  // the 72 dp a launcher shows of the 108 dp layers

// Sides a caller may ask for.
inline constexpr int kMinDrawnSide = 16, kMaxDrawnSide = 1024;

// The drawable on a square canvas of `side` pixels: its width:height kept,
// the larger side filling the canvas, centred; its viewport stretched over
// that box as Android stretches it (each axis on its own). keepGoing is
// asked every thousand or so paths and groups (support/Pacer.h): once it
// says no, nothing is drawn.
RgbaImage RenderVectorIcon(const Drawing& drawable, int side = kVectorIconPixels,
                           const std::function<bool()>& keepGoing = {});

// Background then foreground over 108 x 108 dp, the middle 72 x 72 dp cut
// out by the round mask of Android's default launcher; the corners outside
// the circle are transparent. `side` pixels a side for the 72 dp.
RgbaImage RenderAdaptiveIcon(const AdaptiveIcon& icon, int side = kAdaptiveIconPixels);

// Whichever of the two the drawing is, at `side` pixels (0: its usual
// size; outside kMinDrawnSide..kMaxDrawnSide nothing is drawn); empty for
// Kind::None.
RgbaImage RenderAndroidIcon(const AndroidIconDrawing& drawing, int side = 0);
