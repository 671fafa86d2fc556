#include "model/Workspace.h"

#include <filesystem>

namespace vitrimo {

Workspace Workspace::At(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    Workspace workspace;
    workspace.startDir = directory;
    workspace.dataDir = directory + "/Lens";
    return workspace;
}

Workspace Workspace::FromCurrentDirectory() {
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    return At(error ? std::string(".") : current.string());
}

} // namespace vitrimo
