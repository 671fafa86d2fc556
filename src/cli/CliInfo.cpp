// vitrimo-cli info: the first-order data of a lens.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "engine/RayTracer.h"

#include <memory>

namespace vitrimo::cli {

Command AddInfoCommand(CLI::App& app) {
    struct Options {
        std::string lens;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "info", "First-order data of a lens: focal length, back focal distance, stop, pupil");
    command->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    command->add_flag("--json", options->json, "Print one JSON object");

    return {command, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                LoadLens(options->lens, loaded, err);
                const Lens& lens = loaded.lens;
                // Without a focal length (afocal, or a lens the paraxial trace cannot run through)
                // the value is null, never 0.
                const bool traced = loaded.paraxial.Traced();
                const bool afocal = !traced || loaded.paraxial.Afocal();
                const bool finiteObject = lens.Text(col::GlassName, 1) != "Air";
                const int stop = lens.StopSurfaceIndex();
                // The entrance pupil diameter comes from real rays aimed at the rim of the stop.
                RayTracer& tracer = loaded.bench.Tracer();
                tracer.Bind(lens, loaded.paraxial);
                CliHost host;
                const double pupilDiameter = tracer.EntrancePupilDiameter(host);

                nlohmann::ordered_json info;
                info["surfaces"] = lens.SurfaceCount();
                info["focal_length"] = NumberOrNull(lens.FocalLength(), !afocal);
                info["back_focal_distance"] =
                    NumberOrNull(lens.BackFocalDistance(), traced && (!afocal || finiteObject));
                info["image_valid"] = loaded.paraxial.ImageValid();
                info["stop_surface"] = stop;
                info["entrance_pupil_distance"] =
                    NumberOrNull(ParaxialTrace::EntrancePupilDistance(lens, stop), traced);
                info["entrance_pupil_diameter"] = NumberOrNull(pupilDiameter, traced && pupilDiameter > 0);
                Print(out, info, options->json);
            }};
}

} // namespace vitrimo::cli
