// A call into a shared library that does nothing, to time the calls themselves.
#pragma once

/// Does nothing; it lives in a shared library, so every call goes through its symbol table.
[[gnu::visibility("default")]] void BenchEmptyCall(const void* handle);
