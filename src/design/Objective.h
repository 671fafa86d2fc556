// The objective the minimisers work on: a value F to be made as small as possible over a vector of
// free values.
#pragma once

#include <vector>

namespace vitrimo {

class TFVForm {
public:
    virtual ~TFVForm() = default;
    // F at x. The vector is first put into the model (SetVariables), so F belongs to the adjusted vector.
    virtual double FValue(const std::vector<double>& x) = 0;
    // Puts x into the model and returns the vector as it then stands there, which may differ from x (a
    // model that keeps a constraint, such as the focal length, adjusts it).
    virtual std::vector<double> SetVariables(const std::vector<double>& x) = 0;
};

} // namespace vitrimo
