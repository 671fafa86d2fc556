#include "cli/CliCommon.h"

#include "cli/CliHost.h"
#include "engine/Parallel.h"
#include "evaluation/PointSpread.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

// The folder CMake names for the data files (by default the source tree's data folder).
#ifndef VITRIMO_DATA_DIR
#define VITRIMO_DATA_DIR ""
#endif

namespace vitrimo::cli {

RayTracer& PrepareTracer(LoadedLens& loaded, Host& host, std::ostream& err) {
    loaded.bench.BindTracer(host);
    RayTracer& tracer = loaded.bench.Tracer();
    for (int j : tracer.Untraceable())
        err << kProgram << ": warning: wavelength " << WavelengthName(loaded.lens, j)
            << " is not traced: some face has no refractive index for it\n";
    return tracer;
}

void TraceOnly(RayTracer& tracer, const Lens& lens, int listPosition) {
    if (!tracer.Traceable(listPosition))
        throw CommandError{"wavelength " + WavelengthName(lens, listPosition) +
                           " cannot be traced: some face has no refractive index for it"};
    tracer.SetTracedWavelengths({listPosition});
}

CurveResult ComputeNamedCurve(LoadedLens& loaded, const std::string& lensPath, const std::string& kindName,
                              const CurveSettings& settings, Host& host, std::ostream& err) {
    const CurveKind kind = kindName == "longitudinal"  ? CurveKind::Longitudinal
                           : kindName == "transverse"  ? CurveKind::Transverse
                           : kindName == "astigmatism" ? CurveKind::Astigmatism
                                                       : CurveKind::Distortion;
    // The field curves run from the axis to the maximum angle: without one there is nothing to compute.
    if ((kind == CurveKind::Astigmatism || kind == CurveKind::Distortion) && !(settings.maxAngle > 0))
        throw UsageError{"--kind " + kindName + " needs --max-angle DEG greater than 0"};
    CurveResult curve = ComputeCurve(PrepareTracer(loaded, host, err), kind, settings, host);
    if (!curve.Ok()) throw CommandError{lensPath + ": " + curve.error};
    return curve;
}

void RequireFiniteNumbers(CLI::App& app) {
    for (CLI::Option* option : app.get_options())
        if (option->get_type_name().find("FLOAT") != std::string::npos) option->check(FiniteNumber());
    for (CLI::App* command : app.get_subcommands({})) RequireFiniteNumbers(*command);
}

namespace {
int& ThreadsOption() {
    static int threads = DefaultThreadCount();
    return threads;
}
} // namespace

void AddThreadsOption(CLI::App& app) {
    ThreadsOption() = DefaultThreadCount();
    for (const char* name :
         {"trace", "curves", "spot", "wavefront", "psf", "mtf", "merit", "optimise", "figure", "bend"}) {
        CLI::App* command = nullptr;
        try {
            command = app.get_subcommand(name);
        } catch (const CLI::OptionNotFound&) {
            continue; // a command this build does not have
        }
        command
            ->add_option("--threads", ThreadsOption(), "Threads the calculation uses (default: every core)")
            ->check(CLI::Range(1, kMaxThreads))
            ->type_name("N");
    }
}

int CommandThreads() {
    return ThreadsOption();
}

std::string ProgramDataDir() {
    const char* fromEnvironment = std::getenv("VITRIMO_DATA_DIR");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : VITRIMO_DATA_DIR;
}

void LoadLens(const std::string& path, LoadedLens& loaded, std::ostream& err) {
    const LensFileResult read = ReadLensFile(loaded.lens, path);
    if (!read.Ok()) throw CommandError{read.error};
    loaded.lens.SetFileName(path);
    for (const auto& title : read.unknownColumns)
        err << kProgram << ": warning: " << path << ": unknown column \"" << title << "\" ignored\n";
    loaded.bench.SetThreads(CommandThreads());
    CliHost host;
    loaded.readiness = loaded.bench.Prepare(host);
    if (loaded.readiness == Readiness::Cancelled) {
        const std::string question =
            host.Unanswered().empty() ? "a value is missing" : host.Unanswered().back();
        throw CommandError{path + ": the lens is incomplete (" + question + ")"};
    }
}

void LoadLensWithImage(const std::string& path, LoadedLens& loaded, std::ostream& err) {
    LoadLens(path, loaded, err);
    if (loaded.readiness != Readiness::Ready)
        throw CommandError{path + ": the lens forms no real image (No fucus point exist!)"};
}

int WavelengthByName(const Lens& lens, const std::string& name) {
    const int position = lens.Wavelengths().Find(name == "A'" ? "A" : name);
    if (position < 0)
        throw CommandError{"unknown wavelength \"" + name +
                           "\" (one of t s A r C d e F g h i or an added one)"};
    return position;
}

std::string WavelengthName(const Lens& lens, int listPosition) {
    return lens.Wavelengths().At(listPosition).name;
}

CLI::Validator FiniteNumber() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return ParseNumber(text) ? "" : "\"" + text + "\" is not a finite decimal number";
        },
        "NUMBER");
}

CLI::Validator FieldAngle() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const auto angle = ParseNumber(text);
            if (angle && std::fabs(*angle) < 90) return "";
            return "\"" + text + "\" is not a field angle between -90 and 90 degrees";
        },
        "DEGREES");
}

CLI::Validator FftSize() {
    return CLI::Validator(
        [](std::string& text) {
            const auto value = ParseInteger(text);
            return value && ValidFftSize(static_cast<int>(*value))
                       ? std::string()
                       : std::string("the FFT size must be a power of 2 from 64 to 8192");
        },
        "POWER OF 2");
}

nlohmann::ordered_json NumberOrNull(double value, bool present) {
    return present && std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

namespace {

std::string TextOf(const nlohmann::ordered_json& value) {
    if (value.is_null()) return "none";
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_number_float()) {
        // The shortest text that reads back as the same number, with an exponent where that is shorter
        // (1e-20 rather than twenty zeros).
        std::array<char, 64> buffer{};
        const auto [end, ec] =
            std::to_chars(buffer.data(), buffer.data() + buffer.size(), value.get<double>());
        return ec == std::errc() ? std::string(buffer.data(), end) : std::string("none");
    }
    return value.dump();
}

} // namespace

void Print(std::ostream& out, const nlohmann::ordered_json& object, bool json) {
    if (json) {
        out << object.dump() << '\n';
        return;
    }
    for (const auto& [key, value] : object.items()) out << key << ": " << TextOf(value) << '\n';
}

} // namespace vitrimo::cli
