// The prescription report against thick- and thin-lens formulas worked out here, in both its forms.
#include "exchange/PrescriptionReport.h"

#include "model/LensFile.h"
#include "model/NumberFormat.h"
#include "support/CliRunner.h"
#include "support/ScriptedHost.h"
#include "support/TestUtil.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <sstream>

namespace vitrimo {
namespace {

using test::Face;
using test::MakeLens;
using test::Near;

constexpr double kDegree = std::numbers::pi / 180;

// The number on the line that names `label` (a text line, or an HTML table row); nullopt when that line
// holds none.
std::optional<double> ValueAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return std::nullopt;
    const auto end = text.find('\n', at);
    const std::string line = text.substr(at + label.size(), end - at - label.size());
    const auto start = line.find_first_of("-0123456789");
    if (start == std::string::npos) return std::nullopt;
    const auto stop = line.find_first_not_of("-+.0123456789eE", start);
    return ParseNumber(line.substr(start, stop - start));
}

// The rest of the line that names `label`.
std::string LineOf(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return "(no line " + label + ")";
    return text.substr(at, text.find('\n', at) - at);
}

struct Made {
    PrescriptionReport report;
    std::string text, html;
};

Made Report(Workbench& bench, const Lens& lens, std::vector<double> angles) {
    bench.LensData() = lens;
    test::ScriptedHost host;
    const Readiness readiness = bench.Prepare(host);
    Made made;
    made.report = BuildPrescriptionReport(bench, readiness, angles, host);
    made.text = ReportText(made.report);
    made.html = ReportHtml(made.report);
    return made;
}

// No number may hide behind a word or an empty cell in either form.
void ExpectNoHiddenValues(const Made& made) {
    for (const std::string* out : {&made.text, &made.html}) {
        for (const char* bad : {"nan", "inf ", "inf)", "-inf", "<td class=\"n\" align=\"right\"></td>"})
            EXPECT_EQ(out->find(bad), std::string::npos) << bad << "\n" << *out;
    }
}

struct Expected {
    std::string label;
    double value;
    double tolerance; // absolute: the report writes 4 decimals, the focal length 6
};

void ExpectValues(const Made& made, const std::vector<Expected>& expected) {
    for (const std::string* out : {&made.text, &made.html})
        for (const Expected& e : expected) {
            const auto value = ValueAfter(*out, e.label);
            ASSERT_TRUE(value) << LineOf(*out, e.label);
            EXPECT_TRUE(Near(*value, e.value, 0, e.tolerance)) << e.label << ": " << LineOf(*out, e.label);
        }
}

// A biconvex singlet in air, stop on its first face: the thick-lens formulas.
TEST(PrescriptionReport, ThickSingletMatchesTheLensFormulas) {
    const double n = 1.5, r1 = 50, r2 = -50, t = 5, nF = 1.507, nC = 1.495, angle = 10;
    const double phi1 = (n - 1) / r1, phi2 = (1 - n) / r2;
    const double f = 1 / (phi1 + phi2 - t / n * phi1 * phi2);
    const double bfl = f * (1 - t / n * phi1);
    // The stop (face 1's vertex) seen through face 2 from the image side: n'/s' - n/s = (n' - n)/R.
    const double exitDistance = 1 / ((1 - n) / r2 + n / -t);
    const double exitMagnification = std::fabs(n * exitDistance / -t);
    const double epd = 10; // face 1's clear diameter, met by a parallel ray at the same height

    Lens lens = MakeLens({{"N-BK7", "50", "5", "1.5", "Schott"}, {"Air", "-50", "0", "1"}});
    lens.SetText("nF", 2, "1.507");
    lens.SetText("nC", 2, "1.495");
    lens.SetFileName("/lenses/singlet.ldt");
    Workbench bench;
    const Made made = Report(bench, lens, {0, -angle, 5});
    ExpectValues(made, {{"Effective focal length (EFL)", f, 1e-6},
                        {"Back focal distance (BFL)", bfl, 1e-4},
                        {"Entrance pupil position", 0, 1e-4},
                        {"Entrance pupil diameter (EPD)", epd, 1e-4},
                        {"Exit pupil position", exitDistance, 1e-4},
                        {"Exit pupil diameter", epd * exitMagnification, 1e-4},
                        {"F-number", f / epd, 1e-3},
                        {"Largest field angle", angle, 1e-4},
                        {"Image height (paraxial)", f * std::tan(angle * kDegree), 1e-4},
                        {"Lens length", t, 1e-4},
                        {"Total track", t + bfl, 1e-4},
                        // The Petzval sum of a thin or thick singlet: (phi1 + phi2) f / n.
                        {"PT", (phi1 + phi2) * f / n, 1e-4}});
    // The real chief ray of a fast singlet lands near the paraxial height, not on it.
    const auto real = ValueAfter(made.text, "Image height (real chief ray)");
    ASSERT_TRUE(real) << made.text;
    EXPECT_TRUE(Near(*real, f * std::tan(angle * kDegree), 0.02));
    EXPECT_NE(*real, ValueAfter(made.text, "Image height (paraxial)"));

    // The glass with its maker, nd and vd = (nd - 1) / (nF - nC).
    const std::string vd = FormatFixed((n - 1) / (nF - nC), 2);
    EXPECT_NE(made.text.find("N-BK7 Schott 1.50000 " + vd + " 1"), std::string::npos) << made.text;
    EXPECT_NE(made.html.find("<td>N-BK7</td><td>Schott</td>"), std::string::npos);
    EXPECT_NE(made.text.find("Prescription report: singlet.ldt"), std::string::npos);
    EXPECT_NE(LineOf(made.text, "     1 ").find("stop"), std::string::npos) << made.text;
    ExpectNoHiddenValues(made);
}

// An ideal lens bends every ray perfectly: the real chief ray through its centre lands at f tan(angle),
// and with the object 200 mm before a 100 mm lens the image is 200 mm behind it at magnification -1.
TEST(PrescriptionReport, IdealLensAtInfinityAndAtALimitedDistance) {
    const double angle = 12;
    Workbench bench;
    const Made infinite = Report(bench, MakeLens({{"Ideal Lens", "100", "0", "1"}}), {angle});
    ExpectValues(infinite, {{"Effective focal length (EFL)", 100, 1e-6},
                            {"Image height (paraxial)", 100 * std::tan(angle * kDegree), 1e-4},
                            {"Image height (real chief ray)", 100 * std::tan(angle * kDegree), 1e-4},
                            {"Exit pupil position", 0, 1e-4},
                            {"Exit pupil diameter", 10, 1e-4},
                            {"F-number", 10, 1e-3}});
    ExpectNoHiddenValues(infinite);

    Lens finite = MakeLens({{"Air", "0", "200", "1"}, {"Ideal Lens", "100", "0", "1"}});
    finite.SetText(col::GlassName, 1, "Object");
    const Made made = Report(bench, finite, {angle});
    ExpectValues(made, {{"Image distance", 200, 1e-4},
                        {"Object distance", 200, 1e-4},
                        {"Total track", 400, 1e-4},
                        // 1 / (2 n'u') with u' = 5 / 200
                        {"Working F-number", 20, 1e-3},
                        // magnification -1 times the object height 200 tan(angle)
                        {"Image height (paraxial)", 200 * std::tan(angle * kDegree), 1e-4},
                        {"Image height (real chief ray)", 200 * std::tan(angle * kDegree), 1e-4}});
    EXPECT_EQ(made.text.find("Back focal distance"), std::string::npos);
    ExpectNoHiddenValues(made);
}

// What a lens does not have is said in words, never as a number, an empty cell or "nan".
TEST(PrescriptionReport, MissingValuesAreWords) {
    Workbench bench;
    // A Kepler telescope: parallel light leaves parallel.
    const Made kepler =
        Report(bench, MakeLens({{"Ideal Lens", "100", "150", "1"}, {"Ideal Lens", "50", "10", "1"}}), {5});
    for (const std::string* out : {&kepler.text, &kepler.html}) {
        for (const char* label : {"Effective focal length (EFL)", "Back focal distance (BFL)", "F-number"}) {
            EXPECT_FALSE(ValueAfter(*out, label)) << LineOf(*out, label);
            EXPECT_NE(LineOf(*out, label).find("none (afocal)"), std::string::npos) << LineOf(*out, label);
        }
        EXPECT_NE(out->find("none: the lens forms no real image"), std::string::npos);
    }
    ExpectNoHiddenValues(kepler);

    // No index in the object space: nothing can be traced. The glass has no F and C lines.
    Lens noIndex = MakeLens({{"S-BSL7", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    for (int w = 0; w < noIndex.Wavelengths().Count(); ++w) noIndex.SetText(noIndex.IndexColumn(w), 1, "0");
    noIndex.SetText("nF", 2, "");
    const Made none = Report(bench, noIndex, {});
    for (const std::string* out : {&none.text, &none.html}) {
        EXPECT_NE(out->find("the paraxial trace cannot run (a face has no d-line index)"), std::string::npos);
        EXPECT_NE(out->find("none (no nF index)"), std::string::npos) << *out;
        EXPECT_EQ(out->find("Effective focal length"), std::string::npos);
    }
    ExpectNoHiddenValues(none);

    // An empty angle table: no image height, and the reason.
    const Made noAngle = Report(bench, MakeLens({{"Ideal Lens", "100", "0", "1"}}), {});
    EXPECT_NE(
        LineOf(noAngle.text, "Image height (paraxial)").find("none (no field angle in the angle table)"),
        std::string::npos);
}

// A memo or a glass name is text, never markup: a hostile one cannot add elements to the page.
TEST(PrescriptionReport, UserTextsAreEscapedInHtml) {
    Lens lens = MakeLens({{"<img src=x onerror=alert(1)>", "50", "5", "1.5"}, {"Air", "-50", "0", "1"}});
    lens.SetMemo("</p><script>alert(\"memo\")</script>\nR&D's lens");
    lens.SetFileName("lenses/<b>bold.ldt");
    Workbench bench;
    const Made made = Report(bench, lens, {1});
    for (const char* raw : {"<script", "<img", "<b>bold"})
        EXPECT_EQ(made.html.find(raw), std::string::npos) << raw;
    EXPECT_NE(made.html.find("&lt;script&gt;alert(&quot;memo&quot;)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(made.html.find("R&amp;D&#39;s lens"), std::string::npos);
    EXPECT_NE(made.html.find("<title>Prescription report: &lt;b&gt;bold.ldt</title>"), std::string::npos);
    EXPECT_NE(made.html.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    // The text form keeps the texts as they are, but no control character reaches a terminal.
    lens.SetMemo("bell\a and escape\x1b[2J");
    const Made text = Report(bench, lens, {1});
    EXPECT_NE(text.text.find("bell? and escape?[2J"), std::string::npos) << text.text;
}

// The exit pupil of a stop behind a thin lens is the stop itself (nothing after it); one in front of it
// is imaged by the lens: s' = s f / (s + f) for a stop s = -10 mm before a 100 mm lens.
TEST(ParaxialTraceExitPupil, IsTheStopImagedByTheFacesAfterIt) {
    Workbench bench;
    Lens lens = MakeLens({{"Air", "0", "10", "1", "Stop Plane"}, {"Ideal Lens", "100", "0", "1"}});
    test::ScriptedHost host;
    bench.LensData() = lens;
    ASSERT_EQ(bench.Prepare(host), Readiness::Ready);
    const auto pupil = bench.Paraxial().ExitPupil(bench.LensData().Arrays(), 1);
    ASSERT_TRUE(pupil);
    const double s = -10, image = 1 / (1 / 100.0 + 1 / s);
    EXPECT_TRUE(Near(pupil->distance, image, 1e-12));
    EXPECT_TRUE(Near(pupil->magnification, image / s, 1e-12));
    EXPECT_FALSE(bench.Paraxial().ExitPupil(bench.LensData().Arrays(), -1)); // no stop
    // The stop in the front focal plane: the exit pupil lies at infinity.
    bench.LensData().SetText(col::Distance, 2, "100");
    bench.LensData().MarkChanged();
    ASSERT_NE(bench.Prepare(host), Readiness::Cancelled);
    EXPECT_FALSE(bench.Paraxial().ExitPupil(bench.LensData().Arrays(), 1));
}

// ---- vitrimo-cli report ----

TEST(CliReport, WritesTextByDefaultAndHtmlOnRequest) {
    const std::string lens = test::SourcePath("data/Lens/singlet.ldt");
    const test::CliRun text = test::Cli({"report", lens});
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Prescription report: singlet.ldt\n", 0), 0u) << text.out;
    EXPECT_EQ(test::Cli({"report", lens, "--text"}).out, text.out);
    const test::CliRun html = test::Cli({"report", lens, "--html", "--field", "3"});
    ASSERT_EQ(html.code, 0) << html.err;
    EXPECT_EQ(html.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.out.find("</html>"), std::string::npos);
    // The same focal length as vitrimo-cli info.
    const auto info = ValueAfter(test::Cli({"info", lens}).out, "focal_length:");
    ASSERT_TRUE(info);
    EXPECT_TRUE(Near(*ValueAfter(html.out, "Effective focal length (EFL)"), *info, 0, 1e-6));
    EXPECT_TRUE(Near(*ValueAfter(html.out, "Largest field angle"), 3, 0, 1e-12));
}

TEST(CliReport, WrongCommandLinesExit2) {
    const std::string lens = test::SourcePath("data/Lens/singlet.ldt");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"report", lens, "--html", "--text"},
                                               {"report", lens, "--pdf"},
                                               {"report", lens, "--field", "nan"},
                                               {"report", lens, "--field", "90"},
                                               {"report"}}) {
        const test::CliRun run = test::Cli(args);
        EXPECT_EQ(run.code, 2) << args.back() << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(test::Cli({"report", test::SourcePath("data/Lens/no-such.ldt")}).code, 1);
}

TEST(CliReport, OutputFileIsWrittenWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string lens = test::SourcePath("data/Lens/cooke-triplet.ldt");
    const std::string file = dir.File("report.html");
    const test::CliRun run = test::Cli({"report", lens, "--html", "-o", file});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::ifstream in(file);
    std::stringstream written;
    written << in.rdbuf();
    EXPECT_EQ(written.str(), test::Cli({"report", lens, "--html"}).out);

    const test::CliRun unwritable = test::Cli({"report", lens, "-o", dir.File("missing/report.txt")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("missing/report.txt"), std::string::npos) << unwritable.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

} // namespace
} // namespace vitrimo
