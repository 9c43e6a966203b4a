// A flight stepped from Python: the engine's Simulation on a worker thread of its own, with a
// world and a working directory of its own. Whatever runs module code (opening, stepping, commands,
// releases, saves, closing) runs on the worker, the caller watching for Ctrl-C meanwhile; reads and
// the calls that only move the host's records (keys, velocities, steering) run on the calling thread.
#pragma once

#include <array>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <pybind11/pybind11.h>

#include "python/call.h"
#include "python/interpreter_lock.h"
#include "python/worker.h"
#include "runner/flight/simulation.h"

namespace karvex_python {

/// A simulation and the thread it flies on, as Python holds them.
class Stepped {
public:
    /// Opens the document, or the scenario file `path` when it is null, with the modules in `modules` (a
    /// folder), keeping the first telemetry sample and every `keepEvery`-th after it (0: none), on a
    /// worker of its own; raises the run's exception when it cannot be opened.
    Stepped(const std::string& path, const formats::ScenarioDocument* doc, const std::string& modules,
            long long keepEvery);

    ~Stepped();
    Stepped(const Stepped&) = delete;
    Stepped& operator=(const Stepped&) = delete;

    /// The simulation, for a call that hands work to its worker: refused when it is closed, in another
    /// thread's call, or opened in the process this one was forked from.
    runner::Simulation& Open() const;

    /// The simulation, for a call that only reads it on the calling thread (a copy forked off reads
    /// its own copy).
    runner::Simulation& Readable() const;

    /// Refused: KeyError for a vessel of `vessels` that is none, else the simulation's reason.
    [[noreturn]] void Refused(std::initializer_list<const std::string*> vessels = {}) const;

    /// Flies `frames` frames; how many flew.
    long long Step(long long frames);

    /// Flies until simulation time `time` s; whether it came before the end.
    bool UntilTime(double time);

    /// Flies until event `event` of `vessel` ("" for any); whether it came before the end.
    bool UntilEvent(const std::string& event, const std::string& vessel);

    /// Flies until test(self) is true after a frame; whether it came before the end.
    bool UntilHolds(pybind11::handle self, pybind11::object test);

    /// Calls call(self) after every frame (none for None).
    void OnFrame(pybind11::handle self, pybind11::object call);

    /// Every live vessel's state as a structured array (for None), or one vessel's record.
    pybind11::object State(pybind11::handle vessel) const;

    /// The index of `vessel`: a name, or an index from 0.
    int Index(pybind11::handle vessel) const;

    /// The live vessels in order: (name, class, motion).
    pybind11::list Vessels() const;

    /// The events since the last call: (time s, kind, text, vessel).
    pybind11::list NewEvents();

    /// Sends a weapon command to `vessel`; the module's answer.
    int Command(const std::string& vessel, const std::string& command);

    /// Lets the weapon on `station` of `carrier` go, with `velocity` (m/s, the carrier's axes) added.
    void Release(const std::string& carrier, int station, const std::optional<std::array<double, 3>>& velocity);

    /// Hands `vessel` key `code` at the next frame.
    void Key(const std::string& vessel, unsigned int code, bool down, uint8_t modifiers);

    /// Sets kinematic `vessel`'s global velocity, m/s.
    void SetVelocity(const std::string& vessel, const std::array<double, 3>& velocity);

    /// Gives kinematic `vessel` the steering its lines describe.
    void Steer(const std::string& vessel, const std::string& lines);

    /// Saves to `path`, relative to the caller's working directory (in a callback, the stepping
    /// call's caller's); the absolute path written.
    std::string Save(const std::string& path);

    /// The flight so far, as fly gives a run.
    pybind11::object Flight() const;

    /// Closes the flight; what it came to as a Flight, None when it was closed already.
    pybind11::object Close();

    /// The callback's objects, for the interpreter's cycle collector.
    int Visit(visitproc visit, void* arg) const;

    /// Drops the callback and the condition, for the interpreter's cycle collector.
    void Clear();

    /// Whether a Python thread's call is in hand.
    bool Busy() const { return busy; }

private:
    // Flies `work` on the worker, with the stop flag that Ctrl-C sets, the interpreter's lock kept for
    // the worker across the call when Python runs at its frames; what a callback raised, raised after.
    void Fly(const std::function<void()>& work);

    // Runs `work` on the worker (directly when called there: from a callback), the caller waiting.
    void Work(const std::function<void()>& work);

    // After each frame, on the worker: the on_frame callback, with the interpreter's lock; false to
    // stop the stepping once it (or the condition) has raised.
    bool Frame();

    // Whether run_until's condition holds, on the worker after a frame.
    bool Holds();

    // Keeps the raised Python error when the callback or the condition did not answer; whether it did.
    bool Answered(bool answered);

    bool Came(runner::Until until, const std::string& vessel) const;

    // Destroys `flight` on the worker, whose module code it runs.
    void Dispose(std::unique_ptr<runner::Simulation> flight);

    std::unique_ptr<ScratchDir> folder;  // the working directory of the worker and its modules
    std::unique_ptr<Worker> worker;
    std::optional<formats::ScenarioDocument> document;
    std::unique_ptr<runner::Simulation> sim;  // none once closed
    std::string scenario;                     // the name summaries give it
    std::filesystem::path callerDir;                       // the stepping call's caller's working directory
    bool busy = false;                        // a Python thread's call is in hand
    PyObject* owner = nullptr;                // the Python object, passed to the callback and the condition
    pybind11::object callback;                      // on_frame's, or none
    pybind11::object condition;                     // run_until's, during its call
    std::exception_ptr raised;                // what the callback or the condition raised
    ForeignThread* foreign = nullptr;         // the worker's thread state, during a call with Python in it
};

}  // namespace karvex_python
