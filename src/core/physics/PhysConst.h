#pragma once

// Constants every conversion of the system uses.
namespace PhysConst {
// hc in eV x angstrom: E [eV] = hc / lambda [A].
constexpr double hc = 12398.424360387684;
// The value of pi used in every angle conversion (ten decimals).
constexpr double anglePi = 3.1415926535;
}
