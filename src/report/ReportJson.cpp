// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportJson.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <variant>

#include "base/Texts.h"

namespace flowdesk {
namespace {

// ---- writing ----------------------------------------------------------

std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20)
          out += printed("\\u%04x", c);
        else
          out += ch;  // UTF-8 passes through whole
    }
  }
  return out + '"';
}

// JSON has no NaN or infinity: a figure that is not a number is null. The
// text is made without the C library's locale: a French desktop's decimal
// comma would make the file unreadable.
std::string number(double v) {
  if (!std::isfinite(v)) return "null";
  char text[40];
  const auto end = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 10).ptr;
  return std::string(text, end);
}

std::string number(const std::optional<double>& v) {
  return v ? number(*v) : "null";
}

// A small writer that keeps the commas and the indentation right.
class JsonOut {
 public:
  void open(std::string_view key, char bracket) {
    item(key);
    text_ += bracket;
    first_ = true;
    ++depth_;
  }
  void close(char bracket) {
    --depth_;
    if (!first_) newline();
    text_ += bracket;
    first_ = false;
  }
  void value(std::string_view key, const std::string& raw) {
    item(key);
    text_ += raw;
  }
  std::string text() const { return text_ + '\n'; }

 private:
  void newline() {
    text_ += '\n';
    text_.append(static_cast<std::size_t>(depth_) * 2, ' ');
  }
  void item(std::string_view key) {
    if (depth_ > 0) {
      if (!first_) text_ += ',';
      newline();
    }
    first_ = false;
    if (!key.empty()) text_ += quoted(key) + ": ";
  }
  std::string text_;
  int depth_ = 0;
  bool first_ = true;
};

void figure(JsonOut& out, std::string_view key, const RunningFigure& f) {
  out.open(key, '{');
  const bool any = f.count() > 0;
  out.value("mean", any ? number(f.mean()) : "null");
  out.value("min", any ? number(f.min()) : "null");
  out.value("max", any ? number(f.max()) : "null");
  out.close('}');
}

// ---- reading ----------------------------------------------------------

struct Json;
using JsonObject = std::map<std::string, Json, std::less<>>;
using JsonArray = std::vector<Json>;
struct Json {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonArray>,
               std::shared_ptr<JsonObject>>
      v;
  const JsonObject* object() const {
    const auto* p = std::get_if<std::shared_ptr<JsonObject>>(&v);
    return p ? p->get() : nullptr;
  }
  const JsonArray* array() const {
    const auto* p = std::get_if<std::shared_ptr<JsonArray>>(&v);
    return p ? p->get() : nullptr;
  }
  std::optional<double> number() const {
    const auto* p = std::get_if<double>(&v);
    return p ? std::optional<double>(*p) : std::nullopt;
  }
  const std::string* string() const { return std::get_if<std::string>(&v); }
};

// A strict reader of the JSON this program writes and of any well-formed
// JSON of the same keys; a deep or broken text is refused, never followed.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : s_(text) {}
  std::optional<Json> document() {
    auto v = value(0);
    blanks();
    if (!v || pos_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  static constexpr int kMaxDepth = 32;
  void blanks() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
      ++pos_;
  }
  bool take(char c) {
    blanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (s_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }
  std::optional<std::string> string() {
    if (!take('"')) return std::nullopt;
    std::string out;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) return std::nullopt;
      const char e = s_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          // Only the keys and numbers matter here; an escaped character
          // is kept as a mark rather than decoded.
          if (pos_ + 4 > s_.size()) return std::nullopt;
          for (std::size_t i = 0; i < 4; ++i)
            if (!std::isxdigit(static_cast<unsigned char>(s_[pos_ + i]))) return std::nullopt;
          pos_ += 4;
          out += '?';
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }
  std::optional<Json> value(int depth) {
    if (depth > kMaxDepth) return std::nullopt;
    blanks();
    if (pos_ >= s_.size()) return std::nullopt;
    const char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      auto object = std::make_shared<JsonObject>();
      if (!take('}')) {
        do {
          auto key = string();
          if (!key || !take(':')) return std::nullopt;
          auto v = value(depth + 1);
          if (!v) return std::nullopt;
          (*object)[*key] = std::move(*v);
        } while (take(','));
        if (!take('}')) return std::nullopt;
      }
      return Json{object};
    }
    if (c == '[') {
      ++pos_;
      auto array = std::make_shared<JsonArray>();
      if (!take(']')) {
        do {
          auto v = value(depth + 1);
          if (!v) return std::nullopt;
          array->push_back(std::move(*v));
        } while (take(','));
        if (!take(']')) return std::nullopt;
      }
      return Json{array};
    }
    if (c == '"') {
      auto s = string();
      if (!s) return std::nullopt;
      return Json{std::move(*s)};
    }
    if (word("null")) return Json{nullptr};
    if (word("true")) return Json{true};
    if (word("false")) return Json{false};
    // A number: the grammar's characters, then strtod over exactly them.
    const std::size_t start = pos_;
    while (pos_ < s_.size() &&
           std::string_view("+-0123456789.eE").find(s_[pos_]) != std::string_view::npos)
      ++pos_;
    if (pos_ == start) return std::nullopt;
    const std::string_view text = s_.substr(start, pos_ - start);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
      return std::nullopt;
    return Json{v};
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

const Json* member(const Json& j, std::string_view key) {
  const JsonObject* o = j.object();
  if (!o) return nullptr;
  const auto it = o->find(key);
  return it == o->end() ? nullptr : &it->second;
}

std::optional<double> numberAt(const Json& j, std::string_view key, std::string_view inner = {}) {
  const Json* m = member(j, key);
  if (m && !inner.empty()) m = member(*m, inner);
  return m ? m->number() : std::nullopt;
}

}  // namespace

std::string reportJson(const ReportHeader& header, const ReportFigures& figures,
                       const ReportSummary& summary) {
  JsonOut out;
  out.open({}, '{');
  out.value("version", std::to_string(kReportJsonVersion));
  out.open("unit", '{');
  out.value("address", std::to_string(header.address));
  out.value("unit_code", quoted(header.unitCode));
  out.value("model", quoted(header.model));
  out.open("versions", '{');
  for (const auto& [name, version] : header.versions) out.value(name, quoted(version));
  out.close('}');
  out.close('}');
  out.value("started", quoted(header.started));
  out.value("seconds", number(header.seconds));
  out.value("language", quoted(header.language == kFrench ? "fr" : "en"));
  out.value("operator", quoted(header.operatorName));
  out.value("site", quoted(header.site));
  out.value("tag", quoted(header.tag));
  out.value("samples", std::to_string(figures.samples()));
  out.value("failed_polls", std::to_string(figures.failedPolls()));
  out.open("chords", '[');
  for (const ChordFigures& c : figures.chords()) {
    out.open({}, '{');
    out.value("chord", std::to_string(c.chord));
    out.open("velocity", '{');
    out.value("mean", number(c.velocity.mean()));
    out.value("std", number(c.velocity.standardDeviation()));
    out.value("turbulence_percent", number(c.turbulencePercent()));
    out.close('}');
    out.open("sound_velocity", '{');
    out.value("mean", number(c.soundVelocity.mean()));
    out.value("deviation_percent", number(figures.soundVelocityDeviationPercent(c)));
    out.close('}');
    figure(out, "gain_db", c.gain);
    out.value("transit_time_us", number(c.transitTime.mean()));
    out.value("delta_t_ns", number(c.deltaT.mean()));
    out.value("velocity_ratio", number(figures.velocityRatio(c)));
    out.value("fault_fraction",
              number(figures.samples() == 0 ? 0.0
                                            : static_cast<double>(c.faultSamples) /
                                                  static_cast<double>(figures.samples())));
    out.close('}');
  }
  out.close(']');
  out.value("sound_velocity_spread_percent", number(figures.soundVelocitySpreadPercent()));
  figure(out, "flow", figures.flow());
  figure(out, "velocity", figures.velocity());
  figure(out, "sound_velocity", figures.soundVelocity());
  figure(out, "kh", figures.kh());
  if (figures.calorimetryShown()) {
    out.open("calorimetry", '{');
    out.value("t1", number(figures.temperature1().mean()));
    out.value("t2", number(figures.temperature2().mean()));
    out.value("dt", number(figures.temperatureDifference().mean()));
    out.value("power_kw", number(figures.power().mean()));
    out.close('}');
  } else {
    out.value("calorimetry", "null");
  }
  if (summary.water) {
    out.open("water_sound_velocity", '{');
    out.value("temperature", number(summary.water->temperature));
    out.value("expected", number(summary.water->expected));
    out.value("deviation_percent", number(summary.water->deviationPercent));
    out.close('}');
  } else {
    out.value("water_sound_velocity", "null");
  }
  out.open("status_bits", '[');
  for (const StatusBitSeen& bit : figures.statusBitsSeen()) {
    out.open({}, '{');
    out.value("bit", std::to_string(bit.bit));
    out.value("samples", std::to_string(bit.samples));
    out.value("meaning", quoted(statusBitMeaning(bit.bit, header.language)));
    out.close('}');
  }
  out.close(']');
  out.open("changes", '[');
  for (const ChordChange& c : summary.changes) {
    out.open({}, '{');
    out.value("chord", std::to_string(c.chord));
    out.value("velocity_ratio_percent", number(c.velocityRatioPercent));
    out.value("sound_velocity", number(c.soundVelocity));
    out.value("gain_db", number(c.gainDb));
    out.value("turbulence_points", number(c.turbulencePoints));
    out.close('}');
  }
  out.close(']');
  out.open("checks", '[');
  for (const ReportCheck& c : summary.checks) {
    out.open({}, '{');
    out.value("name", quoted(c.name));
    out.value("chord", std::to_string(c.chord));
    out.value("value", number(c.value));
    out.value("limit", number(c.limit));
    out.value("pass", c.pass ? "true" : "false");
    out.close('}');
  }
  out.close(']');
  out.value("verdict", quoted(summary.pass ? "pass" : "fail"));
  out.close('}');
  return out.text();
}

std::optional<ReportBaseline> readReportBaseline(std::string_view json, Language language,
                                                 std::string& error) {
  const std::optional<Json> doc = JsonReader(json).document();
  if (!doc || !doc->object()) {
    error = kTxtBaselineNotJson.text(language);
    return std::nullopt;
  }
  const Json* chords = member(*doc, "chords");
  if (!chords || !chords->array() || !numberAt(*doc, "version")) {
    error = kTxtBaselineNotReport.text(language);
    return std::nullopt;
  }
  ReportBaseline baseline;
  if (const Json* started = member(*doc, "started"); started && started->string())
    baseline.started = *started->string();
  for (const Json& c : *chords->array()) {
    const std::optional<double> number = numberAt(c, "chord");
    if (!number || *number < 1 || *number > MeasurementRegion::kChords ||
        *number != std::floor(*number))
      continue;
    BaselineChord chord;
    chord.chord = static_cast<int>(*number);
    chord.velocityRatio = numberAt(c, "velocity_ratio");
    chord.soundVelocity = numberAt(c, "sound_velocity", "mean");
    chord.gainDb = numberAt(c, "gain_db", "mean");
    chord.turbulencePercent = numberAt(c, "velocity", "turbulence_percent");
    baseline.chords.push_back(chord);
  }
  return baseline;
}

}  // namespace flowdesk
