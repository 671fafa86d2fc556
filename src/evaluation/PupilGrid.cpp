#include "evaluation/PupilGrid.h"

#include "engine/AberrationCurves.h"

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
    TraceContext& context = tracer.Context();
    const int points = static_cast<int>(coordinates.size());
    tracer.AllocateBundle(1 + points + (context.idealLensPresent ? 1 : 0));
    // The plane wave tilted by the field angle reaches the start plane late by sin(theta) times the height.
    const double sine = context.firstSurface == 1 ? std::sin(context.fieldAngle * std::numbers::pi / 180) : 0;
    tracer.SetStart(0, tracer.StartRay(-kOffAxis, 0));
    for (int k = 0; k < points; ++k) {
        const auto [y, z] = coordinates[k];
        tracer.SetStart(k + 1, tracer.StartRay(y - kOffAxis, z), sine * y);
    }
    if (context.idealLensPresent)
        tracer.SetStart(points + 1, tracer.StartRay(1.1e-6, 0), sine * (1.1e-6 + kOffAxis));
}

} // namespace vitrimo
