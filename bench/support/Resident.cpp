#include "bench/support/Resident.h"

#include <unistd.h>

#include <cstdio>

double residentMB() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (double)sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}
