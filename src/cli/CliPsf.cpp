// vitrimo-cli psf: the point spread function by FFT, its Strehl ratio and picture.
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "evaluation/FftMemory.h"
#include "evaluation/PointSpread.h"
#include "model/NumberFormat.h"

#ifdef VITRIMO_WITH_FIGURES
#include "figures/EvaluationPainter.h"
#include "figures/FigureExport.h"

#include <QPainter>
#endif
#include <filesystem>
#include <memory>

namespace vitrimo::cli {

std::optional<ScreenFace> ScreenOfLens(const LoadedLens& loaded, const RayTracer& tracer,
                                       const std::string& lensPath) {
    const SurfaceArrays& arrays = loaded.lens.Arrays();
    for (int i = tracer.Context().firstSurface; i <= tracer.SurfaceCount() && i < arrays.Count(); ++i) {
        if (arrays.TypeOf(i) != SurfaceType::Screen) continue;
        const std::string path = (std::filesystem::path(lensPath).parent_path() / "screen.txt").string();
        ScreenMapResult read = ReadScreenMap(path);
        if (!read.Ok())
            throw CommandError{lensPath + ": face " + std::to_string(i) +
                               " is a screen and needs its transmission map: " + read.error};
        return ScreenFace{i, arrays.surfaces[i].effectiveDiameter, std::move(read.map)};
    }
    return std::nullopt;
}

std::string UndersampledText(const PsfResult& psf) {
    double largest = 0;
    for (const PsfWavelength& w : psf.wavelengths) largest = std::max(largest, w.largestOpdStep);
    return "the pupil grid undersamples the wavefront (" + FormatGeneral(largest, 3) +
           " waves between neighbouring cells): the image is aliased; raise --pupil and --fft-size";
}

Command AddPsfCommand(CLI::App& app) {
    struct Options {
        EvaluationOptions evaluation;
        int fftSize = 256, pupil = 32;
        std::string output;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* psf = app.add_subcommand(
        "psf",
        "Point spread function by FFT: Strehl ratio at the reference point, per wavelength and weighted");
    psf->add_option("LENS", options->evaluation.lens, "Lens data file (.ldt)")->required();
    psf->add_option("--angle", options->evaluation.angle, "Field angle in degrees (default 0)")
        ->check(FieldAngle());
    psf->add_option("--defocus", options->evaluation.defocus,
                    "Image plane shift from the paraxial image, mm (default 0)");
    psf->add_option("--fft-size", options->fftSize, "FFT size M: 64, 128, ... 8192 (default 256)")
        ->check(FftSize());
    psf->add_option("--pupil", options->pupil,
                    "Pupil divisions N (default 32): odd goes up to even, at most M/2")
        ->check(CLI::Range(1, kMaxFftSize));
    psf->add_option("-o,--output", options->output, "Write the diffraction image as PNG");
    psf->add_option("--wavelength", options->evaluation.wavelength,
                    "Trace only this line (t s A r C d e F g h i); it is then the reference");
    psf->add_flag("--json", options->json, "Print one JSON object");

    return {psf, [options](std::ostream& out, std::ostream& err) {
#ifdef VITRIMO_WITH_FIGURES
                if (!options->output.empty() &&
                    FigureFormat(QString::fromStdString(options->output)) != "png")
                    throw CommandError{"\"" + options->output + "\": the image is written as PNG (.png)"};
#else
                if (!options->output.empty())
                    throw CommandError{"this vitrimo-cli was built without figures: it cannot write images"};
#endif
                if (const auto memory = CurrentMemoryStatus()) {
                    const FftMemoryVerdict verdict = JudgeFftMemory(options->fftSize, *memory);
                    if (verdict == FftMemoryVerdict::Impossible)
                        throw CommandError{"Not enough total memory. Impossible to calculate."};
                    if (verdict == FftMemoryVerdict::Slow)
                        err << kProgram
                            << ": warning: Not enough physical memory. It takes much time for calculation.\n";
                }
                LoadedLens loaded;
                RayTracer& tracer = loaded.bench.Tracer();
                PsfSettings settings;
                settings.defocus = PrepareEvaluation(loaded, options->evaluation, err);
                settings.fieldAngle = options->evaluation.angle;
                settings.fftSize = options->fftSize;
                settings.pupilDivision = NormalisedPupilDivision(options->pupil, options->fftSize);
                settings.screen = ScreenOfLens(loaded, tracer, options->evaluation.lens);
                CliHost host;
                const PsfResult result = ComputePsf(tracer, loaded.lens, settings, host);
                if (!result.valid) throw CommandError{options->evaluation.lens + ": " + result.status};
                if (result.undersampled) err << kProgram << ": warning: " << UndersampledText(result) << '\n';

#ifdef VITRIMO_WITH_FIGURES
                if (!options->output.empty()) {
                    // The stored image at its own pixels: one pixel of the reference wavelength each.
                    const int pixels = result.imageSize;
                    const double halfWidth = pixels * result.referencePixelSize / 2;
                    const QImage picture = PsfPicture(result, pixels, halfWidth);
                    const auto error = ExportFigure(QString::fromStdString(options->output), picture.size(),
                                                    [&picture](QPainter& painter, const QRectF& area) {
                                                        painter.drawImage(area, picture);
                                                    });
                    if (error) throw CommandError{error->toStdString()};
                }
#endif

                nlohmann::ordered_json json;
                json["strehl"] = result.strehl;
                json["wavelengths"] = nlohmann::ordered_json::array();
                for (const PsfWavelength& w : result.wavelengths)
                    json["wavelengths"].push_back(
                        {{"line", w.name}, {"strehl", NumberOrNull(w.strehl, w.passing > 0)}});
                json["pixel_size"] = result.referencePixelSize;
                json["fft_size"] = result.settings.fftSize;
                json["pupil"] = result.settings.pupilDivision;
                if (options->json) {
                    out << json.dump() << '\n';
                    return;
                }
                nlohmann::ordered_json summary = json;
                summary.erase("wavelengths");
                Print(out, summary, false);
                out << "line\tstrehl\n";
                for (const auto& entry : json["wavelengths"])
                    out << entry["line"].get<std::string>() << '\t'
                        << (entry["strehl"].is_null() ? std::string()
                                                      : FormatGeneral(entry["strehl"].get<double>(), 12))
                        << '\n';
                if (!options->output.empty()) out << options->output << '\n';
            }};
}

} // namespace vitrimo::cli
