// vitrimo-cli scale: a lens rescaled to a focal length, written as a lens data file.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "engine/FocalLengthScaling.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <cmath>
#include <memory>

namespace vitrimo::cli {

Command AddScaleCommand(CLI::App& app) {
    struct Options {
        std::string lens, output;
        double focalLength = 0;
    };
    auto options = std::make_shared<Options>();
    CLI::App* scale = app.add_subcommand("scale", "Rescale a lens to a focal length; fixed radii and "
                                                  "distances (x in rFix/lFix) stay, linked ones follow");
    scale->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    scale->add_option("--focal-length", options->focalLength, "The new focal length, mm")
        ->required()
        ->check(FiniteNumber() & CLI::PositiveNumber);
    scale->add_option("-o,--output", options->output, "The rescaled lens data file to write")->required();

    return {
        scale, [options](std::ostream& out, std::ostream& err) {
            LoadedLens loaded;
            LoadLensWithImage(options->lens, loaded, err);
            Lens& lens = loaded.lens;
            if (!RestoreFocalLength(lens, loaded.paraxial, options->focalLength))
                throw CommandError{options->lens + ": the lens forms no real image (No fucus point exist!)"};
            WriteScaledRadiiAndDistances(lens);
            // The file gets its image plane at the new paraxial focus.
            CliHost host;
            if (PrepareForCalculation(lens, loaded.paraxial, host) != Readiness::Ready)
                throw CommandError{options->lens + ": the rescaled lens forms no real image"};
            if (const auto error = WriteLensFile(lens, options->output)) throw CommandError{*error};
            if (std::fabs(lens.FocalLength() / options->focalLength - 1) > 1e-6)
                err << kProgram << ": warning: the fixed radii and distances cannot reach "
                    << FormatShortest(options->focalLength) << " mm; the nearest focal length is written\n";
            out << "focal_length: " << FormatShortest(lens.FocalLength()) << '\n';
        }};
}

} // namespace vitrimo::cli
