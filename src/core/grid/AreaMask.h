#pragma once

// The optional sample mask of a whole-area run: a block whose edge jump (the
// jump of its normalised spectrum; 0 for an empty spectrum) is below the
// threshold, or not a number, is left out of the analysis and records NaN in
// every map of the run. Off by default.
struct AreaMask {
    bool on = false;
    double threshold = 0.0;

    bool masks(double jump) const { return on && !(jump >= threshold); }
};
