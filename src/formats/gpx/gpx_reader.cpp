#include "formats/gpx/gpx_reader.h"

#include <expat.h>

#include <charconv>
#include <exception>
#include <memory>
#include <optional>

#include "formats/gpx/gpx_time.h"
#include "formats/gpx/single_byte_encodings.h"
#include "formats/unicode_text_stream.h"

namespace tessaline::gpx {

namespace {

// Expat joins a namespace and a local name with this character, which no
// name can contain.
constexpr char kNamespaceSeparator = '\n';

std::string_view LocalName(const XML_Char* name) {
  const std::string_view full(name);
  const std::size_t cut = full.rfind(kNamespaceSeparator);
  return cut == std::string_view::npos ? full : full.substr(cut + 1);
}

std::string_view NamespaceOf(const XML_Char* name) {
  const std::string_view full(name);
  const std::size_t cut = full.rfind(kNamespaceSeparator);
  return cut == std::string_view::npos ? std::string_view() : full.substr(0, cut);
}

struct ParserDeleter {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};
using Parser = std::unique_ptr<XML_ParserStruct, ParserDeleter>;

// `unread_encoding` receives the name of a declared encoding that cannot be
// read. `encoding`, when given, overrides the document's declaration.
Parser NewParser(std::string* unread_encoding, const XML_Char* encoding) {
  Parser parser(XML_ParserCreateNS(encoding, kNamespaceSeparator));
  if (!parser) return parser;
  XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
  XML_SetUnknownEncodingHandler(parser.get(), &SingleByteEncodingHandler, unread_encoding);
  return parser;
}

void AppendNumber(std::string& out, std::uint64_t number) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

std::string Where(std::uint64_t line, std::uint64_t column) {
  std::string text = "ligne ";
  AppendNumber(text, line);
  text += ", colonne ";
  AppendNumber(text, column);
  text += " : ";
  return text;
}

std::string ExpatReason(XML_Error code) {
  switch (code) {
    case XML_ERROR_NO_MEMORY: return "mémoire insuffisante";
    case XML_ERROR_NO_ELEMENTS: return "document vide ou tronqué";
    case XML_ERROR_UNCLOSED_TOKEN:
    case XML_ERROR_UNCLOSED_CDATA_SECTION: return "document tronqué";
    case XML_ERROR_INVALID_TOKEN: return "caractère ou balise invalide";
    case XML_ERROR_PARTIAL_CHAR: return "caractère incomplet";
    case XML_ERROR_TAG_MISMATCH: return "balise fermante qui ne correspond pas";
    case XML_ERROR_DUPLICATE_ATTRIBUTE: return "attribut en double";
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT: return "contenu après la fin du document";
    case XML_ERROR_UNDEFINED_ENTITY: return "entité non définie";
    case XML_ERROR_UNKNOWN_ENCODING: return "encodage inconnu";
    case XML_ERROR_INCORRECT_ENCODING: return "encodage différent de celui déclaré";
    case XML_ERROR_UNBOUND_PREFIX: return "préfixe d'espace de noms non déclaré";
    case XML_ERROR_AMPLIFICATION_LIMIT_BREACH: return "expansion d'entités excessive";
    default: break;
  }
  std::string text = "XML mal formé (";
  text += XML_ErrorString(code);
  text += ")";
  return text;
}

// Reads whole blocks (the stream may return less than asked).
std::ptrdiff_t ReadBlock(InputStream& input, char* buffer, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const std::ptrdiff_t n = input.Read(buffer + filled, size - filled);
    if (n < 0) return -1;
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  return static_cast<std::ptrdiff_t>(filled);
}

class Reader {
 public:
  Reader(XML_Parser parser, const std::string& unread_encoding, const UnicodeTextStream& text, GpxSink& sink)
      : parser_(parser), unread_encoding_(unread_encoding), text_(text), sink_(sink) {
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &Reader::OnStart, &Reader::OnEnd);
    XML_SetCharacterDataHandler(parser_, &Reader::OnText);
    XML_SetCommentHandler(parser_, &Reader::OnComment);
    XML_SetProcessingInstructionHandler(parser_, &Reader::OnInstruction);
    XML_SetStartDoctypeDeclHandler(parser_, &Reader::OnDoctype);
    XML_SetEntityDeclHandler(parser_, &Reader::OnEntity);
  }

  GpxReadResult Read(InputStream& input) {
    std::uint64_t fed = 0;
    for (;;) {
      void* buffer = XML_GetBuffer(parser_, static_cast<int>(kReadBlock));
      if (buffer == nullptr) return Refusal(ExpatReason(XML_ERROR_NO_MEMORY));
      const std::ptrdiff_t n = ReadBlock(input, static_cast<char*>(buffer), kReadBlock);
      if (n < 0) return {GpxReadEnd::ReadFailed, "lecture du fichier impossible"};
      const bool last = n == 0;
      if (XML_ParseBuffer(parser_, static_cast<int>(n), last) == XML_STATUS_ERROR) {
        if (exception_) std::rethrow_exception(exception_);
        if (stopped_) return {GpxReadEnd::Stopped, {}};
        if (!refusal_.empty()) return {GpxReadEnd::Refused, refusal_};
        const XML_Error code = XML_GetErrorCode(parser_);
        if (code == XML_ERROR_UNKNOWN_ENCODING && !unread_encoding_.empty()) {
          return Refusal(ExpatReason(code) + " « " + unread_encoding_ + " »");
        }
        return Refusal(ExpatReason(code));
      }
      fed += static_cast<std::uint64_t>(n);
      // Everything since the end of the last event is one token still open.
      if (fed - last_event_end_ > kMaxToken) return Refusal(TooLong());
      if (last) return {};
    }
  }

 private:
  static Reader& Of(void* data) { return *static_cast<Reader*>(data); }

  static std::string TooLong() { return "nom, attribut, texte ou commentaire de plus de 1 Mio"; }

  GpxReadResult Refusal(const std::string& reason) {
    return {GpxReadEnd::Refused,
            Where(XML_GetCurrentLineNumber(parser_), XML_GetCurrentColumnNumber(parser_) + 1) + reason};
  }

  void Refuse(const std::string& reason) {
    if (refusal_.empty()) refusal_ = Refusal(reason).reason;
    XML_StopParser(parser_, XML_FALSE);
  }

  void MarkEvent() {
    last_event_end_ = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_)) +
                      static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser_));
  }

  static void XMLCALL OnComment(void* data, const XML_Char*) { Of(data).MarkEvent(); }
  static void XMLCALL OnInstruction(void* data, const XML_Char*, const XML_Char*) { Of(data).MarkEvent(); }
  static void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    Of(data).Refuse("déclaration de type de document (DOCTYPE) refusée");
  }
  static void XMLCALL OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
    Of(data).Refuse("déclaration d'entité refusée");
  }

  static void XMLCALL OnText(void* data, const XML_Char* text, int length) {
    Reader& self = Of(data);
    self.MarkEvent();
    const auto size = static_cast<std::size_t>(length);
    self.text_length_ += size;
    if (self.text_length_ > kMaxToken) return self.Refuse(TooLong());
    if (self.collect_ != nullptr && self.depth_ == self.collect_depth_) {
      self.Guard([&] { self.collect_->append(text, size); });  // may run out of memory
    }
  }

  // An exception must not cross Expat's C frames: it is kept, the parser
  // stopped, and it is thrown again once Expat has returned.
  template <typename Body>
  void Guard(Body&& body) {
    try {
      body();
    } catch (...) {
      if (!exception_) exception_ = std::current_exception();
      XML_StopParser(parser_, XML_FALSE);
    }
  }

  static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    Reader& self = Of(data);
    self.Guard([&] { self.Start(name, attributes); });
  }
  static void XMLCALL OnEnd(void* data, const XML_Char*) {
    Reader& self = Of(data);
    self.Guard([&] { self.End(); });
  }

  void Collect(std::string& target, bool& present) {
    target.clear();
    present = true;
    collect_ = &target;
    collect_depth_ = depth_;
  }

  void Start(const XML_Char* name, const XML_Char** attributes) {
    MarkEvent();
    ++depth_;
    text_length_ = 0;
    if (depth_ > kMaxDepth) return Refuse("imbrication d'éléments trop profonde");
    // A value takes at most 3 bytes of UTF-8 for each byte of its tag (a
    // single-byte encoding's character): a tag of a third of the limit or
    // less holds no value over it, and its values need no measuring.
    if (XML_GetCurrentByteCount(parser_) > static_cast<int>(kMaxToken / 3)) {
      for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
        if (std::char_traits<XML_Char>::length(a[1]) > kMaxToken) return Refuse(TooLong());
      }
    }
    const std::string_view local = LocalName(name);
    if (depth_ == 1) {
      if (local != "gpx") Refuse("l'élément racine n'est pas gpx");
      return;
    }
    bool unused = false;
    if (depth_ == 2) {
      if (local == "trk" || local == "rte") {
        run_ = local == "trk" ? RunKind::Track : RunKind::Route;
        in_run_ = true;
        run_name_.clear();
        run_points_ = 0;
      } else if (local == "wpt") {
        run_ = RunKind::Waypoint;
        in_run_ = true;
        run_name_.clear();
        run_points_ = 0;
        BeginPoint(attributes);
      } else {
        NotCarried(local);
      }
      return;
    }
    if (!in_run_) return;
    if (in_point_) {
      const std::size_t below = depth_ - point_depth_;
      if (below == 1 && local == "name") {
        Collect(point_name_, has_name_);
      } else if (below == 1 && local == "ele") {
        Collect(elevation_, has_elevation_);
      } else if (below == 1 && local == "time") {
        Collect(time_, has_time_);
      } else if (below == 1 && local == "extensions") {
        in_extensions_ = true;
      } else if (below == 2 && in_extensions_ && NamespaceOf(name) == kExtensionNamespace &&
                 local == kValueElement) {
        Collect(extension_, has_extension_);
      } else if (below == 2 && in_extensions_ && NamespaceOf(name) == kExtensionNamespace &&
                 local == kFieldsElement) {
        Collect(fields_, has_fields_);
      } else if (below == 1) {
        NotCarried(local);
      } else if (below == 2 && in_extensions_) {
        NotCarried("extensions");
      }
      return;
    }
    if (depth_ == 3 && local == "name") {
      Collect(run_name_, unused);
    } else if (run_ == RunKind::Track && depth_ == 3 && local == "trkseg") {
      in_segment_ = true;
    } else if ((run_ == RunKind::Track && depth_ == 4 && in_segment_ && local == "trkpt") ||
               (run_ == RunKind::Route && depth_ == 3 && local == "rtept")) {
      BeginPoint(attributes);
    } else if (depth_ == 3 || (depth_ == 4 && in_segment_)) {
      NotCarried(local);
    }
  }

  void NotCarried(std::string_view element) { sink_.NotCarried(element, XML_GetCurrentLineNumber(parser_)); }

  void End() {
    MarkEvent();
    text_length_ = 0;
    if (collect_ != nullptr && depth_ == collect_depth_) collect_ = nullptr;
    if (in_point_ && depth_ == point_depth_ + 1) in_extensions_ = false;
    if (in_point_ && depth_ == point_depth_) {
      in_point_ = false;
      FinishPoint();
      if (run_ == RunKind::Waypoint) EndRun();
    } else if (in_run_ && depth_ == 3) {
      in_segment_ = false;
    } else if (in_run_ && depth_ == 2) {
      EndRun();
    }
    --depth_;
  }

  void BeginPoint(const XML_Char** attributes) {
    in_point_ = true;
    point_depth_ = depth_;
    has_name_ = has_elevation_ = has_time_ = has_extension_ = has_fields_ = in_extensions_ = false;
    point_name_.clear();
    fields_.clear();
    line_ = XML_GetCurrentLineNumber(parser_);
    bool has_lat = false, has_lon = false;
    lat_text_.clear();
    lon_text_.clear();
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      const XML_Char* attribute = a[0];
      if (attribute[0] != 'l' || attribute[1] == 0 || attribute[2] == 0 || attribute[3] != 0) continue;
      if (attribute[1] == 'a' && attribute[2] == 't') {
        has_lat = true;
        lat_text_ = a[1];
      } else if (attribute[1] == 'o' && attribute[2] == 'n') {
        has_lon = true;
        lon_text_ = a[1];
      }
    }
    // Only the range is checked here: the numbers are read when a road asks.
    point_valid_ = has_lat && has_lon && GpxDecimalWithin(lat_text_, 90) && GpxDecimalWithin(lon_text_, 180);
  }

  void FinishPoint() {
    if (!point_valid_) {
      sink_.PointSkipped(line_);
      return;
    }
    if (run_points_ == 0) sink_.BeginRun(run_, run_ == RunKind::Waypoint ? point_name_ : run_name_);
    ++run_points_;
    // One point kept for them all: clearing a new one costs more than its fields.
    GpxPoint& point = point_;
    point.lat_text = lat_text_;
    point.lon_text = lon_text_;
    point.name = has_name_ ? std::string_view(point_name_) : std::string_view(run_name_);
    point.named = has_name_ && !TrimXmlBlanks(point_name_).empty();
    point.value = TrimXmlBlanks(PointValue(run_, has_extension_ ? std::optional<std::string_view>(extension_) : std::nullopt,
                                           has_elevation_ ? std::optional<std::string_view>(elevation_) : std::nullopt));
    point.own_name = has_name_;
    point.own_value = has_extension_;
    point.elevation.reset();
    if (has_elevation_) point.elevation = TrimXmlBlanks(elevation_);
    point.time.reset();
    point.time_note = TimeNote::None;
    if (has_time_) {
      const std::optional<GpxTimeRead> time = ReadGpxTime(time_);
      if (time) point.time = time->time;
      point.time_note = !time ? TimeNote::Unreadable : time->zoned ? TimeNote::None : TimeNote::NoZone;
    }
    point.fields = fields_;
    point.has_fields = has_fields_;
    point.line = line_;
    point.offset = text_.InputOffset(last_event_end_);
    if (!sink_.Point(point)) {
      stopped_ = true;
      XML_StopParser(parser_, XML_FALSE);
    }
  }

  void EndRun() {
    if (in_run_ && run_points_ > 0) sink_.EndRun(run_, run_points_);
    in_run_ = false;
    run_points_ = 0;
  }

  XML_Parser parser_;
  const std::string& unread_encoding_;
  const UnicodeTextStream& text_;
  GpxSink& sink_;

  std::size_t depth_ = 0;
  std::size_t text_length_ = 0;
  std::uint64_t last_event_end_ = 0;
  std::string refusal_;
  bool stopped_ = false;
  std::exception_ptr exception_;

  std::string* collect_ = nullptr;
  std::size_t collect_depth_ = 0;

  RunKind run_ = RunKind::Waypoint;
  bool in_run_ = false, in_segment_ = false;
  std::string run_name_;
  std::uint64_t run_points_ = 0;

  bool in_point_ = false, in_extensions_ = false, point_valid_ = false;
  std::size_t point_depth_ = 0;
  std::uint64_t line_ = 0;
  std::string lat_text_, lon_text_;
  std::string point_name_, elevation_, time_, extension_, fields_;
  GpxPoint point_;
  bool has_name_ = false, has_elevation_ = false, has_time_ = false, has_extension_ = false, has_fields_ = false;
};

}  // namespace

GpxReadResult ReadGpx(InputStream& input, GpxSink& sink) {
  // Expat reads UTF-8 and UTF-16 with their marks itself; UTF-32 it is
  // given as UTF-8, whatever the declaration says.
  UnicodeTextStream text(input, UnicodeTextStream::Decode::Utf32Only);
  if (!text.Detect()) return {GpxReadEnd::ReadFailed, "lecture du fichier impossible"};
  std::string unread_encoding;
  Parser parser = NewParser(&unread_encoding, text.Decoded() ? "UTF-8" : nullptr);
  if (!parser) return {GpxReadEnd::Refused, ExpatReason(XML_ERROR_NO_MEMORY)};
  Reader reader(parser.get(), unread_encoding, text, sink);
  return reader.Read(text);
}

}  // namespace tessaline::gpx
