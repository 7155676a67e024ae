#include "formats/gpx/expat_document.h"

#include <charconv>
#include <memory>

#include "formats/gpx/single_byte_encodings.h"
#include "formats/unicode_text_stream.h"

namespace tessaline::gpx {

namespace {

// Expat joins a namespace and a local name with this character, which no
// name can contain.
constexpr char kNamespaceSeparator = '\n';

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

ExpatDocument& Of(void* data) { return *static_cast<ExpatDocument*>(data); }

std::string TooLong() { return "nom, attribut, texte ou commentaire de plus de 1 Mio"; }

}  // namespace

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

GpxReadResult ExpatDocument::Read(InputStream& input) {
  // Expat reads UTF-8 and UTF-16 with their marks itself; UTF-32 it is
  // given as UTF-8, whatever the declaration says.
  UnicodeTextStream text(input, UnicodeTextStream::Decode::Utf32Only);
  if (!text.Detect()) return {GpxReadEnd::ReadFailed, "lecture du fichier impossible"};
  Parser parser = NewParser(&unread_encoding_, text.Decoded() ? "UTF-8" : nullptr);
  if (!parser) return {GpxReadEnd::Refused, ExpatReason(XML_ERROR_NO_MEMORY)};
  parser_ = parser.get();
  text_ = &text;
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &ExpatDocument::OnStart, &ExpatDocument::OnEnd);
  XML_SetCharacterDataHandler(parser_, &ExpatDocument::OnText);
  XML_SetCommentHandler(parser_, &ExpatDocument::OnComment);
  XML_SetProcessingInstructionHandler(parser_, &ExpatDocument::OnInstruction);
  XML_SetStartDoctypeDeclHandler(parser_, &ExpatDocument::OnDoctype);
  XML_SetEntityDeclHandler(parser_, &ExpatDocument::OnEntity);
  GpxReadResult result = Feed(text);
  parser_ = nullptr;
  text_ = nullptr;
  return result;
}

GpxReadResult ExpatDocument::Feed(InputStream& input) {
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

std::uint64_t ExpatDocument::Line() const { return XML_GetCurrentLineNumber(parser_); }

std::uint64_t ExpatDocument::Offset() const { return text_->InputOffset(last_event_end_); }

GpxReadResult ExpatDocument::Refusal(const std::string& reason) const {
  return {GpxReadEnd::Refused,
          Where(XML_GetCurrentLineNumber(parser_), XML_GetCurrentColumnNumber(parser_) + 1) + reason};
}

void ExpatDocument::Refuse(const std::string& reason) {
  if (refusal_.empty()) refusal_ = Refusal(reason).reason;
  XML_StopParser(parser_, XML_FALSE);
}

void ExpatDocument::Stop() {
  stopped_ = true;
  XML_StopParser(parser_, XML_FALSE);
}

void ExpatDocument::MarkEvent() {
  last_event_end_ = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_)) +
                    static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser_));
}

// An exception must not cross Expat's C frames: it is kept, the parser
// stopped, and it is thrown again once Expat has returned.
template <typename Body>
void ExpatDocument::Guard(Body&& body) {
  try {
    body();
  } catch (...) {
    if (!exception_) exception_ = std::current_exception();
    XML_StopParser(parser_, XML_FALSE);
  }
}

void XMLCALL ExpatDocument::OnComment(void* data, const XML_Char*) { Of(data).MarkEvent(); }
void XMLCALL ExpatDocument::OnInstruction(void* data, const XML_Char*, const XML_Char*) { Of(data).MarkEvent(); }
void XMLCALL ExpatDocument::OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  Of(data).Refuse("déclaration de type de document (DOCTYPE) refusée");
}
void XMLCALL ExpatDocument::OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                     const XML_Char*, const XML_Char*, const XML_Char*) {
  Of(data).Refuse("déclaration d'entité refusée");
}

void XMLCALL ExpatDocument::OnText(void* data, const XML_Char* text, int length) {
  ExpatDocument& self = Of(data);
  self.MarkEvent();
  const auto size = static_cast<std::size_t>(length);
  self.text_length_ += size;
  if (self.text_length_ > kMaxToken && !self.text_uncapped_) return self.Refuse(TooLong());
  self.Guard([&] { self.Characters(text, size); });  // may run out of memory
}

void XMLCALL ExpatDocument::OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  ExpatDocument& self = Of(data);
  self.MarkEvent();
  ++self.depth_;
  self.text_length_ = 0;
  self.text_uncapped_ = false;
  if (self.depth_ > kMaxDepth) return self.Refuse("imbrication d'éléments trop profonde");
  // A value takes at most 3 bytes of UTF-8 for each byte of its tag (a
  // single-byte encoding's character): a tag of a third of the limit or
  // less holds no value over it, and its values need no measuring.
  if (XML_GetCurrentByteCount(self.parser_) > static_cast<int>(kMaxToken / 3)) {
    for (const XML_Char** a = attributes; *a != nullptr; a += 2) {
      if (std::char_traits<XML_Char>::length(a[1]) > kMaxToken) return self.Refuse(TooLong());
    }
  }
  self.Guard([&] { self.StartElement(name, attributes); });
}

void XMLCALL ExpatDocument::OnEnd(void* data, const XML_Char*) {
  ExpatDocument& self = Of(data);
  self.MarkEvent();
  self.text_length_ = 0;
  self.text_uncapped_ = false;
  self.Guard([&] { self.EndElement(); });
  --self.depth_;
}

}  // namespace tessaline::gpx
