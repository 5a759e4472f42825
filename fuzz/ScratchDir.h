#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

// A directory of its own for the files a target writes, made once and
// removed at exit. Memory first: the settings and tag-name writers sync every
// file they replace, which on a disk would cost more than the parsing under
// test.
inline const std::string& FuzzScratchDir(const char* name) {
  static const std::string dir = [name] {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string pattern = std::string(base) + "/corvalis-" + name + "-XXXXXX";
      if (mkdtemp(pattern.data()) != nullptr) return pattern;
    }
    return std::string("/nonexistent");  // every write fails: the target returns early
  }();
  // Registered once `dir` is made, so it runs before `dir` is destroyed.
  static const bool removedAtExit = [] {
    if (dir == "/nonexistent") return false;
    return std::atexit([] {
             std::error_code ignored;
             std::filesystem::remove_all(dir, ignored);
           }) == 0;
  }();
  (void)removedAtExit;
  return dir;
}
