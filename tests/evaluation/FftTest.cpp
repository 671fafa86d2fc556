#include "evaluation/Fft.h"

#include "support/ScriptedHost.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

namespace vitrimo {
namespace {

using Complex = std::complex<double>;
using test::ScriptedHost;

// The transform written out as its definition: X[k1][k2] = sum x[j1][j2] exp(s 2 pi i (j1 k1 / R + j2 k2 /
// C)).
std::vector<Complex> DirectDft(const std::vector<Complex>& x, int rows, int columns, int sign) {
    std::vector<Complex> out(x.size());
    const double s = sign >= 0 ? 1 : -1;
    for (int k1 = 0; k1 < rows; ++k1)
        for (int k2 = 0; k2 < columns; ++k2) {
            Complex sum = 0;
            for (int j1 = 0; j1 < rows; ++j1)
                for (int j2 = 0; j2 < columns; ++j2) {
                    const double phase =
                        s * 2 * M_PI *
                        (static_cast<double>(j1) * k1 / rows + static_cast<double>(j2) * k2 / columns);
                    sum += x[j1 * columns + j2] * Complex(std::cos(phase), std::sin(phase));
                }
            out[k1 * columns + k2] = sum;
        }
    return out;
}

std::vector<Complex> Random(int count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> value(-1, 1);
    std::vector<Complex> x(count);
    for (auto& v : x) v = Complex(value(generator), value(generator));
    return x;
}

// Interleaved doubles in an aligned buffer.
FftBuffer Interleaved(const std::vector<Complex>& x) {
    FftBuffer buffer(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) {
        buffer.Data()[2 * k] = x[k].real();
        buffer.Data()[2 * k + 1] = x[k].imag();
    }
    return buffer;
}

double LargestDifference(const double* a, const std::vector<Complex>& expected) {
    double largest = 0;
    for (std::size_t k = 0; k < expected.size(); ++k)
        largest = std::max(largest, std::abs(Complex(a[2 * k], a[2 * k + 1]) - expected[k]));
    return largest;
}

struct Shape {
    int rows, columns;
};

TEST(Fft, TwoDimensionalTransformsMatchTheDirectSumInLayoutSignAndScale) {
    ScriptedHost host;
    for (const Fft::Planning planning : {Fft::Planning::Estimate, Fft::Planning::Measure})
        for (const Shape shape :
             {Shape{1, 8}, Shape{4, 8}, Shape{16, 16}, Shape{8, 32}, Shape{32, 4}, Shape{6, 10}})
            for (const int sign : {+1, -1}) {
                const auto x = Random(shape.rows * shape.columns, 7u + shape.rows * 31u + shape.columns);
                FftBuffer a = Interleaved(x);
                ASSERT_TRUE(Fft(planning).Transform2D(a.Data(), shape.rows, shape.columns, sign, host));
                EXPECT_LT(LargestDifference(a.Data(), DirectDft(x, shape.rows, shape.columns, sign)), 1e-11)
                    << shape.rows << " x " << shape.columns << " sign " << sign;
            }
}

TEST(Fft, OneDimensionalTransformsMatchTheDirectSum) {
    for (const int n : {1, 2, 8, 12, 64, 256})
        for (const int sign : {+1, -1}) {
            const auto x = Random(n, 99u + n);
            FftBuffer a = Interleaved(x);
            Fft(Fft::Planning::Estimate).Transform(a.Data(), n, sign);
            EXPECT_LT(LargestDifference(a.Data(), DirectDft(x, 1, n, sign)), 1e-11) << n << " sign " << sign;
        }
}

TEST(Fft, ClosedFormsOfSingleElementsAndConstants) {
    ScriptedHost host;
    const int rows = 8, columns = 16;
    const Fft fft(Fft::Planning::Estimate);
    // A single 1 at (0, 1), transformed with the positive sign: exp(+2 pi i k2 / C) in every row.
    FftBuffer a(rows * columns);
    a.Data()[2 * 1] = 1;
    ASSERT_TRUE(fft.Transform2D(a.Data(), rows, columns, +1, host));
    for (int k1 = 0; k1 < rows; ++k1)
        for (int k2 = 0; k2 < columns; ++k2) {
            const std::size_t e = 2 * (k1 * columns + k2);
            EXPECT_NEAR(a.Data()[e], std::cos(2 * M_PI * k2 / columns), 1e-14);
            EXPECT_NEAR(a.Data()[e + 1], std::sin(2 * M_PI * k2 / columns), 1e-14);
        }
    // A constant 1 becomes R C at (0, 0) and 0 elsewhere.
    FftBuffer ones(rows * columns);
    for (int k = 0; k < rows * columns; ++k) ones.Data()[2 * k] = 1;
    ASSERT_TRUE(fft.Transform2D(ones.Data(), rows, columns, -1, host));
    EXPECT_NEAR(ones.Data()[0], rows * columns, 1e-12);
    for (int k = 1; k < rows * columns; ++k)
        EXPECT_NEAR(std::hypot(ones.Data()[2 * k], ones.Data()[2 * k + 1]), 0, 1e-12);
}

TEST(Fft, ForwardThenBackwardMultipliesByTheSize) {
    ScriptedHost host;
    const int rows = 64, columns = 128;
    const auto x = Random(rows * columns, 5);
    FftBuffer a = Interleaved(x);
    const Fft fft(Fft::Planning::Estimate);
    ASSERT_TRUE(fft.Transform2D(a.Data(), rows, columns, -1, host));
    ASSERT_TRUE(fft.Transform2D(a.Data(), rows, columns, +1, host));
    std::vector<Complex> scaled(x);
    for (auto& v : scaled) v *= rows * columns;
    EXPECT_LT(LargestDifference(a.Data(), scaled), 1e-9);
}

TEST(Fft, UnalignedArraysGiveTheSameTransform) {
    ScriptedHost host;
    const int rows = 16, columns = 32;
    const auto x = Random(rows * columns, 11);
    // One double past an aligned start: FFTW's SIMD alignment is lost.
    std::vector<double> storage(2 * rows * columns + 2);
    double* shifted = storage.data() + 1;
    for (std::size_t k = 0; k < x.size(); ++k) {
        shifted[2 * k] = x[k].real();
        shifted[2 * k + 1] = x[k].imag();
    }
    ASSERT_TRUE(Fft(Fft::Planning::Estimate).Transform2D(shifted, rows, columns, +1, host));
    EXPECT_LT(LargestDifference(shifted, DirectDft(x, rows, columns, +1)), 1e-11);
}

// A host that lets `allowed` blocks through, then asks to stop.
class StoppingHost : public test::ScriptedHost {
public:
    explicit StoppingHost(int allowed) : allowed_(allowed) {}
    bool KeepGoing() override {
        ++asked;
        return asked <= allowed_;
    }
    int asked = 0;

private:
    int allowed_;
};

TEST(Fft, AStopBetweenBlocksEndsTheTransform) {
    const int m = 512; // rows of 512 values: 128 rows a block, then 16 columns a block
    FftBuffer a(static_cast<std::size_t>(m) * m);
    StoppingHost never(0);
    EXPECT_FALSE(Fft(Fft::Planning::Estimate).Transform2D(a.Data(), m, m, -1, never));
    EXPECT_EQ(never.asked, 1);
    StoppingHost some(3);
    EXPECT_FALSE(Fft(Fft::Planning::Estimate).Transform2D(a.Data(), m, m, -1, some));
    EXPECT_EQ(some.asked, 4);
    // Asked before every block: 4 row blocks and 32 column blocks.
    StoppingHost all(1000);
    EXPECT_TRUE(Fft(Fft::Planning::Estimate).Transform2D(a.Data(), m, m, -1, all));
    EXPECT_EQ(all.asked, 4 + 32);
}

// Blocks shared by several threads: the direct sum (the skipped middle rows read as zero whatever they
// hold, the last column block narrower than the others), the same bits for every thread count, and a
// stop still ends the transform.
TEST(Fft, TransformsOnSeveralThreadsMatchTheDirectSumBitForBit) {
    const int rows = 36, columns = 40, occupied = 10;
    auto x = Random(rows * columns, 23);
    std::vector<Complex> zeroed(x);
    for (int r = occupied / 2; r < rows - occupied / 2; ++r)
        for (int c = 0; c < columns; ++c) {
            x[r * columns + c] = Complex(1e6 + r, -c); // must be ignored
            zeroed[r * columns + c] = 0;
        }
    const auto expected = DirectDft(zeroed, rows, columns, -1);
    std::vector<std::vector<double>> results;
    for (const int threads : {1, 2, 7}) {
        ScriptedHost host;
        FftBuffer a = Interleaved(x);
        ASSERT_TRUE(
            Fft(Fft::Planning::Measure).Transform2D(a.Data(), rows, columns, -1, host, occupied, threads));
        EXPECT_LT(LargestDifference(a.Data(), expected), 1e-9) << threads << " threads";
        results.emplace_back(a.Data(), a.Data() + 2 * rows * columns);
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
    StoppingHost stop(2);
    FftBuffer a = Interleaved(x);
    EXPECT_FALSE(Fft(Fft::Planning::Measure).Transform2D(a.Data(), rows, columns, -1, stop, occupied, 2));
    EXPECT_EQ(stop.asked, 3);
}

TEST(Fft, ASinkReceivesEveryElementOnceWithTheStoredTransformsBits) {
    // A band transformed through the window, a band too wide for a window, and a full array.
    for (const auto& [rows, columns, occupied] : {std::tuple{36, 40, 10}, {32, 20, 30}, {24, 36, 0}}) {
        const auto x = Random(rows * columns, 31);
        ScriptedHost host;
        FftBuffer stored = Interleaved(x);
        ASSERT_TRUE(Fft().Transform2D(stored.Data(), rows, columns, 1, host, occupied, 1));
        for (const int threads : {1, 3}) {
            std::vector<double> gathered(2 * rows * columns, std::nan(""));
            std::vector<int> seen(rows * columns, 0);
            std::mutex lock;
            const TransformSink sink = [&](const TransformPiece& piece) {
                const std::lock_guard guard(lock);
                for (int q = 0; q < piece.rowCount; ++q)
                    for (int c = 0; c < piece.columnCount; ++c) {
                        const int element =
                            (piece.firstRow + q * piece.rowStep) * columns + piece.firstColumn + c;
                        ++seen[element];
                        gathered[2 * element] = piece.values[2 * (q * piece.rowStride + c)];
                        gathered[2 * element + 1] = piece.values[2 * (q * piece.rowStride + c) + 1];
                    }
            };
            FftBuffer a = Interleaved(x);
            ASSERT_TRUE(Fft().Transform2D(a.Data(), rows, columns, 1, host, occupied, threads, &sink));
            EXPECT_EQ(seen, std::vector<int>(rows * columns, 1)) << rows << " x " << columns;
            EXPECT_EQ(gathered, std::vector<double>(stored.Data(), stored.Data() + 2 * rows * columns))
                << rows << " x " << columns << ", " << threads << " threads";
        }
    }
}

TEST(Fft, PlansMadeOnSeveralThreadsAtOnceTransformCorrectly) {
    // Each thread plans sizes no test planned before, at the same time as the others.
    std::vector<int> failures(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &failures] {
            ScriptedHost host;
            for (int size : {24, 40, 48, 56}) {
                const int rows = size + 2 * t, columns = size;
                const auto x = Random(rows * columns, 1000u * t + size);
                FftBuffer a = Interleaved(x);
                if (!Fft(Fft::Planning::Measure).Transform2D(a.Data(), rows, columns, -1, host) ||
                    LargestDifference(a.Data(), DirectDft(x, rows, columns, -1)) > 1e-10)
                    ++failures[t];
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

TEST(Fft, BuffersStartAtZeroAndMove) {
    FftBuffer a(100);
    for (std::size_t k = 0; k < 200; ++k) EXPECT_EQ(a.Data()[k], 0.0);
    a.Data()[7] = 3;
    FftBuffer b(std::move(a));
    EXPECT_EQ(b.ComplexCount(), 100u);
    EXPECT_EQ(b.Data()[7], 3.0);
    EXPECT_EQ(a.Data(), nullptr);
    b.Clear();
    EXPECT_EQ(b.Data()[7], 0.0);
}

} // namespace
} // namespace vitrimo
