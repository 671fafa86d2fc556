// vitrimo-cli report: the prescription report of a lens, as plain text or an HTML page.
#include "cli/CliCommon.h"
#include "cli/CliHost.h"
#include "exchange/PrescriptionReport.h"
#include "model/FileIo.h"

#include <memory>

namespace vitrimo::cli {

Command AddReportCommand(CLI::App& app) {
    struct Options {
        std::string lens;
        bool html = false;
        bool text = false;
        std::vector<double> fields;
        std::string output;
    };
    auto options = std::make_shared<Options>();
    CLI::App* report = app.add_subcommand(
        "report", "Prescription report: faces, glasses, first-order data and third-order sums");
    report->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    CLI::Option* html = report->add_flag("--html", options->html, "Write an HTML page");
    CLI::Option* text = report->add_flag("--text", options->text, "Write plain text (the default)");
    html->excludes(text);
    report
        ->add_option(
            "--field", options->fields,
            "Field angle in degrees, repeatable: the angle table whose largest angle gives the image "
            "height")
        ->check(FieldAngle());
    report->add_option("-o,--output", options->output, "Write the report to this file instead of the output");

    return {report, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                LoadLens(options->lens, loaded, err);
                CliHost host;
                const PrescriptionReport data =
                    BuildPrescriptionReport(loaded.bench, loaded.readiness, options->fields, host);
                const std::string contents = options->html ? ReportHtml(data) : ReportText(data);
                if (options->output.empty()) {
                    out << contents;
                    return;
                }
                if (const auto error = WriteFileAtomically(options->output, contents))
                    throw CommandError{*error};
            }};
}

} // namespace vitrimo::cli
