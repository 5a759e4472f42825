#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

inline constexpr int kScriptLineMax = 255;

// Where script lines come from: the memo's lines or an open text file.
// Positions are memo line indexes or file offsets.
class ScriptSource {
 public:
  ScriptSource() = default;
  ~ScriptSource();
  ScriptSource(const ScriptSource&) = delete;
  ScriptSource& operator=(const ScriptSource&) = delete;

  void UseMemo(bool memo) { useMemo_ = memo; }
  bool UsesMemo() const { return useMemo_; }
  void SetMemoText(std::string_view text);
  // The memo was edited: new lines, the current line index kept.
  void UpdateMemoText(std::string_view text);
  const std::vector<std::string>& MemoLines() const { return memo_; }

  bool OpenFile(const std::string& path);
  void CloseFile();
  bool FileOpen() const { return file_ != nullptr; }
  const std::string& FilePath() const { return path_; }

  // The next line without its line end (a file line keeps its first
  // kScriptLineMax characters); `start` gets the line's own position. False
  // at the end.
  bool Fetch(std::string& line, long* start);
  // The position of the line after the last one fetched.
  long NextPosition() const;
  void Seek(long position);
  void Rewind() { Seek(0); }
  // The memo line that Fetch reads next.
  int MemoIndex() const { return memoIndex_; }

 private:
  bool useMemo_ = true;
  std::vector<std::string> memo_;
  int memoIndex_ = 0;
  std::FILE* file_ = nullptr;
  std::string path_;
};

}  // namespace corvalis
