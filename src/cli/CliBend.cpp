// vitrimo-cli bend: a lens bent by scroll steps as the bending window bends it, written as a lens data
// file. Two faces: the power one face loses the other gains (the sum stays); one face: its power alone.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "design/Bending.h"
#include "model/LensFile.h"
#include "model/NumberFormat.h"

#include <memory>

namespace vitrimo::cli {
namespace {

std::string Why(PlaneChoice choice) {
    switch (choice) {
    case PlaneChoice::NeedsCtrl:
        return "its radius is fixed or linked to another face (rFix)";
    case PlaneChoice::NoIndexChange:
        return "it has the same index on both sides (You cannot choose this plane!)";
    default:
        return "it is not a face of the lens, or chosen twice";
    }
}

} // namespace

Command AddBendCommand(CLI::App& app) {
    struct Options {
        std::string lens, output;
        int face = -1;
        std::vector<int> faces;
        int steps = 0;
        double interval = 0;
    };
    auto options = std::make_shared<Options>();
    CLI::App* bend = app.add_subcommand("bend", "Bend a lens: --faces I,J moves surface power from face I "
                                                "to face J (their sum stays), --face I changes face I alone");
    bend->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    auto* face = bend->add_option("--face", options->face, "The one face whose power changes");
    auto* faces = bend->add_option("--faces", options->faces, "The two faces of a two-face bend: I,J")
                      ->delimiter(',')
                      ->expected(2);
    face->excludes(faces);
    faces->excludes(face);
    bend->add_option("--steps", options->steps,
                     "Scroll positions to move from the middle (-5000 ... 5000); each moves a power by "
                     "interval / focal length")
        ->required();
    bend->add_option("--interval", options->interval,
                     "The size of one step (default 0.00001 for two faces, 0.0001 for one)")
        ->check(CLI::PositiveNumber);
    bend->add_option("-o,--output", options->output, "The bent lens data file to write")->required();

    return {bend, [options](std::ostream& out, std::ostream& err) {
                std::vector<int> chosen = options->faces;
                if (options->face >= 0) chosen = {options->face};
                if (chosen.empty()) throw UsageError{"bend needs --face I or --faces I,J"};
                const int position = BendingSession::kStart + options->steps;
                if (position < BendingSession::kMinimum || position > BendingSession::kMaximum)
                    throw UsageError{"--steps must lie between -5000 and 5000"};

                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                BendingSession session(loaded.lens);
                session.SetMode(chosen.size() == 2 ? BendMode::TwoFace : BendMode::SingleFace);
                if (options->interval > 0) session.SetInterval(options->interval);
                for (int f : chosen) {
                    const PlaneChoice choice = session.Choose(f, BendTarget::Curvature, false);
                    if (choice != PlaneChoice::Chosen)
                        throw UsageError{"face " + std::to_string(f) + " cannot be bent: " + Why(choice)};
                }
                if (session.ScrollTo(position) == StepResult::LostImage)
                    throw CommandError{options->lens +
                                       ": the bent lens would form no real image (No fucus point exist!)"};

                Lens& lens = loaded.lens;
                WriteBentLens(lens, session);
                CliHost host;
                if (PrepareForCalculation(lens, loaded.paraxial, host) != Readiness::Ready)
                    throw CommandError{options->lens +
                                       ": the bent lens forms no real image (No fucus point exist!)"};
                if (const auto error = WriteLensFile(lens, options->output)) throw CommandError{*error};
                out << "focal_length: " << FormatShortest(lens.FocalLength()) << '\n';
            }};
}

} // namespace vitrimo::cli
