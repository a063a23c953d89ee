// The processor time this process has used so far, user and system, in
// seconds: what a benchmark reads before and after the work it measures.
#ifndef TESSALINK_BENCH_CPU_SECONDS_H
#define TESSALINK_BENCH_CPU_SECONDS_H

#include <sys/resource.h>

inline double CpuSeconds()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

#endif
