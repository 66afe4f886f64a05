// Counts allocations. Compiling this in replaces the global operator new
// with one that counts, so a benchmark or a test can tell whether a piece of
// work allocates.
#pragma once

// The allocations the calling thread has made so far.
long long allocationCount();
