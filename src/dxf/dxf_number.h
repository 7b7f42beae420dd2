#pragma once

#include <optional>
#include <string_view>

namespace vektrano {

// A DXF value line read as a number: blanks (spaces) around it allowed, optional
// sign, digits with at most one "." or ",", optional exponent "E"/"e" with optional
// sign and at least one digit. Anything else is not a number (nullopt). A number
// beyond the range of a double gives an infinity, one too small for it gives zero;
// callers that need a finite value check for it.
std::optional<double> ReadDxfNumber(std::string_view text);

// The number of a text whose sign, mantissa and exponent are already checked and
// normalised ("." as separator, no "+"): number from its "-" or first digit on,
// mantissa its digits with at most one ".", exponentDigits without sign. Out of
// the range of a double it gives an infinity or zero, as above.
double ParseNormalisedNumber(std::string_view number, bool negative, std::string_view mantissa,
                             std::string_view exponentDigits, bool exponentNegative);

} // namespace vektrano
