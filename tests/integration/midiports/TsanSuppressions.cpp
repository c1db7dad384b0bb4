// libjack's lock-free ring buffers order their reads and writes with barriers
// that ThreadSanitizer does not see; what our code shares is guarded by locks
// and atomics it does see.
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions() {
  return "race:libjack.so\n";
}
