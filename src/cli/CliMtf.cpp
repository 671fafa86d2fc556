// vitrimo-cli mtf: the spectrally weighted MTF against spatial frequency, meridional and sagittal, as the
// MTF window computes and saves it.
#include "cli/CliEvaluation.h"
#include "cli/CliHost.h"
#include "evaluation/Mtf.h"
#include "evaluation/PointSpread.h"
#include "model/NumberFormat.h"

#include <memory>

namespace vitrimo::cli {

Command AddMtfCommand(CLI::App& app) {
    struct Options {
        EvaluationOptions evaluation;
        std::string source = "diffraction";
        int fftSize = 256, pupil = 32, steps = 15;
        double maxFrequency = kDefaultMaxFrequency;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* mtf = app.add_subcommand(
        "mtf", "MTF against spatial frequency, meridional and sagittal, weighted over the wavelengths: "
               "the 101 frequencies j F / 100, j = 0 ... 100");
    mtf->add_option("LENS", options->evaluation.lens, "Lens data file (.ldt)")->required();
    mtf->add_option("--source", options->source,
                    "diffraction (the OTF of the point spread function, default) or geometric (of the spot "
                    "diagram)")
        ->check(CLI::IsMember({"diffraction", "geometric"}));
    mtf->add_option("--angle", options->evaluation.angle, "Field angle in degrees (default 0)")
        ->check(FieldAngle());
    mtf->add_option("--defocus", options->evaluation.defocus,
                    "Image plane shift from the paraxial image, mm (default 0)");
    mtf->add_option("--fft-size", options->fftSize,
                    "diffraction: FFT size M, 64, 128, ... 8192 (default 256)")
        ->check(FftSize());
    mtf->add_option("--pupil", options->pupil,
                    "diffraction: pupil divisions N (default 32): odd goes up to even, at most M/2")
        ->check(CLI::Range(1, kMaxFftSize));
    mtf->add_option("--steps", options->steps, "geometric: spot grid steps per pupil radius (default 15)")
        ->check(CLI::Range(1, 500));
    mtf->add_option("--max-frequency", options->maxFrequency,
                    "F, the highest spatial frequency in lines/mm (default 200)")
        ->check(CLI::PositiveNumber);
    mtf->add_option("--wavelength", options->evaluation.wavelength,
                    "Trace only this line (t s A r C d e F g h i); it is then the reference");
    mtf->add_flag("--json", options->json, "Print one JSON object");

    return {mtf, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                MtfSettings settings;
                settings.defocus = PrepareEvaluation(loaded, options->evaluation, err);
                settings.fieldAngle = options->evaluation.angle;
                settings.source =
                    options->source == "geometric" ? OtfSource::Geometric : OtfSource::Diffraction;
                settings.fftSize = options->fftSize;
                settings.pupilDivision = NormalisedPupilDivision(options->pupil, options->fftSize);
                settings.spotSteps = options->steps;
                settings.maxFrequency = options->maxFrequency;
                CliHost host;
                const MtfResult result = ComputeMtf(loaded.bench.Tracer(), loaded.lens, settings, host);
                if (!result.valid) throw CommandError{options->evaluation.lens + ": " + result.status};
                if (result.undersampled)
                    err << kProgram
                        << ": warning: the pupil grid undersamples the wavefront (more than half a wave "
                           "between neighbouring cells); raise --pupil\n";

                const MtfPoint& point = result.points.front();
                nlohmann::ordered_json json;
                json["source"] = options->source;
                json["angle"] = options->evaluation.angle;
                json["defocus"] = options->evaluation.defocus;
                json["frequencies"] = nlohmann::ordered_json::array();
                json["meridional"] = nlohmann::ordered_json::array();
                json["sagittal"] = nlohmann::ordered_json::array();
                for (std::size_t j = 0; j < result.axis.size(); ++j) {
                    json["frequencies"].push_back(result.axis[j]);
                    json["meridional"].push_back(NumberOrNull(point.modulus[0][j]));
                    json["sagittal"].push_back(NumberOrNull(point.modulus[1][j]));
                }
                if (options->json) {
                    out << json.dump() << '\n';
                    return;
                }
                out << "source: " << options->source << '\n';
                Print(out, {{"angle", options->evaluation.angle}, {"defocus", options->evaluation.defocus}},
                      false);
                // The columns of the window's saved file, from frequency 0.
                out << "line/mm\tMTF(Mer)\tMTF(Sag)\n";
                for (std::size_t j = 0; j < result.axis.size(); ++j)
                    out << FormatGeneral(result.axis[j], 7) << '\t' << FormatGeneral(point.modulus[0][j], 7)
                        << '\t' << FormatGeneral(point.modulus[1][j], 7) << '\n';
            }};
}

} // namespace vitrimo::cli
