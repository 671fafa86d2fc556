#include "evaluation/Fft.h"

#include "engine/Parallel.h"

#include <algorithm>
#include <atomic>
#include <complex>
#include <cstring>
#include <fftw3.h>
#include <map>
#include <mutex>
#include <new>
#include <numbers>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

namespace vitrimo {
namespace {

// A block of the row pass holds about this many complex values (1 MiB), so that it stays in cache and
// the host is asked often enough during a large transform.
constexpr int kRowBlockValues = 65536;
// The column pass transforms this many neighbouring columns at a time, in place (FFTW reads them with
// the row length as stride: one stretch of 16 values per row).
constexpr int kColumnBlock = 16;

// `howmany` transforms of n complex values: value j of transform t at element t dist + j stride of the
// input, at element t outDist + j outStride of the output (the input itself when inPlace).
struct PlanKey {
    int n;
    int howmany;
    int stride;
    int dist;
    int sign; // FFTW_FORWARD or FFTW_BACKWARD
    bool aligned;
    bool measure;
    bool inPlace = true;
    int outStride = 0;
    int outDist = 0;
    auto Tie() const {
        return std::tie(n, howmany, stride, dist, sign, aligned, measure, inPlace, outStride, outDist);
    }
    bool operator<(const PlanKey& other) const { return Tie() < other.Tie(); }
};

// The plans of the whole program. FFTW's planner is not thread-safe, so plans are made under the lock;
// a plan, once made, is never changed and may be executed from any thread.
class PlanCache {
public:
    static PlanCache& Shared() {
        static PlanCache cache;
        return cache;
    }

    // The plan for `key`, made when needed on `data` and `out` (the arrays it will first run on, laid out
    // as the key says; out is data in place): measuring overwrites the input values the plan reads, so
    // they are kept aside and put back. Out of place, the output values are overwritten.
    fftw_plan Get(const PlanKey& key, double* data, double* out) {
        const std::lock_guard lock(mutex_);
        const auto found = plans_.find(key);
        if (found != plans_.end()) return found->second;
        auto* values = reinterpret_cast<fftw_complex*>(data);
        const auto element = [&](int t, int j) {
            return static_cast<std::size_t>(t) * key.dist + static_cast<std::size_t>(j) * key.stride;
        };
        std::vector<double> kept;
        if (key.measure) {
            kept.reserve(2 * static_cast<std::size_t>(key.n) * key.howmany);
            for (int t = 0; t < key.howmany; ++t)
                for (int j = 0; j < key.n; ++j) {
                    kept.push_back(values[element(t, j)][0]);
                    kept.push_back(values[element(t, j)][1]);
                }
        }
        unsigned flags = key.measure ? FFTW_MEASURE : FFTW_ESTIMATE;
        if (!key.aligned) flags |= FFTW_UNALIGNED;
        int n[1] = {key.n};
        auto* outValues = key.inPlace ? values : reinterpret_cast<fftw_complex*>(out);
        fftw_plan plan = fftw_plan_many_dft(1, n, key.howmany, values, nullptr, key.stride, key.dist,
                                            outValues, nullptr, key.inPlace ? key.stride : key.outStride,
                                            key.inPlace ? key.dist : key.outDist, key.sign, flags);
        if (key.measure) {
            std::size_t k = 0;
            for (int t = 0; t < key.howmany; ++t)
                for (int j = 0; j < key.n; ++j) {
                    values[element(t, j)][0] = kept[k++];
                    values[element(t, j)][1] = kept[k++];
                }
        }
        if (!plan) throw std::runtime_error("FFTW could not plan a transform of " + std::to_string(key.n));
        plans_.emplace(key, plan);
        return plan;
    }

    ~PlanCache() {
        for (auto& [key, plan] : plans_) fftw_destroy_plan(plan);
    }

private:
    PlanCache() = default;
    std::mutex mutex_;
    std::map<PlanKey, fftw_plan> plans_;
};

int FftwSign(int sign) {
    return sign >= 0 ? FFTW_BACKWARD : FFTW_FORWARD; // FFTW_BACKWARD is exp(+2 pi i j k / n)
}

bool Aligned(double* data) {
    return fftw_alignment_of(data) == 0;
}

// Runs `howmany` transforms of n values at `data`, value j of transform t at element t dist + j stride.
void Execute(double* data, int n, int howmany, int stride, int dist, int sign, bool measure) {
    const PlanKey key{n, howmany, stride, dist, FftwSign(sign), Aligned(data), measure};
    fftw_plan plan = PlanCache::Shared().Get(key, data, data);
    auto* values = reinterpret_cast<fftw_complex*>(data);
    fftw_execute_dft(plan, values, values);
}

// The plan of `howmany` transforms of n values from `in` (value j of transform t at element t + j
// stride) to `out` (at element t + j outStride). Made before `in` is filled: measuring overwrites both.
fftw_plan OutOfPlacePlan(double* in, double* out, int n, int howmany, int stride, int outStride, int sign,
                         bool measure) {
    PlanKey key{n, howmany, stride, 1, FftwSign(sign), Aligned(in) && Aligned(out), measure};
    key.inPlace = false;
    key.outStride = outStride;
    key.outDist = 1;
    return PlanCache::Shared().Get(key, in, out);
}

} // namespace

void Fft::Transform(double* data, int n, int sign) const {
    if (n < 1) throw std::invalid_argument("Fft::Transform: no values");
    Execute(data, n, 1, 1, n, sign, planning_ == Planning::Measure);
}

// The transform when only the rows j = -high ... low - 1 (wrapped) can differ from 0, and they fit in a
// window of W rows, W dividing the row count R = L W. Along a column, with w = exp(+-2 pi i / R),
//   X[L q + r] = sum_j x[j] w^(j (L q + r)) = sum_j (x[j] w^(j r)) w^(L j q),
// and w^L is the root of unity of W values while j mod W meets each of 0 ... W - 1 once: the L output
// rows r, r + L, r + 2 L, ... are one W-value transform of the occupied rows multiplied by w^(j r).
// Instead of R-value transforms of mostly zeros, L transforms of W values, written straight into place:
// the array is touched once, without clearing the rows between.
bool Fft::TransformWindow(double* data, int rows, int columns, int sign, Host& host, int low, int high,
                          int window, int threads, const TransformSink* sink) const {
    const bool measure = planning_ == Planning::Measure;
    const int copies = rows / window; // L
    // The occupied rows, stacked as the window holds them (row j at j mod W), the rows between zero.
    FftBuffer stacked(static_cast<std::size_t>(window) * columns, low + high < window);
    const std::size_t rowValues = 2 * static_cast<std::size_t>(columns);
    std::copy_n(data, low * rowValues, stacked.Data());
    std::copy_n(data + (rows - high) * rowValues, high * rowValues,
                stacked.Data() + (window - high) * rowValues);

    StopSignal stop(host);
    std::atomic<bool> stopped{false};
    const auto keepGoing = [&] {
        if (stopped.load(std::memory_order_relaxed) || !stop.KeepGoing()) {
            stopped = true;
            return false;
        }
        return true;
    };
    // Rows: the occupied ones, in fixed blocks.
    const int rowBlock = std::clamp(kRowBlockValues / columns, 1, window);
    std::vector<std::pair<int, int>> rowBlocks;
    for (const auto& [begin, end] : {std::pair{0, low}, std::pair{window - high, window}})
        for (int first = begin; first < end; first += rowBlock)
            rowBlocks.emplace_back(first, std::min(rowBlock, end - first));
    ParallelFor(threads, static_cast<int>(rowBlocks.size()), [&](int b) {
        if (!keepGoing()) return;
        Execute(stacked.Data() + rowBlocks[b].first * rowValues, columns, rowBlocks[b].second, 1, columns,
                sign, measure);
    });
    if (stopped) return false;

    // w^(j r) for the window's rows j (signed: j - W for the rows from the end) and r = 0 ... L - 1, the
    // exponent reduced exactly modulo R before the angle is formed.
    std::vector<std::complex<double>> twiddle(static_cast<std::size_t>(window) * copies);
    const double turn = (sign >= 0 ? 2 : -2) * std::numbers::pi / rows;
    for (int row = 0; row < window; ++row) {
        const long long j = row < window - high ? row : row - window;
        for (int r = 0; r < copies; ++r) {
            const long long e = ((j * r) % rows + rows) % rows;
            twiddle[static_cast<std::size_t>(row) * copies + r] =
                std::polar(1.0, turn * static_cast<double>(e));
        }
    }

    // Columns: one task per output residue r and block of columns.
    const int blocks = (columns + kColumnBlock - 1) / kColumnBlock;
    ParallelFor(threads, copies * blocks, [&](int task) {
        if (!keepGoing()) return;
        const int r = task / blocks, first = task % blocks * kColumnBlock;
        const int count = std::min(kColumnBlock, columns - first);
        // With a sink the results go to a second small buffer, row after row, and from there to the sink.
        FftBuffer work(static_cast<std::size_t>(window) * count * (sink ? 2 : 1), false);
        double* out = sink ? work.Data() + 2 * static_cast<std::size_t>(window) * count
                           : data + 2 * (static_cast<std::size_t>(r) * columns + first);
        const fftw_plan plan = OutOfPlacePlan(work.Data(), out, window, count, count,
                                              sink ? count : copies * columns, sign, measure);
        for (int row = 0; row < window; ++row) {
            const std::complex<double> w = twiddle[static_cast<std::size_t>(row) * copies + r];
            const double* from = stacked.Data() + row * rowValues + 2 * first;
            double* to = work.Data() + 2 * static_cast<std::size_t>(row) * count;
            for (int c = 0; c < count; ++c) {
                const double re = from[2 * c], im = from[2 * c + 1];
                to[2 * c] = re * w.real() - im * w.imag();
                to[2 * c + 1] = re * w.imag() + im * w.real();
            }
        }
        fftw_execute_dft(plan, reinterpret_cast<fftw_complex*>(work.Data()),
                         reinterpret_cast<fftw_complex*>(out));
        if (sink) (*sink)(TransformPiece{r, copies, window, first, count, count, out});
    });
    return !stopped;
}

bool Fft::Transform2D(double* data, int rows, int columns, int sign, Host& host, int occupiedRows,
                      int threads, const TransformSink* sink) const {
    if (rows < 1 || columns < 1) throw std::invalid_argument("Fft::Transform2D: empty array");
    const bool measure = planning_ == Planning::Measure;
    // The rows that may hold values: [0, low) and [rows - high, rows).
    int low = rows, high = 0;
    if (occupiedRows > 0 && occupiedRows < rows) {
        low = (occupiedRows + 1) / 2;
        high = occupiedRows / 2;
    }
    if (low + high < rows) {
        // Window length W: the least divisor of the row count that holds the occupied rows.
        int window = low + high;
        while (rows % window != 0) ++window;
        if (window < rows)
            return TransformWindow(data, rows, columns, sign, host, low, high, window, threads, sink);
    }

    // The blocks of both passes are fixed by the shape alone, each transformed by the same plan on
    // whichever thread takes it: the result does not depend on the thread count.
    const int rowBlock = std::clamp(kRowBlockValues / columns, 1, rows);
    struct Block {
        int first, count;
    };
    std::vector<Block> rowBlocks;
    for (const auto& [begin, end] : {std::pair{0, low}, std::pair{rows - high, rows}})
        for (int first = begin; first < end; first += rowBlock)
            rowBlocks.push_back({first, std::min(rowBlock, end - first)});
    std::vector<Block> columnBlocks;
    if (rows > 1)
        for (int first = 0; first < columns; first += kColumnBlock)
            columnBlocks.push_back({first, std::min(kColumnBlock, columns - first)});

    StopSignal stop(host);
    std::atomic<bool> stopped{false};
    ParallelFor(threads, static_cast<int>(rowBlocks.size()), [&](int b) {
        if (stopped.load(std::memory_order_relaxed) || !stop.KeepGoing()) {
            stopped = true;
            return;
        }
        Execute(data + 2 * static_cast<std::size_t>(rowBlocks[b].first) * columns, columns,
                rowBlocks[b].count, 1, columns, sign, measure);
    });
    if (stopped) return false;
    ParallelFor(threads, static_cast<int>(columnBlocks.size()), [&](int b) {
        if (stopped.load(std::memory_order_relaxed) || !stop.KeepGoing()) {
            stopped = true;
            return;
        }
        // The rows known to be 0 are cleared just before the column transforms read them: each stretch
        // is still in cache when FFTW reads it.
        const Block block = columnBlocks[b];
        for (int r = low; r < rows - high; ++r)
            std::fill_n(data + 2 * (static_cast<std::size_t>(r) * columns + block.first), 2 * block.count,
                        0.0);
        Execute(data + 2 * static_cast<std::size_t>(block.first), rows, block.count, columns, 1, sign,
                measure);
    });
    if (stopped) return false;
    if (sink) {
        // The result is in place: handed over in blocks of whole rows.
        const int pieces = (rows + rowBlock - 1) / rowBlock;
        ParallelFor(threads, pieces, [&](int b) {
            const int first = b * rowBlock;
            (*sink)(TransformPiece{first, 1, std::min(rowBlock, rows - first), 0, columns, columns,
                                   data + 2 * static_cast<std::size_t>(first) * columns});
        });
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------

FftBuffer::FftBuffer(std::size_t complexCount, bool cleared) : count_(complexCount) {
    if (complexCount == 0) return;
    data_ = reinterpret_cast<double*>(fftw_alloc_complex(complexCount));
    if (!data_) throw std::bad_alloc();
    if (cleared) Clear();
}

FftBuffer::~FftBuffer() {
    fftw_free(data_);
}

FftBuffer::FftBuffer(FftBuffer&& other) noexcept : data_(other.data_), count_(other.count_) {
    other.data_ = nullptr;
    other.count_ = 0;
}

FftBuffer& FftBuffer::operator=(FftBuffer&& other) noexcept {
    if (this != &other) {
        fftw_free(data_);
        data_ = other.data_;
        count_ = other.count_;
        other.data_ = nullptr;
        other.count_ = 0;
    }
    return *this;
}

void FftBuffer::Clear() {
    if (data_) std::memset(data_, 0, count_ * 2 * sizeof(double));
}

} // namespace vitrimo
