// karvex inspect: loads a vessel module into the stand-in host and prints what its class set-up
// declared, so an add-on author can check every number the module hands a host.
#include <cmath>
#include <cstdio>
#include <string>

#include "formats/number_text.h"
#include "host/zelvar.h"
#include "runner/cli/commands.h"
#include "runner/program/exit_codes.h"
#include "runtime/host_control.h"

namespace runner {

namespace {

using formats::FormatNumber;

std::string Vec(const VECTOR3& v)
{
    return "(" + FormatNumber(v.x) + ", " + FormatNumber(v.y) + ", " + FormatNumber(v.z) + ")";
}

void Print(HostHandle handle)
{
    const standin::Vessel& v = *standin::Find(handle);
    const char* surfaceNames[] = {"elevator", "rudder", "aileron"};
    std::printf("class %s, vessel \"%s\"\n", v.className.c_str(), v.name.c_str());
    std::printf("  size %s m, empty mass %s kg, launch mass %s kg\n", FormatNumber(v.size).c_str(),
                FormatNumber(v.emptyMass).c_str(), FormatNumber(standin::TotalMass(v)).c_str());
    std::printf("  inertia / mass %s m^2, cross sections %s m^2, takes focus: %s\n", Vec(v.pmi).c_str(),
                Vec(v.crossSections).c_str(), v.focusEnabled ? "yes" : "no");
    for (const standin::MeshRef& mesh : v.meshes) {
        // A module may add a mesh under any handle, a null or stale one included.
        const std::vector<std::string>& loaded = standin::world().meshes;
        const int index = standin::RecordIndex(mesh.mesh);
        if (index >= 0 && static_cast<std::size_t>(index) < loaded.size()) {
            std::printf("  mesh \"%s\"\n", loaded[static_cast<std::size_t>(index)].c_str());
        } else {
            std::printf("  mesh (none)\n");
        }
    }
    std::printf("  touchdown points %s %s %s\n", Vec(v.touchdown[0]).c_str(), Vec(v.touchdown[1]).c_str(),
                Vec(v.touchdown[2]).c_str());
    for (const standin::Attachment& a : v.attachments) {
        std::printf("  attachment \"%s\" at %s, %s\n", a.id.c_str(), Vec(a.pos).c_str(),
                    a.toParent ? "hangs from a parent" : "holds a child");
    }
    for (size_t i = 0; i < v.resources.size(); ++i) {
        std::printf("  resource %zu: %s of %s kg\n", i, FormatNumber(v.resources[i].mass).c_str(),
                    FormatNumber(v.resources[i].capacity).c_str());
    }
    // A run of like thrusters (a blast pattern) is summed up by what it does at full level.
    for (size_t first = 0; first < v.thrusters.size();) {
        const standin::Thruster& t = v.thrusters[first];
        size_t last = first;
        while (last + 1 < v.thrusters.size() && v.thrusters[last + 1].maxThrust == t.maxThrust &&
               v.thrusters[last + 1].isp == t.isp && v.thrusters[last + 1].resource == t.resource) {
            ++last;
        }
        if (last - first < 2) {
            for (size_t i = first; i <= last; ++i) {
                const standin::Thruster& u = v.thrusters[i];
                std::printf("  thruster %zu: %s N at %s along %s, Isp %s m/s, resource %d\n", i,
                            FormatNumber(u.maxThrust).c_str(), Vec(u.pos).c_str(), Vec(u.dir).c_str(),
                            FormatNumber(u.isp).c_str(), standin::RecordIndex(u.resource));
            }
        } else {
            VECTOR3 force{0, 0, 0}, moment{0, 0, 0};
            for (size_t i = first; i <= last; ++i) {
                const standin::Thruster& u = v.thrusters[i];
                VECTOR3 f{u.dir.x * u.maxThrust, u.dir.y * u.maxThrust, u.dir.z * u.maxThrust};
                force = {force.x + f.x, force.y + f.y, force.z + f.z};
                moment = {moment.x + u.pos.y * f.z - u.pos.z * f.y, moment.y + u.pos.z * f.x - u.pos.x * f.z,
                          moment.z + u.pos.x * f.y - u.pos.y * f.x};
            }
            std::printf("  thrusters %zu-%zu: %zu x %s N, Isp %s m/s, resource %d; at full level together "
                        "%.3g N and %.3g N m about the origin\n",
                        first, last, last - first + 1, FormatNumber(t.maxThrust).c_str(),
                        FormatNumber(t.isp).c_str(), standin::RecordIndex(t.resource),
                        std::sqrt(force.x * force.x + force.y * force.y + force.z * force.z),
                        std::sqrt(moment.x * moment.x + moment.y * moment.y + moment.z * moment.z));
        }
        first = last + 1;
    }
    for (const standin::Airfoil& a : v.airfoils) {
        std::printf("  airfoil %s at %s: chord %s m, area %s m^2, aspect ratio %s\n",
                    a.orientation == LIFT_VERTICAL ? "lifting up" : "lifting sideways", Vec(a.ref).c_str(),
                    FormatNumber(a.chord).c_str(), FormatNumber(a.area).c_str(),
                    FormatNumber(a.aspectRatio).c_str());
    }
    for (const standin::ControlSurface& c : v.surfaces) {
        const char* name = c.type >= 0 && c.type < 3 ? surfaceNames[c.type] : "other";
        std::printf("  control surface %s (type %d) at %s: area %s m^2, dCl %s\n", name, c.type, Vec(c.ref).c_str(),
                    FormatNumber(c.area).c_str(), FormatNumber(c.dCl).c_str());
    }
    std::printf("  %zu exhaust flames, %zu particle streams, animation %s\n", v.exhausts.size(), v.streams.size(),
                v.animationRegistered ? "registered" : "not registered");
}

}  // namespace

int Inspect(const std::string& moduleDir, const std::string& className)
{
    standin::WorldConfig config;
    config.moduleDir = moduleDir;
    standin::Reset(config);
    standin::VesselDesc desc;
    desc.name = className + "-1";
    HostHandle vessel = standin::CreateModuleVessel(className.c_str(), desc);
    if (vessel == nullptr) {
        std::fprintf(stderr, "karvex inspect: %s\n", standin::LastError().c_str());
        bool module = standin::LastErrorKind() == standin::ErrorKind::Module;
        standin::Reset(standin::WorldConfig{});
        return module ? EXIT_MODULE : EXIT_USAGE;
    }
    Print(vessel);
    standin::Reset(standin::WorldConfig{});
    return EXIT_OK;
}

}  // namespace runner
