#pragma once

#include <QString>
#include <chrono>
#include <vector>

// Timing and memory probes, and the one-line figures the benchmark prints.
namespace Measure {

// Milliseconds taken by `work`.
template <typename Work> double ms(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> values);

// Bytes of heap in use (allocated and not freed), after giving back what can be trimmed.
size_t heapInUse();
// The process's resident set now and at its peak (VmRSS, VmHWM), in KiB; -1 when unknown.
long residentKb();
long peakResidentKb();
// Starts a new peak: VmHWM drops to the current resident set (false when the kernel refuses).
bool resetPeakResident();

// "95.1 ms", "0.042 ms": a duration with sensible digits.
QString duration(double ms);
// "38.2 MB" (MiB) from bytes.
QString megabytes(double bytes);

// Prints one figure: what was measured, the value, an optional baseline with ratio, and an
// optional target with PASS/FAIL. An empty `target` prints no verdict.
void line(const QString& what, const QString& value, const QString& baseline = {},
          const QString& target = {}, bool pass = true);
// How many targets printed so far, and how many of them failed.
int targetCount();
int failedTargets();

} // namespace Measure
