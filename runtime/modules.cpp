// Loading vessel modules with dlopen and creating vessels through their entry points.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstring>

#include "handles.h"
#include "host_control.h"
#include "lifecycle.h"
#include "physics/integrator.h"

namespace standin {

namespace {

int LoadModule(const char* className)
{
    World& w = world();
    // An empty folder would name libraries at the top of the file system ("/<class>.so").
    if (w.moduleDir.empty()) {
        SetError(std::string("cannot load module ") + className + ": no module folder named (an empty path)",
                 ErrorKind::Module);
        return -1;
    }
    // A world reset with another module folder loads its classes from there.
    std::string path = w.moduleDir + "/" + className + ".so";
    for (size_t i = 0; i < w.modules.size(); ++i) {
        if (w.modules[i].path == path) {
            return static_cast<int>(i);
        }
    }
    // Modules stay loaded for the life of the process: objects and handlers may still point into them.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = dlerror();
        struct stat folder {};
        if (stat(w.moduleDir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            SetError("cannot load module " + path + ": module folder " + w.moduleDir + " does not exist",
                     ErrorKind::Module);
            return -1;
        }
        SetError("cannot load module " + path + ": " + (why != nullptr ? why : "unknown error"), ErrorKind::Module);
        return -1;
    }
    Module module;
    module.className = className;
    module.path = path;
    module.library = library;
    module.init = reinterpret_cast<ZvcInitFunc>(dlsym(library, "zvcInit"));
    module.exit = reinterpret_cast<ZvcExitFunc>(dlsym(library, "zvcExit"));
    if (module.init == nullptr || module.exit == nullptr) {
        SetError("module " + path + " does not export zvcInit and zvcExit", ErrorKind::Module);
        return -1;
    }
    w.modules.push_back(module);
    return static_cast<int>(w.modules.size() - 1);
}

}  // namespace

HostHandle CreateModuleVessel(const char* className, const VesselDesc& desc)
{
    if (className == nullptr || className[0] == '\0') {
        SetError("no module class given", ErrorKind::Module);
        return nullptr;
    }
    // A class names a module in the module folder, never a path to a library elsewhere.
    if (std::strchr(className, '/') != nullptr) {
        SetError(std::string("a module class is a plain name, not a path: \"") + className + "\"", ErrorKind::Module);
        return nullptr;
    }
    int module = LoadModule(className);
    if (module < 0) {
        return nullptr;
    }
    int slot = CreateSlot(desc, className);
    if (slot < 0) {
        return nullptr;
    }
    World& w = world();
    HostHandle handle = VesselHandle(slot);
    VESSEL* iface = nullptr;
    {
        CallbackScope scope(slot);
        iface = w.modules[static_cast<size_t>(module)].init(handle, desc.flightModel);
    }
    Vessel& v = w.vessels[static_cast<size_t>(slot)];
    if (iface == nullptr) {
        DestroyVessel(slot);
        SetError(std::string("zvcInit of module ") + className + " returned no vessel", ErrorKind::Module);
        return nullptr;
    }
    v.module = module;
    v.iface = iface;
    // A module's object is a VESSEL2 whose VESSEL part zvcInit handed out.
    v.callbacks = static_cast<VESSEL2*>(iface);
    {
        CallbackScope scope(slot);
        v.callbacks->clbkSetClassCaps(nullptr);
    }
    if (v.motion == Motion::Landed) {
        physics::PlaceOnGround(v, world().physics.planet);  // on the touchdown points its set-up declared
    }
    return handle;
}

}  // namespace standin
