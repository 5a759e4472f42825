#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace corvalis {

// One batch of reads and writes on a private-profile INI file.
//
// The file is read when the object is made; reads see that snapshot plus this
// batch's own writes. Flush() re-reads the file as it is on disk at that
// moment, applies this batch's writes on top and replaces the file, so two
// batches open on the same file at once do not undo each other's work. There
// is no cache beyond one batch: make a new object for the next batch.
//
// Format: "[Section]" lines and "key=value" lines, sections and keys matched
// without regard to case (the first match wins, as on the platform the files
// come from). A value is everything after the first "=", kept verbatim: the
// writer never pads, so a blank tamper marker or a tab separator survives a
// round trip. Lines that are not touched - other sections, unknown keys,
// comments, text in other encodings - are written back byte for byte.
//
// Line endings: LF and CR LF are both read. A file keeps the convention its
// first line break uses; a new file gets CR LF, since the settings files are
// shared with the Windows build and its text editors.
class IniFile {
 public:
  explicit IniFile(QString path);

  const QString& Path() const { return path_; }
  // False when the file exists but could not be read; reads then give defaults
  // and Flush() refuses to replace the file.
  bool ReadOk() const { return readOk_; }

  bool HasSection(const QString& section) const;
  bool HasKey(const QString& section, const QString& key) const;
  // The raw text after "=", or nothing when the key is missing.
  std::optional<QString> Value(const QString& section, const QString& key) const;

  QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
  int ReadInteger(const QString& section, const QString& key, int fallback) const;
  bool ReadBool(const QString& section, const QString& key, bool fallback) const;
  double ReadFloat(const QString& section, const QString& key, double fallback) const;

  // Line breaks in a value would split it into lines the next reader takes as
  // keys or sections of their own; they are written as blanks.
  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);
  void WriteFloat(const QString& section, const QString& key, double value);

  // Writes this batch's changes to disk (temporary file, then rename). True
  // when there was nothing to write or the file was replaced; false when the
  // file could not be read back or written, with the reason in ErrorString().
  bool Flush();
  const QString& ErrorString() const { return error_; }

 private:
  struct Line {
    enum class Kind { kOther, kSection, kKey };
    QByteArray raw;  // without its line break
    Kind kind = Kind::kOther;
    QString name;  // section name or key, trimmed
  };
  struct Document {
    std::vector<Line> lines;
    QByteArray eol = "\r\n";
  };
  struct PendingWrite {
    QString section;
    QString key;
    QString value;
  };

  static bool ReadDocument(const QString& path, Document& doc, QString& error,
                           QByteArray* bytesOnDisk = nullptr);
  static void Parse(const QByteArray& bytes, Document& doc);
  static Line MakeLine(QByteArray raw, bool firstLine);
  static int FindSection(const Document& doc, const QString& section);
  static int FindKey(const Document& doc, int sectionLine, const QString& key);
  static void Apply(Document& doc, const PendingWrite& write);

  QString path_;
  Document doc_;
  std::vector<PendingWrite> pending_;
  bool readOk_ = true;
  QString error_;
};

// Integer text as the settings files hold it: decimal with an optional sign,
// or hexadecimal after "0x"/"0X" when the text is longer than two characters
// (up to eight digits, taken as a 32-bit pattern). Surrounding blanks are
// ignored. Nothing for anything else, including out-of-range numbers.
std::optional<int> ParseIniInteger(const QString& text);

}  // namespace corvalis
