#include "evaluation/Fft.h"

#include <algorithm>
#include <cstring>
#include <fftw3.h>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#include <tuple>

namespace vitrimo {
namespace {

// A block of the row pass holds about this many complex values (1 MiB), so that it stays in cache and
// the host is asked often enough during a large transform.
constexpr int kRowBlockValues = 65536;
// The column pass gathers this many columns at a time into a contiguous work array.
constexpr int kColumnBlock = 16;

// `howmany` transforms of n complex values, each contiguous, one after the other.
struct PlanKey {
    int n;
    int howmany;
    int sign; // FFTW_FORWARD or FFTW_BACKWARD
    bool aligned;
    bool measure;
    auto Tie() const { return std::tie(n, howmany, sign, aligned, measure); }
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

    fftw_plan Get(const PlanKey& key) {
        const std::lock_guard lock(mutex_);
        const auto found = plans_.find(key);
        if (found != plans_.end()) return found->second;
        // Measuring overwrites the arrays it plans on: plan on scratch arrays, aligned as FFTW wants.
        const std::size_t values = static_cast<std::size_t>(key.n) * key.howmany;
        fftw_complex* scratch = fftw_alloc_complex(values);
        if (!scratch) throw std::bad_alloc();
        unsigned flags = key.measure ? FFTW_MEASURE : FFTW_ESTIMATE;
        if (!key.aligned) flags |= FFTW_UNALIGNED;
        int n[1] = {key.n};
        fftw_plan plan = fftw_plan_many_dft(1, n, key.howmany, scratch, nullptr, 1, key.n, scratch, nullptr,
                                            1, key.n, key.sign, flags);
        fftw_free(scratch);
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

// Runs `howmany` contiguous transforms of n values at `data`.
void Execute(double* data, int n, int howmany, int sign, bool measure) {
    const PlanKey key{n, howmany, FftwSign(sign), Aligned(data), measure};
    fftw_plan plan = PlanCache::Shared().Get(key);
    auto* values = reinterpret_cast<fftw_complex*>(data);
    fftw_execute_dft(plan, values, values);
}

} // namespace

void Fft::Transform(double* data, int n, int sign) const {
    if (n < 1) throw std::invalid_argument("Fft::Transform: no values");
    Execute(data, n, 1, sign, planning_ == Planning::Measure);
}

bool Fft::Transform2D(double* data, int rows, int columns, int sign, Host& host, int occupiedRows) const {
    if (rows < 1 || columns < 1) throw std::invalid_argument("Fft::Transform2D: empty array");
    const bool measure = planning_ == Planning::Measure;
    // The rows that may hold values: [0, low) and [rows - high, rows).
    int low = rows, high = 0;
    if (occupiedRows > 0 && occupiedRows < rows) {
        low = (occupiedRows + 1) / 2;
        high = occupiedRows / 2;
    }
    const auto rowPass = [&](int begin, int end) {
        // Blocks of whole rows, each a batch of contiguous transforms.
        const int rowBlock = std::clamp(kRowBlockValues / columns, 1, rows);
        for (int first = begin; first < end; first += rowBlock) {
            if (!host.KeepGoing()) return false;
            const int count = std::min(rowBlock, end - first);
            Execute(data + 2 * static_cast<std::size_t>(first) * columns, columns, count, sign, measure);
        }
        return true;
    };
    if (!rowPass(0, low) || !rowPass(rows - high, rows)) return false;
    if (rows == 1) return true;

    // Columns: a few at a time, gathered into a contiguous work array (the rows known to be 0 as zeros),
    // transformed, scattered back.
    const int columnBlock = std::min(kColumnBlock, columns);
    FftBuffer work(static_cast<std::size_t>(columnBlock) * rows);
    double* t = work.Data();
    const auto gather = [&](int r, int first, int count) {
        const double* row = data + 2 * (static_cast<std::size_t>(r) * columns + first);
        for (int k = 0; k < count; ++k) {
            t[2 * (static_cast<std::size_t>(k) * rows + r)] = row[2 * k];
            t[2 * (static_cast<std::size_t>(k) * rows + r) + 1] = row[2 * k + 1];
        }
    };
    for (int first = 0; first < columns; first += columnBlock) {
        if (!host.KeepGoing()) return false;
        const int count = std::min(columnBlock, columns - first);
        for (int r = 0; r < low; ++r) gather(r, first, count);
        for (int r = rows - high; r < rows; ++r) gather(r, first, count);
        if (low < rows - high)
            for (int k = 0; k < count; ++k)
                std::fill_n(t + 2 * (static_cast<std::size_t>(k) * rows + low), 2 * (rows - high - low), 0.0);
        Execute(t, rows, count, sign, measure);
        for (int r = 0; r < rows; ++r) {
            double* row = data + 2 * (static_cast<std::size_t>(r) * columns + first);
            for (int k = 0; k < count; ++k) {
                row[2 * k] = t[2 * (static_cast<std::size_t>(k) * rows + r)];
                row[2 * k + 1] = t[2 * (static_cast<std::size_t>(k) * rows + r) + 1];
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------

FftBuffer::FftBuffer(std::size_t complexCount) : count_(complexCount) {
    if (complexCount == 0) return;
    data_ = reinterpret_cast<double*>(fftw_alloc_complex(complexCount));
    if (!data_) throw std::bad_alloc();
    Clear();
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
