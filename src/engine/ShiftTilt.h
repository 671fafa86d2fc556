// Shifting and tilting a group of faces as one body.
//
// The user gives the first face of a group its shift (dx, dy, dz) and tilt (dTheta about the azimuth
// dPhi); the faces of the group follow it. The face after the group then takes the "return": the shift
// and rotation that bring the frame back onto the axis the light had before the group, so the rest of
// the system stays where it was. The frames follow the ray trace's conventions exactly: at each face the
// decenter moves the frame, the tilt rotates it about the face's vertex, a tilted mirror turns it once
// more for the reflected light.
#pragma once

#include "model/Lens.h"

#include <optional>
#include <vector>

namespace vitrimo {

enum class GroupCheck {
    Valid,
    Invalid,        // last before first, or overlapping an earlier group without nesting in it
    SameAsExisting, // exactly the bounds of an earlier group: that group is edited instead
};

// Checks a new group against the earlier ones. A group reaches from its first face to the face after its
// last (its return face); groups may nest but not overlap. `existing` receives the index of a group
// with the same bounds.
GroupCheck CheckShiftTiltGroup(const std::vector<ShiftTiltGroup>& groups, ShiftTiltGroup candidate,
                               int* existing = nullptr);

// The values the face after the group (face last + 1) takes in dx, dy, dz, dTheta, dPhi (its own Y, Z,
// Theta and Phi are accounted for). The arrays must be current. nullopt when there is no face after the
// group or the group is empty.
struct ReturnTransform {
    double dx = 0, dy = 0, dz = 0, dTheta = 0, dPhi = 0;
};
std::optional<ReturnTransform> ComputeReturnTransform(const Lens& lens, int first, int last);

} // namespace vitrimo
