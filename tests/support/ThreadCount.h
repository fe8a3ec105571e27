// Threads of this process, to see that a run leaves none behind.
#pragma once

#include <dirent.h>

#include <thread>

namespace cbx::test {

inline int Threads() {
  // Sanitizer runtimes start a helper thread with the first thread a program makes; make
  // it exist before the first count so only our own threads are compared.
  static const bool warmedUp = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmedUp;
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (const dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
  }
  return n;
}

}  // namespace cbx::test
