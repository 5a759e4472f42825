#include "common/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace corvalis {
namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// Files written on Windows may hold ANSI text; anything that is not valid
// UTF-8 is taken byte for byte so it is at least not mangled into U+FFFD.
QString DecodeText(const QByteArray& bytes, QStringDecoder::Flags flags) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | flags);
  QString text = decoder(bytes);
  if (decoder.hasError()) return QString::fromLatin1(bytes);
  return text;
}

// A section name or key; a stray byte-order mark before it is no part of it.
QString DecodeName(const QByteArray& bytes) {
  return DecodeText(bytes, QStringDecoder::Flag::Default);
}

// A value is kept verbatim, a byte-order mark at its start included.
QString DecodeValue(const QByteArray& bytes) {
  return DecodeText(bytes, QStringDecoder::Flag::ConvertInitialBom);
}

QString OneLine(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray ValueBytes(const QByteArray& raw) {
  return raw.mid(raw.indexOf('=') + 1);
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {
  readOk_ = ReadDocument(path_, doc_, error_);
}

bool IniFile::ReadDocument(const QString& path, Document& doc, QString& error,
                           QByteArray* bytesOnDisk) {
  doc = Document{};
  QFile file(path);
  if (!file.exists()) return true;  // a missing file reads as empty
  if (!file.open(QIODevice::ReadOnly)) {
    error = QStringLiteral("Unable to open %1 for reading").arg(path);
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = QStringLiteral("Unable to read %1").arg(path);
    return false;
  }
  Parse(bytes, doc);
  if (bytesOnDisk) *bytesOnDisk = bytes;
  return true;
}

void IniFile::Parse(const QByteArray& bytes, Document& doc) {
  const qsizetype firstBreak = bytes.indexOf('\n');
  if (firstBreak >= 0) doc.eol = (firstBreak > 0 && bytes[firstBreak - 1] == '\r') ? "\r\n" : "\n";
  qsizetype start = 0;
  while (start < bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0) end = bytes.size();
    QByteArray raw = bytes.mid(start, end - start);
    if (raw.endsWith('\r')) raw.chop(1);
    doc.lines.push_back(MakeLine(std::move(raw), doc.lines.empty()));
    start = end + 1;
  }
}

IniFile::Line IniFile::MakeLine(QByteArray raw, bool firstLine) {
  Line line;
  QByteArray text = raw;
  if (firstLine && text.startsWith(kUtf8Bom)) text.remove(0, kUtf8Bom.size());
  line.raw = std::move(raw);
  const QByteArray trimmed = text.trimmed();
  if (trimmed.startsWith('[')) {
    const qsizetype close = trimmed.indexOf(']');
    if (close > 0) {
      line.kind = Line::Kind::kSection;
      line.name = DecodeName(trimmed.mid(1, close - 1)).trimmed();
    }
    return line;
  }
  if (trimmed.startsWith(';') || trimmed.startsWith('#')) return line;
  const qsizetype eq = text.indexOf('=');
  if (eq < 0) return line;
  QString key = DecodeName(text.left(eq)).trimmed();
  if (key.isEmpty()) return line;
  line.kind = Line::Kind::kKey;
  line.name = std::move(key);
  return line;
}

int IniFile::FindSection(const Document& doc, const QString& section) {
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == Line::Kind::kSection && SameName(line.name, section)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int IniFile::FindKey(const Document& doc, int sectionLine, const QString& key) {
  for (size_t i = static_cast<size_t>(sectionLine) + 1; i < doc.lines.size(); ++i) {
    const Line& line = doc.lines[i];
    if (line.kind == Line::Kind::kSection) break;
    if (line.kind == Line::Kind::kKey && SameName(line.name, key)) return static_cast<int>(i);
  }
  return -1;
}

void IniFile::Apply(Document& doc, const PendingWrite& write) {
  const QByteArray valueBytes = write.value.toUtf8();
  const int sectionLine = FindSection(doc, write.section);
  if (sectionLine < 0) {
    if (!doc.lines.empty() && !doc.lines.back().raw.trimmed().isEmpty()) {
      doc.lines.push_back(Line{});
    }
    doc.lines.push_back(MakeLine("[" + write.section.toUtf8() + "]", doc.lines.empty()));
    doc.lines.push_back(MakeLine(write.key.toUtf8() + "=" + valueBytes, false));
    return;
  }
  const int keyLine = FindKey(doc, sectionLine, write.key);
  if (keyLine >= 0) {
    Line& line = doc.lines[static_cast<size_t>(keyLine)];
    // An unchanged value keeps its bytes, whatever encoding they were in.
    if (DecodeValue(ValueBytes(line.raw)) == write.value) return;
    const QByteArray keyPart = line.raw.left(line.raw.indexOf('='));
    qsizetype keep = keyPart.size();
    while (keep > 0 && (keyPart[keep - 1] == ' ' || keyPart[keep - 1] == '\t')) --keep;
    line.raw = keyPart.left(keep) + "=" + valueBytes;
    return;
  }
  // New keys go after the last non-blank line of the section, so the blank
  // line that separates it from the next section stays where it is.
  size_t insertAt = static_cast<size_t>(sectionLine) + 1;
  for (size_t i = insertAt; i < doc.lines.size(); ++i) {
    if (doc.lines[i].kind == Line::Kind::kSection) break;
    if (!doc.lines[i].raw.trimmed().isEmpty()) insertAt = i + 1;
  }
  doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                   MakeLine(write.key.toUtf8() + "=" + valueBytes, false));
}

bool IniFile::HasSection(const QString& section) const {
  return FindSection(doc_, section) >= 0;
}

bool IniFile::HasKey(const QString& section, const QString& key) const {
  return Value(section, key).has_value();
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
  const int sectionLine = FindSection(doc_, section);
  if (sectionLine < 0) return std::nullopt;
  const int keyLine = FindKey(doc_, sectionLine, key);
  if (keyLine < 0) return std::nullopt;
  return DecodeValue(ValueBytes(doc_.lines[static_cast<size_t>(keyLine)].raw));
}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& fallback) const {
  return Value(section, key).value_or(fallback);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int fallback) const {
  const std::optional<QString> text = Value(section, key);
  if (!text) return fallback;
  return ParseIniInteger(*text).value_or(fallback);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
  const std::optional<QString> text = Value(section, key);
  if (!text) return fallback;
  const std::optional<int> number = ParseIniInteger(*text);
  return number ? *number != 0 : fallback;
}

double IniFile::ReadFloat(const QString& section, const QString& key, double fallback) const {
  const std::optional<QString> text = Value(section, key);
  if (!text) return fallback;
  // Files written under a locale with a decimal comma hold "1,5".
  QString number = text->trimmed();
  number.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double value = number.toDouble(&ok);
  return ok && std::isfinite(value) ? value : fallback;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  PendingWrite write{OneLine(section), OneLine(key), OneLine(value)};
  Apply(doc_, write);
  pending_.push_back(std::move(write));
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::WriteFloat(const QString& section, const QString& key, double value) {
  WriteString(section, key, QString::number(value, 'g', 15));
}

bool IniFile::Flush() {
  if (pending_.empty()) return true;
  if (!readOk_) {
    // Writing now would replace content we never saw.
    if (error_.isEmpty()) error_ = QStringLiteral("Unable to read %1").arg(path_);
    return false;
  }
  Document current;
  QByteArray onDisk;
  if (!ReadDocument(path_, current, error_, &onDisk)) return false;
  for (const PendingWrite& write : pending_) Apply(current, write);

  QByteArray bytes;
  for (const Line& line : current.lines) {
    bytes += line.raw;
    bytes += current.eol;
  }
  if (bytes == onDisk && QFileInfo::exists(path_)) {
    // Nothing changed: leave the file (and its time stamp) alone.
    doc_ = std::move(current);
    pending_.clear();
    return true;
  }
  const QFileInfo info(path_);
  // A read-only file stays read-only: replacing it by rename would bypass that.
  if (info.exists() && !info.isWritable()) {
    error_ = QStringLiteral("%1 is read-only").arg(path_);
    return false;
  }
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    error_ = QStringLiteral("Unable to write %1: %2").arg(path_, file.errorString());
    return false;
  }
  doc_ = std::move(current);
  pending_.clear();
  error_.clear();
  return true;
}

std::optional<int> ParseIniInteger(const QString& text) {
  const QString t = text.trimmed();
  if (t.size() > 2 && t[0] == QLatin1Char('0') &&
      (t[1] == QLatin1Char('x') || t[1] == QLatin1Char('X'))) {
    QStringView digits = QStringView(t).mid(2);
    while (digits.size() > 1 && digits.front() == QLatin1Char('0')) digits = digits.mid(1);
    if (digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (const QChar c : digits) {
      const char16_t u = c.unicode();
      uint32_t digit = 0;
      if (u >= u'0' && u <= u'9') {
        digit = static_cast<uint32_t>(u - u'0');
      } else if (u >= u'a' && u <= u'f') {
        digit = static_cast<uint32_t>(u - u'a' + 10);
      } else if (u >= u'A' && u <= u'F') {
        digit = static_cast<uint32_t>(u - u'A' + 10);
      } else {
        return std::nullopt;
      }
      value = (value << 4) | digit;
    }
    return static_cast<int>(value);  // "0xFFFFFFFF" is -1, as the platform reads it
  }
  if (t.isEmpty()) return std::nullopt;
  for (qsizetype i = 0; i < t.size(); ++i) {
    const QChar c = t[i];
    const bool sign = i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+')) && t.size() > 1;
    if (!sign && (c < QLatin1Char('0') || c > QLatin1Char('9'))) return std::nullopt;
  }
  bool ok = false;
  const qlonglong value = t.toLongLong(&ok, 10);
  if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

}  // namespace corvalis
