// Hostile inputs: files, folders, faults and lenses a user could hand the program. Each gives a clear
// message or a correct result, leaves the lens as it was, writes no partial file, and shows no NaN.
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "glass/GlassCatalogue.h"
#include "glass/RealColours.h"
#include "model/FileIo.h"
#include "model/IniFile.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/CliRunner.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace vitrimo {
namespace {

using test::Cli;
using test::CliRun;
using test::Face;
using test::MakeLens;
using test::Near;
using test::TempDir;
namespace fs = std::filesystem;

const std::string kSamples = test::SourcePath("data/Lens/");

std::string SampleText(const std::string& name) {
    std::string text;
    EXPECT_FALSE(ReadWholeFile(kSamples + name, text));
    return text;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Every number in a JSON object the command line printed is finite, and null only where the program
// says a value does not exist (those keys are listed).
void ExpectFiniteJson(const std::string& text, const std::vector<std::string>& mayBeNull) {
    const auto json = nlohmann::json::parse(text);
    for (const auto& [key, value] : json.items()) {
        if (value.is_null()) {
            EXPECT_NE(std::find(mayBeNull.begin(), mayBeNull.end(), key), mayBeNull.end())
                << key << " is null (a NaN?) in " << text;
        } else if (value.is_number()) {
            EXPECT_TRUE(std::isfinite(value.get<double>())) << key << " in " << text;
        }
    }
}

// Text output of the command line holds no "nan" or "inf".
void ExpectNoNonFiniteWords(const std::string& text) {
    for (const char* word : {"nan", "inf", "NaN", "INF"})
        EXPECT_EQ(text.find(word), std::string::npos) << text;
}

// ---- A lens of 3,000 faces ----------------------------------------------------------------------------

// A singlet followed by 1,499 thin plane-parallel plates. The plates add no power, so the focal length
// is the singlet's; each plate of thickness t moves the focus back by t (1 - 1/n).
struct PlateStack {
    static constexpr double n = 1.5168, r = 50, t = 5; // the singlet
    static constexpr double plateN = 1.5, plateT = 0.01, gap = 0.01, firstGap = 1;
    static constexpr int plates = 1499;

    static Lens Make() {
        Lens lens;
        lens.SetText(col::EffectiveDiameter, 1, "10");
        const auto add = [&](const std::string& glass, double radius, double distance, double index) {
            lens.AddFace();
            const int row = lens.RowCount() - 1;
            lens.SetText(col::GlassName, row, glass);
            lens.SetText(col::R, row, FormatGeneral(radius, 15));
            lens.SetText(col::Distance, row, FormatGeneral(distance, 15));
            lens.SetText(col::EffectiveDiameter, row, "10");
            for (int w = 0; w < lens.Wavelengths().Count(); ++w)
                lens.SetText(lens.IndexColumn(w), row, FormatGeneral(index, 15));
        };
        add("N-BK7", r, t, n);
        add("Air", -r, firstGap, 1);
        for (int k = 0; k < plates; ++k) {
            add("N-BK7", 0, plateT, plateN);
            add("Air", 0, k + 1 < plates ? gap : 0, 1);
        }
        lens.SetDataModified(true); // the last distance goes to the focus
        return lens;
    }
    static double FocalLength() { return 1 / ((n - 1) * (2 / r - (n - 1) * t / (n * r * r))); }
    static double BackFocalDistance() {
        const double singletBfd = FocalLength() * (1 - (n - 1) * t / (n * r));
        const double shift = plates * plateT * (1 - 1 / plateN);
        const double length = firstGap + plates * plateT + (plates - 1) * gap;
        return singletBfd + shift - length;
    }
};

TEST(HostileInput, ALensOfThreeThousandFaces) {
    TempDir dir;
    Lens lens = PlateStack::Make();
    ASSERT_EQ(lens.SurfaceCount(), 3000);
    ASSERT_FALSE(WriteLensFile(lens, dir.File("stack.ldt")));

    Lens read;
    const LensFileResult result = ReadLensFile(read, dir.File("stack.ldt"));
    ASSERT_TRUE(result.Ok()) << result.error;
    EXPECT_EQ(read.Table(), lens.Table());
    test::ScriptedHost host;
    ParaxialTrace paraxial;
    read.SetDataModified(true);
    ASSERT_EQ(PrepareForCalculation(read, paraxial, host), Readiness::Ready);
    EXPECT_TRUE(Near(read.FocalLength(), PlateStack::FocalLength(), 1e-12));
    EXPECT_TRUE(Near(read.BackFocalDistance(), PlateStack::BackFocalDistance(), 1e-9));
    ASSERT_FALSE(WriteLensFile(read, dir.File("focused.ldt")));

    const CliRun info = Cli({"info", dir.File("focused.ldt"), "--json"});
    ASSERT_EQ(info.code, 0) << info.err;
    const auto json = nlohmann::json::parse(info.out);
    EXPECT_EQ(json["surfaces"], 3000);
    EXPECT_TRUE(Near(json["focal_length"].get<double>(), PlateStack::FocalLength(), 1e-12));
    // An axial ray near the axis ends at the paraxial focus.
    const CliRun trace = Cli({"trace", dir.File("focused.ldt"), "--pupil", "0.01,0", "--json"});
    ASSERT_EQ(trace.code, 0) << trace.err;
    ExpectFiniteJson(trace.out, {});
    EXPECT_LT(std::fabs(nlohmann::json::parse(trace.out)["y"].get<double>()), 1e-6) << trace.out;
}

// ---- Files that are not lens files, or change while they are read -------------------------------------

struct ReadCase {
    std::string what;
    std::function<void(const std::string& path)> make; // writes the file
    std::string error;                                 // part of the message; empty: the read succeeds
    std::function<void(const Lens&)> check = {};       // what a successful read gives
    FileFaults faults = {};
};

TEST(HostileInput, FilesThatCannotBeReadGiveAMessageAndLeaveTheLensAsItWas) {
    const std::string achromat = SampleText("achromat.ldt");
    Lens sample;
    ASSERT_TRUE(ParseLensFileText(sample, achromat).Ok());
    const auto write = [](std::string text) {
        return [text](const std::string& path) { ASSERT_FALSE(WriteFileAtomically(path, text)); };
    };
    const auto sameAsSample = [&](const Lens& lens) { EXPECT_EQ(lens.Table(), sample.Table()); };
    std::string utf16 = "\xFF\xFE";
    for (char c : achromat) utf16 += std::string{c, '\0'};
    std::string binary = achromat;
    for (std::size_t k = 0; k < binary.size(); k += 7) binary[k] = static_cast<char>(k * 37);
    std::string path; // of the file being read, for the faults

    std::vector<ReadCase> cases = {
        {"100 MB", [](const std::string& p) { test::MakeSparseFile(p, off_t{100} << 20); }, "too large"},
        {"one 10 MB line of memo", write(achromat + std::string(10u << 20, 'm') + "\r\n"), "",
         [&](const Lens& lens) {
             sameAsSample(lens);
             EXPECT_EQ(lens.Memo().size(), sample.Memo().size() + 1 + (10u << 20));
         }},
        {"one 10 MB cell",
         write(achromat.substr(0, achromat.find("Schott")) + std::string(10u << 20, 'S') +
               achromat.substr(achromat.find("Schott") + 6)),
         "", [&](const Lens& lens) { EXPECT_EQ(lens.Text(col::Remarks, 2).size(), 10u << 20); }},
        {"one 10 MB title line", write(std::string(10u << 20, '\t') + "r\tDistance\tnd\r\n"),
         "too many columns"},
        {"binary data", write(binary), "binary data"},
        {"UTF-16", write(utf16), "UTF-16"},
        {"shrinks while it is read",
         write(achromat + std::string(200000, 'm')),
         "changed while it was being read",
         {},
         FileFaults{.afterRead = [&](std::size_t) { ::truncate(path.c_str(), 100); }}},
        {"vanishes while it is read", write(achromat + std::string(200000, 'm')), "", sameAsSample,
         FileFaults{.afterRead = [&](std::size_t) { ::unlink(path.c_str()); }}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        path = dir.File("lens.ldt");
        c.make(path);
        Lens lens = MakeLens({{"F2", "20", "3", "1.62"}});
        lens.SetMemo("mine");
        lens.MarkChanged();
        const Lens before = lens;
        LensFileResult result;
        {
            ScopedFileFaults faults(c.faults);
            result = ReadLensFile(lens, path);
        }
        if (c.error.empty()) {
            ASSERT_TRUE(result.Ok()) << result.error;
            c.check(lens);
            continue;
        }
        ASSERT_FALSE(result.Ok());
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
        EXPECT_NE(result.error.find(path), std::string::npos) << result.error;
        EXPECT_EQ(lens.Table(), before.Table());
        EXPECT_EQ(lens.Memo(), "mine");
        EXPECT_TRUE(lens.DataModified());
        if (c.faults.afterRead) continue;
        // The command line says the same in one line and fails.
        const CliRun info = Cli({"info", path});
        EXPECT_EQ(info.code, 1);
        EXPECT_NE(info.err.find(c.error), std::string::npos) << info.err;
        EXPECT_EQ(info.out, "");
    }
}

// The other files a user can hand the program: a catalogue, the settings file, RGBtable.txt.
TEST(HostileInput, CataloguesSettingsAndColourTablesThatCannotBeReadSayWhy) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("Glass\tnd\r\nF2\t1.62\r\n")) utf16 += std::string{c, '\0'};
    const std::string binary("Glass\tnd\nF2\t1.62\0\x01\x7f", 20);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "too large"}, {utf16, "UTF-16"}, {binary, "binary data"}};
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(message);
        TempDir dir;
        for (const char* name : {"Schott.txt", "vitrimo.ini", "RGBtable.txt"}) {
            if (text.empty())
                test::MakeSparseFile(dir.File(name), off_t{100} << 20);
            else
                ASSERT_FALSE(WriteFileAtomically(dir.File(name), text));
        }
        GlassCatalogue catalogue;
        ASSERT_FALSE(ParseGlassCatalogue("Glass\tnd\nF2\t1.62\n", GlassMaker::Ohara, "Ohara.txt", catalogue));
        const auto catalogueError =
            LoadGlassCatalogue(GlassMaker::Schott, Workspace::At(dir.Path().string()), "", catalogue);
        ASSERT_TRUE(catalogueError);
        EXPECT_NE(catalogueError->find(message), std::string::npos) << *catalogueError;
        EXPECT_EQ(catalogue.Cell(0, 1), "F2"); // the grid read before stays

        std::string iniError;
        const IniFile settings = IniFile::Load(dir.File("vitrimo.ini"), &iniError);
        EXPECT_NE(iniError.find(message), std::string::npos) << iniError;
        EXPECT_TRUE(settings.Sections().empty()); // the defaults apply

        RgbTable table;
        const auto rgbError = ReadRgbTable(dir.File("RGBtable.txt"), table);
        ASSERT_TRUE(rgbError);
        EXPECT_NE(rgbError->find(message), std::string::npos) << *rgbError;
        EXPECT_TRUE(table.nanometres.empty());
    }
}

// The writers never put 0 where a fixed mark stands: "x", a face number and other text in "rFix" and
// "lFix" come back as they were from a rescaled lens.
TEST(HostileInput, RescalingKeepsEveryFixedMark) {
    TempDir dir;
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, kSamples + "cooke-triplet.ldt").Ok());
    lens.SetText(col::RFix, 2, "x");
    lens.SetText(col::LFix, 3, "x");
    lens.SetText(col::RFix, 4, "2");
    lens.SetText(col::LFix, 5, "not a face");
    ASSERT_FALSE(WriteLensFile(lens, dir.File("in.ldt")));
    const CliRun run = Cli({"scale", dir.File("in.ldt"), "--focal-length", "80", "-o", dir.File("out.ldt")});
    ASSERT_EQ(run.code, 0) << run.err;
    Lens scaled;
    ASSERT_TRUE(ReadLensFile(scaled, dir.File("out.ldt")).Ok());
    for (int row = 1; row < lens.RowCount(); ++row) {
        EXPECT_EQ(scaled.Text(col::RFix, row), lens.Text(col::RFix, row)) << row;
        EXPECT_EQ(scaled.Text(col::LFix, row), lens.Text(col::LFix, row)) << row;
    }
    EXPECT_EQ(scaled.Text(col::R, 2), lens.Text(col::R, 2));               // fixed
    EXPECT_EQ(scaled.Text(col::Distance, 3), lens.Text(col::Distance, 3)); // fixed
    EXPECT_EQ(scaled.Text(col::R, 4), scaled.Text(col::R, 3));             // follows face 2
}

// Numbers on the command line that are not finite, or field angles of a quarter turn or more (a ray that
// would travel sideways or backwards), are refused; they used to come out as null, 0 or a ray at 180
// degrees reported as not vignetted.
TEST(HostileInput, CommandLineNumbersThatMakeNoSenseAreRefused) {
    TempDir dir;
    const std::string lens = kSamples + "singlet.ldt", png = dir.File("f.png"), ldt = dir.File("x.ldt");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"trace", lens, "--angle", "nan", "--json"}, "--angle"},
        {{"trace", lens, "--angle", "inf"}, "--angle"},
        {{"trace", lens, "--angle", "-1e308"}, "--angle"},
        {{"trace", lens, "--angle", "90"}, "--angle"},
        {{"trace", lens, "--angle", "180"}, "--angle"},
        {{"trace", lens, "--defocus", "nan"}, "--defocus"},
        {{"trace", lens, "--defocus", "-inf"}, "--defocus"},
        {{"curves", lens, "--kind", "distortion", "--max-angle", "nan"}, "--max-angle"},
        {{"curves", lens, "--kind", "astigmatism", "--max-angle", "inf"}, "--max-angle"},
        {{"curves", lens, "--kind", "transverse", "--angle", "120"}, "--angle"},
        {{"curves", lens, "--kind", "transverse", "--defocus", "nan"}, "--defocus"},
        {{"figure", lens, "--tab", "transverse", "--angle", "nan", "-o", png}, "--angle"},
        {{"figure", lens, "--tab", "distortion", "--max-angle", "95", "-o", png}, "--max-angle"},
        {{"figure", lens, "--tab", "longitudinal", "--scale", "nan", "-o", png}, "--scale"},
        {{"scale", lens, "--focal-length", "nan", "-o", ldt}, "--focal-length"},
        {{"figure", lens, "--tab", "longitudinal", "--size", "4294967396x100", "-o", png}, "--size"},
    };
    for (const auto& [args, option] : cases) {
#ifndef VITRIMO_WITH_FIGURES
        if (args[0] == "figure") continue; // a build without figures has no figure command
#endif
        const CliRun run = Cli(args);
        EXPECT_NE(run.code, 0) << args[2] << " " << args.back();
        EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    // The limits themselves are fine.
    const CliRun wide = Cli({"trace", lens, "--angle", "-89.5", "--json"});
    EXPECT_EQ(wide.code, 0) << wide.err;
}

// ---- Writes to a read-only folder, to a full disk ---------------------------------------------------------

TEST(HostileInput, WritesThatFailSayWhyAndLeaveNoPartialFile) {
    struct WriteCase {
        std::string what;
        FileFaults faults;
        std::string cause;
    };
    const std::vector<WriteCase> cases = {
        {"read-only start folder", {.createError = EROFS}, std::strerror(EROFS)},
        {"permission denied", {.createError = EACCES}, std::strerror(EACCES)},
        {"full disk", {.writeError = ENOSPC, .writeErrorAfter = 20}, std::strerror(ENOSPC)},
    };
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, kSamples + "cooke-triplet.ldt").Ok());
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string lensdata = dir.File("lensdata.ldt"), ini = dir.File("vitrimo.ini");
        ASSERT_FALSE(WriteFileAtomically(lensdata, "the last data"));
        lens.MarkChanged();
        IniFile settings;
        settings.WriteString("Main", "Default Dir", dir.Path().string());
        std::optional<std::string> lensError, iniError;
        CliRun scale;
        {
            ScopedFileFaults faults(c.faults);
            lensError = WriteLensFile(lens, lensdata);
            iniError = settings.Save(ini);
            scale = Cli(
                {"scale", kSamples + "cooke-triplet.ldt", "--focal-length", "50", "-o", dir.File("out.ldt")});
        }
        ASSERT_TRUE(lensError);
        EXPECT_NE(lensError->find(c.cause), std::string::npos) << *lensError;
        EXPECT_NE(lensError->find(lensdata), std::string::npos) << *lensError;
        EXPECT_TRUE(lens.DataModified()); // not saved
        ASSERT_TRUE(iniError);
        EXPECT_NE(iniError->find(c.cause), std::string::npos) << *iniError;
        EXPECT_EQ(scale.code, 1);
        EXPECT_NE(scale.err.find(c.cause), std::string::npos) << scale.err;
        EXPECT_EQ(scale.out, "");
        // The old file as it was; nothing else in the folder.
        std::string text;
        ASSERT_FALSE(ReadWholeFile(lensdata, text));
        EXPECT_EQ(text, "the last data");
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"lensdata.ldt"});
    }
    // A folder that really is read-only (root may write anywhere, so only where the tests are not root).
    if (::geteuid() != 0) {
        TempDir dir;
        fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        const auto error = WriteLensFile(lens, dir.File("lensdata.ldt"));
        fs::permissions(dir.Path(), fs::perms::owner_all);
        ASSERT_TRUE(error);
        EXPECT_NE(error->find(std::strerror(EACCES)), std::string::npos) << *error;
        EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    }
}

// ---- Lenses that are legal text but strange optics --------------------------------------------------------

struct LensCase {
    std::string what;
    Lens lens;
    bool imageValid;
    // Closed forms where they exist (NaN: none to check). A lens without a real image may still have a
    // finite focal length (a virtual focus).
    double focalLength = std::numeric_limits<double>::quiet_NaN();
    double backFocalDistance = std::numeric_limits<double>::quiet_NaN();
};

TEST(HostileInput, StrangeLensesGiveFiniteNumbersOrNoImage) {
    // A thin biconvex lens of zero thickness: 1/f = (n - 1) (1/R1 - 1/R2).
    const double thinF = 1 / ((1.5 - 1) * (2.0 / 50));
    // A thick singlet of index 1e-300 (R1 = -R2 = 102.5, t = 5): the lensmaker's formula gives a focal
    // length of about -2.1e-297 mm and a virtual focus, so no real image.
    const double n = 1e-300, r = 102.5, t = 5;
    const double tinyF = 1 / ((n - 1) * (2 / r - (n - 1) * t / (n * r * r)));
    const double tinyBfd = tinyF * (1 - (n - 1) * t / (n * r));
    Lens allTiny =
        MakeLens({{"X", "0", "0", "1e-300"}, {"Y", "0", "0", "1e-300"}, {"Z", "0", "0", "1e-300"}});
    for (int w = 0; w < allTiny.Wavelengths().Count(); ++w)
        allTiny.SetText(allTiny.IndexColumn(w), 1, "1e-300");
    const std::vector<LensCase> cases = {
        {"one concave mirror", MakeLens({{"Mirror", "-200", "0", "-1"}}), true, 100, 100},
        {"a lens and two flat mirrors",
         MakeLens(
             {{"Ideal Lens", "100", "20", "1"}, {"Mirror", "0", "30", "-1"}, {"Mirror", "0", "0", "-1"}}),
         true, 100, 50},
        {"only flat mirrors", MakeLens({{"Mirror", "0", "30", "-1"}, {"Mirror", "0", "0", "-1"}}), false},
        {"every face plane", MakeLens({{"N-BK7", "0", "5", "1.5168"}, {"Air", "0", "0", "1"}}), false},
        {"zero thickness", MakeLens({{"N-BK7", "50", "0", "1.5"}, {"Air", "-50", "0", "1"}}), true, thinF,
         thinF},
        {"radius 0, thickness 0 and index 1e-300 on every face", allTiny, false},
        {"a glass of index 1e-300", MakeLens({{"Tiny", "102.5", "5", "1e-300"}, {"Air", "-102.5", "0", "1"}}),
         false, tinyF, tinyBfd},
    };
    for (const LensCase& c : cases) {
        SCOPED_TRACE(c.what);
        Lens lens = c.lens;
        lens.SetDataModified(true);
        test::ScriptedHost host;
        ParaxialTrace paraxial;
        const Readiness readiness = PrepareForCalculation(lens, paraxial, host);
        ASSERT_NE(readiness, Readiness::Cancelled);
        EXPECT_EQ(paraxial.ImageValid(), c.imageValid);
        EXPECT_TRUE(std::isfinite(lens.FocalLength()));
        EXPECT_TRUE(std::isfinite(lens.BackFocalDistance()));
        if (!std::isnan(c.focalLength)) {
            EXPECT_TRUE(Near(lens.FocalLength(), c.focalLength, 1e-12, 0));
            EXPECT_TRUE(Near(lens.BackFocalDistance(), c.backFocalDistance, 1e-12));
        }

        TempDir dir;
        ASSERT_FALSE(WriteLensFile(lens, dir.File("lens.ldt")));
        const CliRun info = Cli({"info", dir.File("lens.ldt"), "--json"});
        ASSERT_EQ(info.code, 0) << info.err;
        ExpectFiniteJson(info.out, {"focal_length", "back_focal_distance", "entrance_pupil_distance",
                                    "entrance_pupil_diameter"});
        EXPECT_EQ(nlohmann::json::parse(info.out)["image_valid"], c.imageValid);
        const CliRun trace =
            Cli({"trace", dir.File("lens.ldt"), "--angle", "1", "--pupil", "0.5,0.2", "--json"});
        const CliRun curves = Cli({"curves", dir.File("lens.ldt"), "--kind", "transverse", "--steps", "3"});
        for (const CliRun* run : {&trace, &curves}) {
            if (c.imageValid) {
                ASSERT_EQ(run->code, 0) << run->err;
                ExpectNoNonFiniteWords(run->out);
            } else {
                EXPECT_EQ(run->code, 1);
                EXPECT_NE(run->err.find("No fucus point exist!"), std::string::npos) << run->err;
            }
        }
        if (c.imageValid) ExpectFiniteJson(trace.out, {"y", "z"});
    }
}

// Decenters and tilts that cancel on the same face (Y + dy = 0, Theta + dTheta = 0, ...) trace exactly
// like the centred lens, although the lens counts as decentered and takes the general path.
TEST(HostileInput, ShiftsAndTiltsThatCancelTraceLikeTheCentredLens) {
    TempDir dir;
    Lens lens;
    ASSERT_TRUE(ReadLensFile(lens, kSamples + "cooke-triplet.ldt").Ok());
    ASSERT_FALSE(WriteLensFile(lens, dir.File("centred.ldt")));
    for (int row = 2; row < lens.RowCount(); ++row) {
        lens.SetText(col::Y, row, "0.7");
        lens.SetText(col::Dy, row, "-0.7");
        lens.SetText(col::Z, row, "-0.3");
        lens.SetText(col::Dz, row, "0.3");
        lens.SetText(col::Theta, row, "4");
        lens.SetText(col::DTheta, row, "-4");
        lens.SetText(col::Phi, row, "30");
        lens.SetText(col::DPhi, row, "-30");
    }
    ASSERT_TRUE(lens.ComputeHasDecenter());
    ASSERT_FALSE(WriteLensFile(lens, dir.File("cancelled.ldt")));

    for (const std::string pupil : {"0.5,0.3", "-0.8,0", "0,0.9"}) {
        SCOPED_TRACE(pupil);
        const auto traced = [&](const std::string& file) {
            const CliRun run = Cli({"trace", dir.File(file), "--angle", "7", "--pupil", pupil, "--json"});
            EXPECT_EQ(run.code, 0) << run.err;
            ExpectFiniteJson(run.out, {});
            return nlohmann::json::parse(run.out);
        };
        const auto centred = traced("centred.ldt"), cancelled = traced("cancelled.ldt");
        for (const char* key : {"y", "z", "L", "M", "N", "optical_path"})
            EXPECT_TRUE(Near(cancelled[key].get<double>(), centred[key].get<double>(), 0, 1e-9))
                << key << ": " << cancelled.dump() << " vs " << centred.dump();
        EXPECT_EQ(cancelled["vignetted"], centred["vignetted"]);
    }
}

} // namespace
} // namespace vitrimo
