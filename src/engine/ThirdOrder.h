// The third-order (Seidel) aberration coefficients, surface by surface, with subtotals and sums.
//
// Everything is normalised to a focal length of 1 and an object at infinity. The marginal ray starts at
// height 1, reduced angle 0; the pupil (chief) ray at height -(entrance pupil distance)/f, reduced
// angle -1. Coefficients: SA spherical aberration, CM coma, AS astigmatism, DS distortion, PT Petzval
// sum, L axial and T lateral colour (from the d and g lines).
#pragma once

#include "engine/ParaxialTrace.h"
#include "model/Host.h"
#include "model/Lens.h"

#include <array>
#include <string>
#include <vector>

namespace vitrimo {

class ThirdOrderTable {
public:
    static constexpr int kColumns = 14;

    // The grid rows after which the user asked for a subtotal, ascending; kept while the program runs.
    const std::vector<int>& Subtotals() const { return subtotals_; }
    // A subtotal at grid row `row`; refused (false) for rows below 3, next to another subtotal, or past the
    // sum row. Recompute afterwards.
    bool InsertSubtotal(int row);
    // Removes the subtotal at grid row `row` after the question "Delete OK ?" (Yes / No).
    bool DeleteSubtotal(int row, Host& host);

    // Fills the table from the lens (arrays current, real paraxial image). Returns false, with Error(),
    // when the prescription cannot be evaluated (a zero index).
    bool Compute(const Lens& lens);
    // The same for other arrays of the lens (a shape being bent) with their focal length.
    bool Compute(const Lens& lens, const SurfaceArrays& arrays, double focalLength);
    const std::string& Error() const { return error_; }
    // After a Compute that succeeded: what could not be computed as a finite number (an extreme
    // aspheric coefficient overflows); those cells are left empty. Empty when every value is finite.
    const std::string& Warning() const { return warning_; }

    // The cells: row 0 the headers, then the surface and subtotal rows, then "SUM".
    const std::vector<std::array<std::string, kColumns>>& Cells() const { return cells_; }
    // The seven sums of the last computation: SA, CM, AS, DS, PT, L, T.
    const std::array<double, 7>& Sums() const { return sums_; }
    // Per surface 1 ... n (index 0 unused): the seven coefficients.
    const std::vector<std::array<double, 7>>& Coefficients() const { return coefficients_; }

    // The table as saved: every row a line of its 14 cells separated by tabs, CR LF line ends.
    std::string Text() const;

private:
    std::vector<int> subtotals_;
    std::vector<std::array<std::string, kColumns>> cells_;
    std::vector<std::array<double, 7>> coefficients_;
    std::array<double, 7> sums_{};
    std::string error_;
    std::string warning_;
};

} // namespace vitrimo
