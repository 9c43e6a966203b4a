// The compiled half of the karvex package: the engine the karvex program flies, opened to Python.
#include "python/bindings.h"
#include "python/isolated.h"

PYBIND11_MODULE(_karvex, m)
{
    m.doc() = "The Karvex engine: scenario documents, runs, sweeps, envelopes and merges. Use it through "
              "the karvex package.";
    karvex_python::RegisterErrors(m);
    karvex_python::BindScenario(m);
    karvex_python::BindFlight(m);
    karvex_python::BindJobs(m);
    karvex_python::BindSimulation(m);
}
