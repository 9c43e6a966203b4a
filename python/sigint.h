// Ctrl-C for calls that wait off the interpreter's main thread: the interpreter raises
// KeyboardInterrupt only there, so a handler put before its own counts every SIGINT for the others.
#pragma once

namespace karvex_python {

/// Puts the counting handler before the process's SIGINT handler when that is a function (not the
/// default action, not ignored) and is not it already; called with the interpreter's lock held.
void WatchSigint();

/// How many SIGINTs the counting handler has seen, for a call to compare with its start's.
unsigned long SigintCount();

}  // namespace karvex_python
