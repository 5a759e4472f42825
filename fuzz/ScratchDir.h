#pragma once

#include <cstdlib>
#include <string>

// A directory of its own for the files a target writes, made once. Memory
// first: the settings and tag-name writers sync every file they replace,
// which on a disk would cost more than the parsing under test.
inline const std::string& FuzzScratchDir(const char* name) {
  static const std::string dir = [name] {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string pattern = std::string(base) + "/corvalis-" + name + "-XXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) return pattern;
    }
    return std::string("/nonexistent");
  }();
  return dir;
}
