// Scales for the graph: tick marks with numbers in data units on both axes, at steps of 1, 2 or
// 5 times a power of ten, laid out so that no number overlaps another or an axis title. They
// are drawn through the same surface as the plot and take their text sizes from it.
#pragma once

#include <string>
#include <vector>

#include "graph/plot_painter.h"

namespace lumo {

// The part of the pane that a picture of the plot shows: every number and title stays inside.
inline constexpr int kPictureLeft = 0;
inline constexpr int kPictureTop = 0;
inline constexpr int kPictureRight = 630;
inline constexpr int kPictureBottom = 460;

// A tick step: 1, 2 or 5 times 10^exponent.
struct TickStep {
    int mantissa = 1;
    int exponent = 0;
    double Value() const;
    // The next coarser step: 1 -> 2 -> 5 -> 10.
    TickStep Next() const;
    friend bool operator==(const TickStep&, const TickStep&) = default;
};

// The finest step that is at least `raw` (which must be positive and finite).
TickStep TickStepAtLeast(double raw);

// The value of tick i, i times the step, as the nearest double to the decimal number, so that
// tick 3 of step 0.1 is 0.3 and not 0.30000000000000004.
double TickValue(long long i, const TickStep& step);

// A tick's number: the value in units of 10^power with `decimals` digits after the point, a
// true minus sign before negative numbers, and "0" for zero.
std::string FormatTick(double value, int power, int decimals);

// "×10³", "×10⁻⁴": the factor that an axis title carries when its numbers are in units of it.
std::string PowerOfTenText(int power);

// One numbered tick of an axis of the newer kinds.
struct AxisTick {
    double value = 0.0;
    std::string text;
};

// The ticks of an axis from `min` to `max`: at most `maxTicks` of them (at least two) at a
// step of 1, 2 or 5 times a power of ten, numbered in units of 10^power when the numbers would
// be long (the axis title then carries PowerOfTenText(power)).
struct AxisScale {
    std::vector<AxisTick> ticks;
    int power = 0;
};
AxisScale LinearScale(double min, double max, int maxTicks);
// A logarithmic axis: the powers of ten inside [min, max], with 2 and 5 between them when
// fewer than three decades are shown, at most `maxTicks`.
AxisScale LogScale(double min, double max, int maxTicks);

// Both scales of the Scatchard plot and its axis titles, laid out around the numbers; `sx` and
// `sy` are the data units per pixel.
void DrawScatchardScales(PlotPainter& p, double sx, double sy);

// Both scales of the Lineweaver-Burk plot with its titles. `kPixels` is the distance of -1/Km
// left of the origin and `vmaxPixels` the height of the fitted line's y intercept above the x
// axis, in pixels (NaN when unknown).
void DrawLineweaverScales(PlotPainter& p, double sx, double sy, double kPixels, double vmaxPixels);

}  // namespace lumo
