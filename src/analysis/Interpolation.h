#pragma once

// a + f * (b - a) for f in [0, 1], kept between a and b. When b - a overflows (a and b
// huge and of opposite signs) the weighted form (1 - f) * a + f * b is used instead, so
// the result is finite whenever a and b are.
double InterpolateBetween(double a, double b, double f);
