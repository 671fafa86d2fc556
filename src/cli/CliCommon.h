// What the commands of vitrimo-cli share: loading a lens, reporting failures, printing results.
#pragma once

#include "engine/AberrationCurves.h"
#include "engine/Calculation.h"
#include "engine/ParaxialTrace.h"
#include "engine/Workbench.h"
#include "model/Lens.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace vitrimo::cli {

inline constexpr const char* kProgram = "vitrimo-cli";

// A failure that ends the command: one line on stderr and exit code 1.
struct CommandError {
    std::string message;
};

// A command-line value that cannot be used, found after parsing: one line on stderr and exit code 2.
struct UsageError {
    std::string message;
};

// Adds a check to every floating-point option of the application and its commands: the value must be a
// finite decimal number.
void RequireFiniteNumbers(CLI::App& app);

// A command: its CLI11 sub-application and what runs once the command line is parsed.
struct Command {
    CLI::App* app = nullptr;
    std::function<void(std::ostream& out, std::ostream& err)> run;
};

Command AddInfoCommand(CLI::App& app);
Command AddGlassCommand(CLI::App& app);
Command AddTraceCommand(CLI::App& app);
Command AddCurvesCommand(CLI::App& app);
Command AddSeidelCommand(CLI::App& app);
Command AddScaleCommand(CLI::App& app);
Command AddBendCommand(CLI::App& app);
Command AddFigureCommand(CLI::App& app);
Command AddMeritCommand(CLI::App& app);
Command AddOptimiseCommand(CLI::App& app);
Command AddReportCommand(CLI::App& app);
Command AddImportCommand(CLI::App& app);
Command AddExportCommand(CLI::App& app);

// Adds "--threads N" to the commands that trace: the threads their calculations use, 1 ... kMaxThreads,
// every core by default. LoadLens gives the count to the command's workbench.
void AddThreadsOption(CLI::App& app);
// The count the command line gave, or DefaultThreadCount().
int CommandThreads();

// The folder with the glass catalogues and RGBtable.txt, looked in after the current folder.
std::string ProgramDataDir();

// A lens read from a file, with its arrays and paraxial data brought up to date.
// The workbench of one command: the lens read from a file, its paraxial data and the ray tracer, as the
// desktop program holds them.
struct LoadedLens {
    Workbench bench;
    Lens& lens = bench.LensData();
    ParaxialTrace& paraxial = bench.Paraxial();
    Readiness readiness = Readiness::NoImage;
};

// Reads and prepares a lens; unknown columns are reported on `err` as warnings. A missing, malformed or
// incomplete lens is a CommandError.
void LoadLens(const std::string& path, LoadedLens& loaded, std::ostream& err);
// The same, and a real paraxial image is required (the real-ray commands).
void LoadLensWithImage(const std::string& path, LoadedLens& loaded, std::ostream& err);

// Binds the workbench's tracer to the loaded lens and finds its entrance pupil. Marked wavelengths that
// cannot be traced (some face has no index for them) are left out with a warning on `err`.
RayTracer& PrepareTracer(LoadedLens& loaded, Host& host, std::ostream& err);
// Traces only one wavelength (list position), which must have an index on every face.
void TraceOnly(RayTracer& tracer, const Lens& lens, int listPosition);

// The names the curve commands take for the four curve kinds.
inline const std::vector<std::string> kCurveKindNames{"longitudinal", "transverse", "astigmatism",
                                                      "distortion"};

// Binds the tracer to a loaded lens, finds the entrance pupil and computes one curve kind named as in
// kCurveKindNames; a failure is a CommandError naming the lens file.
CurveResult ComputeNamedCurve(LoadedLens& loaded, const std::string& lensPath, const std::string& kindName,
                              const CurveSettings& settings, Host& host, std::ostream& err);

// The list position of a wavelength named by its line letter (t s A r C d e F g h i) or added title.
int WavelengthByName(const Lens& lens, const std::string& name);
// The name a wavelength goes by in headers: its line letter, or the title of an added wavelength.
std::string WavelengthName(const Lens& lens, int listPosition);

// Validators of number options. CLI11 reads "nan", "inf" and "1e999" as doubles; a command line holds
// finite decimal numbers only, and a field angle lies strictly between -90 and 90 degrees (a ray at a
// quarter turn or more would travel sideways or backwards).
CLI::Validator FiniteNumber();
CLI::Validator FieldAngle();
// An FFT size the PSF can use: a power of 2 from 64 to 8192.
CLI::Validator FftSize();

nlohmann::ordered_json NumberOrNull(double value, bool present = true);
// Prints an object either as JSON on one line or as "key: value" lines.
void Print(std::ostream& out, const nlohmann::ordered_json& object, bool json);

} // namespace vitrimo::cli
