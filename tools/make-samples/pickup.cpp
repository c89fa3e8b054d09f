#include "tools/make-samples/pickup.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr int kPoints = 512;  // samples of one cycle: far above the 64 harmonics used

// cos(2 pi k / (2 kPoints)): the half-sample-centred points need twice the resolution.
const std::vector<double>& cosineTable() {
    static const std::vector<double> table = [] {
        std::vector<double> t(2 * kPoints);
        for (int k = 0; k < 2 * kPoints; ++k) t[size_t(k)] = std::cos(kPi * k / kPoints);
        return t;
    }();
    return table;
}
}  // namespace

double pickupFlux(double u) { return 1.0 / (1.0 + u * u); }

double pickupSlope(double u) {
    const double d = 1.0 + u * u;
    return -2.0 * u / (d * d);
}

std::vector<double> pickupHarmonics(double swing, double offset, int count) {
    // Flux = sum_n c[n] cos(n theta) (it is even in theta); its derivative
    // brings the factor n. Point i sits at theta = 2 pi (2i + 1) / (2 kPoints).
    const std::vector<double>& cosine = cosineTable();
    double flux[kPoints];
    for (int i = 0; i < kPoints; ++i) flux[i] = pickupFlux(offset + swing * cosine[size_t(2 * i + 1)]);
    std::vector<double> b(size_t(count) + 1, 0.0);
    for (int n = 1; n <= count; ++n) {
        double c = 0;
        for (int i = 0; i < kPoints; ++i) c += flux[i] * cosine[size_t((n * (2 * i + 1)) % (2 * kPoints))];
        b[size_t(n)] = n * 2.0 * c / kPoints;
    }
    return b;
}
