// vitrimo-cli seidel: the third-order coefficient table, as the table window saves it.
#include "cli/CliCommon.h"
#include "engine/ThirdOrder.h"

#include <memory>

namespace vitrimo::cli {

Command AddSeidelCommand(CLI::App& app) {
    struct Options {
        std::string lens;
        std::vector<int> subtotals;
    };
    auto options = std::make_shared<Options>();
    CLI::App* seidel = app.add_subcommand("seidel", "Third-order aberration coefficients, tab-separated");
    seidel->add_option("LENS", options->lens, "Lens data file (.ldt)")->required();
    seidel->add_option("--subtotal", options->subtotals,
                       "Table row (the header is row 0) at which to insert a subtotal row; repeatable");

    return {seidel, [options](std::ostream& out, std::ostream& err) {
                LoadedLens loaded;
                LoadLensWithImage(options->lens, loaded, err);
                ThirdOrderTable table;
                if (!table.Compute(loaded.lens)) throw CommandError{options->lens + ": " + table.Error()};
                // Each subtotal is inserted as a click on that row would: rows that the rules refuse are
                // left out silently.
                for (int row : options->subtotals)
                    if (table.InsertSubtotal(row)) table.Compute(loaded.lens);
                out << table.Text();
            }};
}

} // namespace vitrimo::cli
