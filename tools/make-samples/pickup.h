// The magnetic pickup: the flux through its coil is a bell-shaped function of
// the tine's displacement u (in pickup widths) from the pickup's axis,
// 1 / (1 + u^2), and the coil's voltage is the flux's time derivative.
#pragma once

#include <vector>

double pickupFlux(double u);
double pickupSlope(double u);  // d flux / du

// The voltage of a tine swinging as u = offset + swing * cos(theta), with theta
// advancing at one radian per unit time, is  -sum_n  b[n] sin(n theta);  returns
// b[1..count] (b[0] unused).
std::vector<double> pickupHarmonics(double swing, double offset, int count);
