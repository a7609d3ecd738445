// Counts the heap allocations of the whole process while a piece of work runs. A test that uses
// this links kolvane_counted_allocations (tests/support), which replaces the global allocation
// functions, so it must be an executable of its own.
#pragma once

// Starts counting from zero.
void startCountingAllocations();

// Stops counting and returns how many allocations were made since the start.
long stopCountingAllocations();

// Counts the allocations made by `work`.
template <typename Work>
long allocationsDuring(Work&& work) {
    startCountingAllocations();
    work();
    return stopCountingAllocations();
}
