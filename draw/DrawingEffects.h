#pragma once
// The pixel work behind SVG's masks and filters (draw/Drawing.h), on
// cairo's premultiplied 32-bit images. The renderer (draw/DrawableRender)
// draws what they work on and lays their results down.
#include <cairo.h>

#include <memory>

#include "draw/Drawing.h"
#include "support/Pacer.h"

struct CairoFree {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
  void operator()(cairo_path_t* path) const { cairo_path_destroy(path); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoFree>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoFree>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, CairoFree>;
using PathPtr = std::unique_ptr<cairo_path_t, CairoFree>;

// Whether the step can be run as the filter's step number `index`: its
// inputs as many as its kind takes, each earlier, and its numbers finite.
bool FilterStepOk(const FilterStep& step, int index);

// A transparent picture of width x height; null when cairo cannot make it.
SurfacePtr NewPicture(int width, int height);

// Makes a mask's drawing its coverage, in place: each pixel's luminance
// times its alpha (or its alpha alone), times opacity, in the alpha of a
// black pixel.
void MaskCoverage(cairo_surface_t* picture, bool luminance, double opacity);

// The filter's steps over `source`, the group's drawing on a picture of
// the filter's region; `toDevice` takes the group's units to pixels, for
// the steps' distances. Each step costs its picture's pixels (a blur twice)
// out of `pixelsLeft`, and a step per thousand of them on `pacer`. The last
// step's result, or null when a picture cannot be made, the pixels run out
// (`pixelsLeft` then below zero) or the pacer says to stop.
SurfacePtr RunFilter(const DrawingFilter& filter, cairo_surface_t* source, const cairo_matrix_t& toDevice,
                     double& pixelsLeft, Pacer& pacer);
