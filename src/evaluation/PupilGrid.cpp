#include "evaluation/PupilGrid.h"

#include "engine/AberrationCurves.h"
#include "evaluation/TracedRays.h"

#include <cmath>
#include <numbers>

namespace vitrimo {

SpotGrid MakeSpotGrid(double entrancePupilDiameter, int steps) {
    SpotGrid grid;
    grid.steps = steps;
    if (steps < 1 || !(entrancePupilDiameter > 0)) return grid;
    const double radius = 1.1 * entrancePupilDiameter / 2;
    grid.pitch = radius / steps;
    for (int i = -steps; i <= steps; ++i) {
        for (int j = -steps; j <= steps; ++j) {
            const double y = i * grid.pitch, z = j * grid.pitch;
            if (y * y + z * z < radius * radius) {
                grid.cells.push_back({i, j});
                grid.coordinates.push_back({y, z});
            }
        }
    }
    return grid;
}

PsfGrid MakePsfGrid(double entrancePupilDiameter, int division) {
    PsfGrid grid;
    if (division < 2 || division % 2 != 0 || !(entrancePupilDiameter > 0)) return grid;
    grid.division = division;
    grid.pitch = 1.1 * entrancePupilDiameter / division;
    const double radius = 1.1 * entrancePupilDiameter / 2;
    grid.map.assign(static_cast<std::size_t>(division) * division, -1);
    for (int row = 0; row < division; ++row) {
        const double y = (grid.Offset(row) + 0.5) * grid.pitch;
        for (int column = 0; column < division; ++column) {
            const double z = (grid.Offset(column) + 0.5) * grid.pitch;
            if (y * y + z * z >= radius * radius) continue;
            grid.coordinates.push_back({y, z});
            grid.map[static_cast<std::size_t>(row) * division + column] = grid.PointCount();
        }
    }
    return grid;
}

void StartPupilRays(RayTracer& tracer, const std::vector<std::array<double, 2>>& coordinates) {
    tracer.StartPupilRays(coordinates, -kOffAxis);
}

std::shared_ptr<TracedRays> TracePupilPoints(RayTracer& tracer, const Lens& lens,
                                             const std::vector<std::array<double, 2>>& coordinates,
                                             Host& host, std::string& status) {
    StartPupilRays(tracer, coordinates);
    const TraceOutcome outcome = tracer.TraceAll(host);
    if (!outcome.completed) {
        status = outcome.error.empty() ? kStoppedText : outcome.error;
        return nullptr;
    }
    auto rays = std::make_shared<TracedRays>(CaptureRays(tracer, lens));
    rays->pupil.assign(1, {0, 0});
    rays->pupil.insert(rays->pupil.end(), coordinates.begin(), coordinates.end());
    return rays;
}

} // namespace vitrimo
