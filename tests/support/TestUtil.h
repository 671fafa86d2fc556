// Helpers shared by the tests.
#pragma once

#include "model/Lens.h"

#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace vitrimo::test {

// |actual - expected| <= max(rel * |expected|, abs): a relative tolerance with an absolute floor near 0.
inline ::testing::AssertionResult Near(double actual, double expected, double rel, double abs = 1e-12) {
    const double tolerance = std::max(rel * std::fabs(expected), abs);
    if (std::isfinite(actual) && std::fabs(actual - expected) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "actual " << actual << ", expected " << expected << " (difference " << actual - expected
           << ", tolerance " << tolerance << ")";
}

inline std::string SourcePath(const std::string& relative) {
    return std::string(VITRIMO_SOURCE_DIR) + "/" + relative;
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vitrimo-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file of `bytes` bytes that takes no room on the disk (all zeros, never written).
inline void MakeSparseFile(const std::string& path, off_t bytes) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(::ftruncate(fd, bytes), 0) << path;
    ::close(fd);
}

// One face of a test lens, in table text.
struct Face {
    std::string glass; // "Air", "Mirror", a glass name, "Ideal Lens"
    std::string r;
    std::string distance;
    std::string nd; // written into all eleven index columns
    std::string remarks = "";
    std::string effectiveDiameter = "10";
};

// A lens whose object row is in air with a 10 mm beam, followed by the given faces.
inline Lens MakeLens(std::initializer_list<Face> faces) {
    Lens lens;
    lens.SetText(col::EffectiveDiameter, 1, "10");
    for (const Face& face : faces) {
        lens.AddFace();
        const int row = lens.RowCount() - 1;
        lens.SetText(col::GlassName, row, face.glass);
        lens.SetText(col::R, row, face.r);
        lens.SetText(col::Distance, row, face.distance);
        lens.SetText(col::EffectiveDiameter, row, face.effectiveDiameter);
        lens.SetText(col::Remarks, row, face.remarks);
        for (int w = 0; w < lens.Wavelengths().Count(); ++w) lens.SetText(lens.IndexColumn(w), row, face.nd);
    }
    lens.SetDataModified(false);
    return lens;
}

// The text one cell of a lens is expected to hold.
struct CellIs {
    std::string_view column;
    int row;
    std::string text;
};

inline void ExpectCells(const Lens& lens, std::initializer_list<CellIs> cells) {
    for (const CellIs& c : cells)
        EXPECT_EQ(lens.Text(c.column, c.row), c.text) << c.column << " row " << c.row;
}

// Writes each listed text into its cell.
inline void SetCells(Lens& lens, std::initializer_list<CellIs> cells) {
    for (const CellIs& c : cells) lens.SetText(c.column, c.row, c.text);
}

} // namespace vitrimo::test
