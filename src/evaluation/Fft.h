// Complex discrete Fourier transforms for the diffraction calculations, done by FFTW.
//
// Layout: complex values are interleaved doubles, element k of a one-dimensional array at a[2k] (real)
// and a[2k + 1] (imaginary). A two-dimensional array of R rows and C columns is row-major: element
// (j1, j2) at a[2 (j1 C + j2)] and a[2 (j1 C + j2) + 1].
//
// Sign: with sign >= 0 the transform is X[k] = sum_j x[j] exp(+2 pi i j k / n), with sign < 0 it is
// X[k] = sum_j x[j] exp(-2 pi i j k / n); in two dimensions the same factor along each axis.
//
// Scaling: none. A transform with one sign followed by one with the other multiplies the data by n
// (by R C in two dimensions); callers normalise explicitly where they need to.
//
// Transforms are in place. Plans are made once per shape, sign and alignment, kept for the life of the
// program and shared by every Fft object; plan creation is serialised by a lock (FFTW's planner is not
// thread-safe), executing a plan is not (FFTW allows concurrent execution of one plan on different
// arrays). Arrays from FftBuffer have the alignment FFTW's SIMD code wants; other arrays work too, through
// slower unaligned plans.
#pragma once

#include "model/Host.h"

#include <cstddef>
#include <functional>

namespace vitrimo {

// A piece of a two-dimensional transform's result handed to a sink instead of being stored: the values of
// `columnCount` neighbouring columns from `firstColumn`, in the rows firstRow + q rowStep for
// q = 0 ... rowCount - 1; row q's values (interleaved) start at values + 2 q rowStride.
struct TransformPiece {
    int firstRow = 0;
    int rowStep = 1;
    int rowCount = 0;
    int firstColumn = 0;
    int columnCount = 0;
    int rowStride = 0; // complex values
    const double* values = nullptr;
};
using TransformSink = std::function<void(const TransformPiece&)>;

class Fft {
public:
    // How plans are made. Measure times candidate algorithms once per new shape (0.1 to 0.3 s for the
    // blocks of a 256 ... 4096 square array, once per program run) and gives transforms 10 to 40 % faster
    // than Estimate, which only guesses from the shape and plans at once (what the tests use).
    enum class Planning { Estimate, Measure };

    explicit Fft(Planning planning = Planning::Measure) : planning_(planning) {}

    // One transform of n complex values at `data` (2n doubles). n >= 1.
    void Transform(double* data, int n, int sign) const;

    // One transform of a rows x columns array at `data` (2 rows columns doubles): the rows in blocks, then
    // the columns in blocks of 16 (with occupied rows, see below, the column pass may work from a copy
    // of the occupied band and write its results into place). host.KeepGoing() is asked before each block;
    // when it says no, the transform ends there, the array holds a partial result and the function returns
    // false.
    //
    // occupiedRows > 0 says that only the first occupiedRows / 2 and the last occupiedRows / 2 rows may
    // hold values other than 0 (a pupil centred on element (0, 0)): only those rows are read, the
    // transforms of the others (all zeros) are skipped, and the rows between need not be cleared before.
    //
    // The blocks of each pass are shared by up to `threads` threads (ParallelFor); they depend on the
    // shape only, so the result is the same bits whatever the thread count.
    //
    // With a sink, each element of the result is handed to it exactly once, in pieces, from whichever
    // thread computed the piece (pieces never overlap, so a sink may write what belongs to a piece without
    // a lock), while the values are still in cache; the array then holds unspecified values, and the sink
    // may write into it. A caller that needs only part of the result, or something computed from it,
    // saves writing the whole array and reading it back.
    bool Transform2D(double* data, int rows, int columns, int sign, Host& host, int occupiedRows = 0,
                     int threads = 1, const TransformSink* sink = nullptr) const;

    Planning GetPlanning() const { return planning_; }

private:
    bool TransformWindow(double* data, int rows, int columns, int sign, Host& host, int low, int high,
                         int window, int threads, const TransformSink* sink) const;
    Planning planning_;
};

// A zero-filled array of complex values (interleaved doubles) aligned for FFTW. Move-only.
class FftBuffer {
public:
    FftBuffer() = default;
    // Room for `complexCount` values, all zero (or, with cleared false, whatever the memory held: for a
    // caller that writes every value it reads). Throws std::bad_alloc when the memory is not there.
    explicit FftBuffer(std::size_t complexCount, bool cleared = true);
    ~FftBuffer();
    FftBuffer(FftBuffer&& other) noexcept;
    FftBuffer& operator=(FftBuffer&& other) noexcept;
    FftBuffer(const FftBuffer&) = delete;
    FftBuffer& operator=(const FftBuffer&) = delete;

    double* Data() { return data_; }
    const double* Data() const { return data_; }
    std::size_t ComplexCount() const { return count_; }
    // Sets every value to 0.
    void Clear();

private:
    double* data_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace vitrimo
