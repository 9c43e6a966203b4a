// What an open simulation keeps beside its result: its world, its folders, its observer and its
// telemetry; and the scope that makes its world and folder current for a call.
#pragma once

#include <filesystem>
#include <memory>

#include "runner/flight/observer.h"
#include "runner/flight/simulation.h"
#include "runner/flight/telemetry.h"
#include "world/world.h"

namespace runner {

/// Destroys the current world's vessels and leaves it small.
void ClearWorld();

struct Simulation::Flight {
    std::unique_ptr<standin::World> own;  ///< the world of its own, when it has one
    standin::World* world = nullptr;      ///< the world it flies in
    std::filesystem::path outDir;         ///< where its files go, "" for nowhere
    std::filesystem::path flyIn;          ///< the working directory while modules run, "" for the caller's
    std::unique_ptr<Observer> observer;
    runner::Telemetry telemetry;
    double end = 0.0;         ///< simulation time the flight ends at, s
    double every = 0.0;       ///< s between telemetry samples
    double nextSample = 0.0;  ///< s
    size_t width = 0;         ///< a salvo's timeline names each line's weapon in a column this wide
    int depth = 0;            ///< scopes in the folder, nested (a frame hook's calls)

    /// Samples the telemetry when its time has come.
    void Sample();
};

class Simulation::Scope {
public:
    /// Makes `flight`'s world current, and with `inFolder` its folder the working directory.
    Scope(Flight& flight, bool inFolder);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    Flight& f;
    standin::World* previous;
    std::filesystem::path back;  // the working directory to go back to, "" for none
    bool folder = false;
};

}  // namespace runner
