#pragma once

// The process's resident memory now, in MB (0 where /proc cannot tell).
double residentMB();
